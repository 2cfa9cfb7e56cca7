#include "engine/number_parse.h"

#include <charconv>
#include <system_error>

namespace delvaro {

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

bool ParseDecimalNumber(std::string_view field, double& value) {
    size_t i = 0;
    const size_t n = field.size();
    bool negative = false;
    if (i < n && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
    size_t digits = 0;
    bool point = false;
    // Decimal order of magnitude of the first non-zero digit, to tell an
    // underflow from an overflow when the conversion reports a range error.
    long magnitude = 0;
    bool significant = false;
    for (; i < n; ++i) {
        char c = field[i];
        if (IsDigit(c)) {
            ++digits;
            if (c != '0' && !significant) significant = true;
            if (significant && !point) ++magnitude;
            if (!significant && point) --magnitude;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    long exponent = 0;
    if (i < n && (field[i] == 'e' || field[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (field[i] == '+' || field[i] == '-')) negativeExponent = field[i++] == '-';
        const size_t exponentStart = i;
        for (; i < n && IsDigit(field[i]); ++i)
            if (exponent < 100000) exponent = exponent * 10 + (field[i] - '0');
        if (i == exponentStart) return false;
        if (negativeExponent) exponent = -exponent;
    }
    if (i != n) return false;

    // from_chars takes no '+', and reads exactly this grammar otherwise.
    const char* first = field.data() + (field[0] == '+' ? 1 : 0);
    const char* last = field.data() + n;
    double parsed = 0;
    auto [end, error] = std::from_chars(first, last, parsed, std::chars_format::general);
    if (end != last) return false;
    if (error == std::errc::result_out_of_range) {
        if (!significant || magnitude + exponent <= 0) {
            value = negative ? -0.0 : 0.0;
            return true;
        }
        return false;
    }
    if (error != std::errc()) return false;
    value = parsed;
    return true;
}

}  // namespace delvaro
