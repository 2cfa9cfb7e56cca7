#include "platform/core/cstring.h"

#include <cstdio>
#include <vector>

#include "res/string_table.h"

static bool IsCWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

CString& CString::TrimLeft() {
    size_t n = 0;
    while (n < m_text.size() && IsCWhiteSpace(m_text[n])) ++n;
    m_text.erase(0, n);
    return *this;
}

CString& CString::TrimRight() {
    size_t n = m_text.size();
    while (n > 0 && IsCWhiteSpace(m_text[n - 1])) --n;
    m_text.resize(n);
    return *this;
}

// ASCII letters only, so the result does not depend on the locale.
CString& CString::MakeLower() {
    for (char& c : m_text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return *this;
}

CString& CString::MakeUpper() {
    for (char& c : m_text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return *this;
}

bool CString::LoadString(unsigned id) {
    const char* text = delvaro::FindResourceString(id);
    m_text = text != nullptr ? text : "";
    return text != nullptr;
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char* format, va_list args) {
    va_list probe;
    va_copy(probe, args);
    int n = std::vsnprintf(nullptr, 0, format, probe);
    va_end(probe);
    if (n < 0) {
        m_text.clear();
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(n) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    m_text.assign(buffer.data(), static_cast<size_t>(n));
}
