#include "engine/number_parse.h"

#include <cfloat>
#include <charconv>
#include <cstdint>
#include <system_error>

namespace delvaro {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// significand * 10^power when both factors are exact doubles: one
// multiplication or division then rounds once, to the nearest double, which
// is the correctly rounded value of the decimal. False when the factors are
// not exact (or the arithmetic is not plain double) and a full conversion
// is needed.
bool ExactQuotient(uint64_t significand, long power, double& value) {
#if FLT_EVAL_METHOD == 0
    if (significand > (uint64_t{1} << 53) || power < -22 || power > 22) return false;
    const double exact = static_cast<double>(significand);
    value = power < 0 ? exact / kExactPowersOfTen[-power] : exact * kExactPowersOfTen[power];
    return true;
#else
    (void)significand;
    (void)power;
    (void)value;
    return false;
#endif
}

// The common field: a sign, at most 19 digits around an optional point,
// an exponent of at most three digits, and a value that ExactQuotient
// gives. True when the field is such a number and `value` is set; false
// when the field needs the full reading below, which also rejects it if
// it is no number.
bool ParseShortDecimal(std::string_view field, double& value) {
    const char* p = field.data();
    const char* const end = p + field.size();
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    uint64_t significand = 0;
    const char* const integerStart = p;
    while (p < end && IsDigit(*p))
        significand = significand * 10 + static_cast<unsigned>(*p++ - '0');
    const long integerDigits = p - integerStart;
    long fractionDigits = 0;
    if (p < end && *p == '.') {
        const char* const fractionStart = ++p;
        while (p < end && IsDigit(*p))
            significand = significand * 10 + static_cast<unsigned>(*p++ - '0');
        fractionDigits = p - fractionStart;
    }
    // Up to 19 digits the significand cannot have wrapped around.
    const long digits = integerDigits + fractionDigits;
    if (digits == 0 || digits > 19) return false;
    long exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negativeExponent = false;
        if (p < end && (*p == '+' || *p == '-')) negativeExponent = *p++ == '-';
        const char* const exponentStart = p;
        while (p < end && IsDigit(*p) && p - exponentStart < 3)
            exponent = exponent * 10 + (*p++ - '0');
        if (p == exponentStart) return false;
        if (negativeExponent) exponent = -exponent;
    }
    if (p != end || !ExactQuotient(significand, exponent - fractionDigits, value)) return false;
    if (negative) value = -value;
    return true;
}

}  // namespace

bool ParseDecimalNumber(std::string_view field, double& value) {
    if (ParseShortDecimal(field, value)) return true;
    size_t i = 0;
    const size_t n = field.size();
    bool negative = false;
    if (i < n && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
    size_t digits = 0;
    bool point = false;
    // The digits as one integer while they fit, and how many stand after
    // the point: the value is significand * 10^(exponent - fractionDigits).
    uint64_t significand = 0;
    int significandDigits = 0;
    long fractionDigits = 0;
    // Decimal order of magnitude of the first non-zero digit, to tell an
    // underflow from an overflow when the conversion reports a range error.
    long magnitude = 0;
    bool significant = false;
    for (; i < n; ++i) {
        char c = field[i];
        if (IsDigit(c)) {
            ++digits;
            if (point) ++fractionDigits;
            if (significand != 0 || c != '0') {
                if (++significandDigits <= 19) significand = significand * 10 + (c - '0');
            }
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

    if (significandDigits <= 19 && ExactQuotient(significand, exponent - fractionDigits, value)) {
        if (negative) value = -value;
        return true;
    }

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
