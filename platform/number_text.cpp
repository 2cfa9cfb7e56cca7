#include "platform/number_text.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* SkipSpace(const char* p) {
    while (IsSpace(*p)) ++p;
    return p;
}

const char* SkipDigits(const char* p) {
    while (IsDigit(*p)) ++p;
    return p;
}

// Whether a decimal number too large or too small for a double is large:
// the position of its first significant digit plus its exponent.
bool IsOverflow(const char* intBegin, const char* intEnd, const char* fracBegin,
                const char* fracEnd, const char* expBegin, const char* expEnd) {
    long order = 0;
    const char* p = intBegin;
    while (p < intEnd && *p == '0') ++p;
    if (p < intEnd) {
        order = static_cast<long>(intEnd - p) - 1;
    } else {
        p = fracBegin;
        while (p < fracEnd && *p == '0') ++p;
        order = -static_cast<long>(p - fracBegin) - 1;
    }
    long exponent = 0;
    bool negative = false;
    p = expBegin;
    if (p < expEnd && (*p == '+' || *p == '-')) negative = *p++ == '-';
    // Saturates: beyond a million digits only the sign matters.
    for (; p < expEnd && exponent < 1000000; ++p) exponent = exponent * 10 + (*p - '0');
    return order + (negative ? -exponent : exponent) > 0;
}

}  // namespace

std::string AfxFormatDouble(double value, int precision) {
    char buffer[64];
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    if (error != std::errc()) return std::string();
    return std::string(buffer, end);
}

bool AfxParseDouble(const char* text, double& value) {
    const char* p = SkipSpace(text);
    const char* start = p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    const char* intBegin = p;
    const char* intEnd = SkipDigits(p);
    const char* fracBegin = intEnd;
    const char* fracEnd = intEnd;
    p = intEnd;
    if (*p == '.') {
        fracBegin = p + 1;
        fracEnd = SkipDigits(fracBegin);
        p = fracEnd;
    }
    if (intEnd == intBegin && fracEnd == fracBegin) return false;  // no digit at all
    const char* expBegin = p;
    const char* expEnd = p;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        // An 'e' without digits is not part of the number (and then not blank).
        if (IsDigit(*q)) {
            expBegin = p + 1;
            expEnd = SkipDigits(q);
            p = expEnd;
        }
    }
    if (*SkipSpace(p) != '\0') return false;

    // from_chars takes no '+' sign.
    const char* numberBegin = *start == '+' ? start + 1 : start;
    double parsed = 0;
    auto [end, error] = std::from_chars(numberBegin, p, parsed, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        const double magnitude =
            IsOverflow(intBegin, intEnd, fracBegin, fracEnd, expBegin, expEnd) ? HUGE_VAL : 0.0;
        parsed = negative ? -magnitude : magnitude;
    } else if (error != std::errc() || end != p) {
        return false;
    }
    value = parsed;
    return true;
}

bool AfxParseInt(const char* text, int& value) {
    const char* p = SkipSpace(text);
    const char* numberBegin = *p == '+' ? p + 1 : p;
    if (*numberBegin == '-' && *p == '+') return false;
    const char* end = numberBegin + std::strlen(numberBegin);
    while (end > numberBegin && IsSpace(end[-1])) --end;
    int parsed = 0;
    auto [stop, error] = std::from_chars(numberBegin, end, parsed);
    if (error != std::errc() || stop != end) return false;
    value = parsed;
    return true;
}
