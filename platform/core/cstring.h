// CString: the framework's counted text, as plain C++ over std::string.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

class CString {
  public:
    CString() = default;
    CString(const char* text) : m_text(text != nullptr ? text : "") {}
    CString(const std::string& text) : m_text(text) {}
    CString(std::string_view text) : m_text(text) {}
    CString(const char* text, int length) : m_text(text, static_cast<size_t>(length)) {}

    CString& operator=(const char* text) {
        m_text = text != nullptr ? text : "";
        return *this;
    }
    CString& operator+=(const CString& other) {
        m_text += other.m_text;
        return *this;
    }
    CString& operator+=(const char* text) {
        if (text != nullptr) m_text += text;
        return *this;
    }
    CString& operator+=(char c) {
        m_text += c;
        return *this;
    }

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    char GetAt(int index) const { return m_text[static_cast<size_t>(index)]; }

    operator const char*() const { return m_text.c_str(); }
    const std::string& str() const { return m_text; }

    // White space here is the C library's: space, \t, \n, \v, \f, \r.
    CString& TrimLeft();
    CString& TrimRight();
    CString& MakeLower();
    CString& MakeUpper();

    // printf-style; the result is held whole, whatever its length.
    void Format(const char* format, ...);
    void FormatV(const char* format, va_list args);

    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }
    friend CString operator+(const CString& a, const CString& b) {
        return CString(a.m_text + b.m_text);
    }

  private:
    std::string m_text;
};
