#include "engine/fixed_format.h"

#include <bit>
#include <cassert>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace delvaro {

namespace {

using uint128 = unsigned __int128;

constexpr uint64_t kPowersOfTen[20] = {
    1ull,
    10ull,
    100ull,
    1000ull,
    10000ull,
    100000ull,
    1000000ull,
    10000000ull,
    100000000ull,
    1000000000ull,
    10000000000ull,
    100000000000ull,
    1000000000000ull,
    10000000000000ull,
    100000000000000ull,
    1000000000000000ull,
    10000000000000000ull,
    100000000000000000ull,
    1000000000000000000ull,
    10000000000000000000ull,
};

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void WritePair(char* out, uint32_t pair) { std::memcpy(out, kDigitPairs + 2 * pair, 2); }

// Eight digits of `n` (below 10^8): two independent halves, so that the
// divisions overlap.
void WriteEightDigits(char* out, uint32_t n) {
    const uint32_t high = n / 10000;
    const uint32_t low = n % 10000;
    WritePair(out, high / 100);
    WritePair(out + 2, high % 100);
    WritePair(out + 4, low / 100);
    WritePair(out + 6, low % 100);
}

// Exactly `width` digits of `n` (n < 10^width), leading zeros included,
// written backwards from `end`.
void WriteDigitsBackwards(char* end, uint64_t n, int width) {
    while (width >= 8) {
        end -= 8;
        WriteEightDigits(end, static_cast<uint32_t>(n % 100000000));
        n /= 100000000;
        width -= 8;
    }
    auto rest = static_cast<uint32_t>(n);
    while (width >= 2) {
        end -= 2;
        WritePair(end, rest % 100);
        rest /= 100;
        width -= 2;
    }
    if (width == 1) *--end = static_cast<char>('0' + rest);
}

// Number of decimal digits of `n`, at least one.
int DecimalWidth(uint64_t n) {
    int width = 1;
    while (width < 20 && n >= kPowersOfTen[width]) ++width;
    return width;
}

char* FormatWithLibrary(char* out, double value, int decimals) {
    auto result =
        std::to_chars(out, out + kFixedBufferSize, value, std::chars_format::fixed, decimals);
    return result.ptr;
}

}  // namespace

char* FormatFixed(char* out, double value, int decimals) {
    assert(decimals >= 0 && decimals <= kMaxFixedDecimals);
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const int biasedExponent = static_cast<int>((bits >> 52) & 0x7ff);
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    if (biasedExponent == 0x7ff) return FormatWithLibrary(out, value, decimals);

    // value = mantissa * 2^exponent exactly.
    const uint64_t mantissa = biasedExponent == 0 ? fraction : fraction | (uint64_t{1} << 52);
    const int exponent = biasedExponent == 0 ? -1074 : biasedExponent - 1075;

    uint64_t integerPart = 0;
    uint64_t scaledFraction = 0;  // the decimals as an integer below 10^decimals
    if (exponent >= 0) {
        // An integer; from 2^63 on the digits no longer fit in 64 bits.
        if (exponent > 10) return FormatWithLibrary(out, value, decimals);
        integerPart = mantissa << exponent;
    } else {
        const int shift = -exponent;
        uint64_t remainder = mantissa;
        if (shift < 64) {
            integerPart = mantissa >> shift;
            remainder = mantissa & ((uint64_t{1} << shift) - 1);
        }
        // remainder / 2^shift is the fractional part. Scaled by 10^decimals
        // it stays below 2^53 * 10^17 < 2^110, so the product is exact in
        // 128 bits, and so are the quotient and the bits shifted out.
        const uint64_t scale = kPowersOfTen[decimals];
        const uint128 product = static_cast<uint128>(remainder) * scale;
        if (shift < 128) {
            scaledFraction = static_cast<uint64_t>(product >> shift);
            const uint128 rest = product & ((static_cast<uint128>(1) << shift) - 1);
            const uint128 half = static_cast<uint128>(1) << (shift - 1);
            // Half to even; the last digit written decides what is even.
            const uint64_t lastDigit = decimals > 0 ? scaledFraction : integerPart;
            if (rest > half || (rest == half && (lastDigit & 1) != 0)) ++scaledFraction;
            if (scaledFraction == scale) {
                scaledFraction = 0;
                ++integerPart;
            }
        }
        // From 2^128 on the scaled fraction is far below a half: zero.
    }

    char* p = out;
    if (negative) *p++ = '-';
    const int integerWidth = DecimalWidth(integerPart);
    p += integerWidth;
    WriteDigitsBackwards(p, integerPart, integerWidth);
    if (decimals > 0) {
        *p++ = '.';
        p += decimals;
        WriteDigitsBackwards(p, scaledFraction, decimals);
    }
    return p;
}

}  // namespace delvaro
