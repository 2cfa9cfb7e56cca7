#include "engine/fixed_format.h"

#include <bit>
#include <cassert>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace delvaro {

namespace {

#ifdef __SIZEOF_INT128__
using uint128 = unsigned __int128;
#define DELVARO_HAVE_UINT128 1
#endif

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

// The two digits of `pair` (below 100) as they lie in memory.
uint64_t PairBytes(uint32_t pair) {
    uint16_t bytes;
    std::memcpy(&bytes, kDigitPairs + 2 * pair, 2);
    return bytes;
}

// The eight digits of `n` (below 10^8) as they lie in memory. On a
// little-endian machine all in one register, every step dividing several
// lanes at once: the two halves of four digits in 32-bit lanes, the pairs
// in 16-bit lanes, the digits in bytes. Each lane's quotient comes from a
// multiplication and a shift that are exact over the lane's range (x * 5243
// >> 19 is x / 100 below 43,699; x * 103 >> 10 is x / 10 below 179), and no
// lane's product reaches the next lane.
uint64_t EightDigitsWord(uint32_t n) {
    const uint32_t high = n / 10000;
    const uint32_t low = n % 10000;
    if constexpr (std::endian::native == std::endian::little) {
        // First digits in the low lane: they come first in memory.
        const uint64_t halves = high | static_cast<uint64_t>(low) << 32;
        const uint64_t hundreds = ((halves * 5243) >> 19) & 0x0000007F0000007F;
        const uint64_t pairs = hundreds | (halves - hundreds * 100) << 16;
        const uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000F;
        const uint64_t digits = tens | (pairs - tens * 10) << 8;
        return digits + 0x3030303030303030;
    } else {
        const uint64_t a = PairBytes(high / 100), b = PairBytes(high % 100);
        const uint64_t c = PairBytes(low / 100), d = PairBytes(low % 100);
        return a << 48 | b << 32 | c << 16 | d;
    }
}

void WriteEightDigits(char* out, uint32_t n) {
    const uint64_t word = EightDigitsWord(n);
    std::memcpy(out, &word, 8);
}

// The `width` (1 to 8) digits of `n` (below 10^width), leading zeros
// included, at `out`; the eight bytes from `out` on are written. The unused
// leading zeros are shifted out of the word: no branch depends on `width`.
void WriteShortDigits(char* out, uint32_t n, int width) {
    uint64_t word = EightDigitsWord(n);
    const int unused = 8 * (8 - width);
    if constexpr (std::endian::native == std::endian::little)
        word >>= unused;
    else
        word <<= unused;
    std::memcpy(out, &word, 8);
}

// Exactly `width` digits (at most 20) of `n` (n < 10^width), leading zeros
// included, at `out`; writes at least eight bytes. The leading digits go
// first, so that the bytes their write spills are overwritten by the rest.
[[maybe_unused]] void WriteDigits(char* out, uint64_t n, int width) {
    uint32_t lowerGroups[2];
    int groups = 0;
    while (width > 8) {
        lowerGroups[groups++] = static_cast<uint32_t>(n % 100000000);
        n /= 100000000;
        width -= 8;
    }
    WriteShortDigits(out, static_cast<uint32_t>(n), width);
    out += width;
    while (groups > 0) {
        WriteEightDigits(out, lowerGroups[--groups]);
        out += 8;
    }
}

// Number of decimal digits of `n`, at least one: log10(2) is about
// 1233 / 4096, which gives the width from the bit width to within one.
[[maybe_unused]] int DecimalWidth(uint64_t n) {
    n |= 1;  // zero has one digit, like one
    const int estimate = (static_cast<int>(std::bit_width(n)) * 1233) >> 12;
    return estimate + (n >= kPowersOfTen[estimate] ? 1 : 0);
}

char* FormatWithLibrary(char* out, double value, int decimals) {
    auto result =
        std::to_chars(out, out + kFixedBufferSize, value, std::chars_format::fixed, decimals);
    return result.ptr;
}

}  // namespace

char* FormatFixed(char* out, double value, int decimals) {
    assert(decimals >= 0 && decimals <= kMaxFixedDecimals);
#ifndef DELVARO_HAVE_UINT128
    // Without 128-bit integers (MSVC) the library gives the same digits.
    return FormatWithLibrary(out, value, decimals);
#else
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const int biasedExponent = static_cast<int>((bits >> 52) & 0x7ff);
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    if (biasedExponent == 0x7ff) return FormatWithLibrary(out, value, decimals);
    if (bits == 0) {
        // Positive zero, which the writer prints often: "0", then the point
        // and the zeros if there are decimals.
        static constexpr char kZero[] = "0.00000000000000000";
        static_assert(sizeof kZero == 2 + kMaxFixedDecimals + 1);
        // All of it is copied, a fixed size without a call; the bytes past
        // the text lie within the room the caller gives.
        std::memcpy(out, kZero, sizeof kZero);
        return out + (decimals > 0 ? 2 + decimals : 1);
    }

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
            // Half to even, without a branch on the bits shifted out: adding
            // just under a half, plus one when the truncated result is odd,
            // carries into the result exactly when it must round up. The
            // last digit written decides what is odd. The sum stays below
            // 2^110 + 2^127.
            const uint64_t truncated = static_cast<uint64_t>(product >> shift);
            const uint64_t odd = (decimals > 0 ? truncated : integerPart) & 1;
            const uint128 half = static_cast<uint128>(1) << (shift - 1);
            scaledFraction = static_cast<uint64_t>((product + (half - 1) + odd) >> shift);
            if (scaledFraction == scale) {
                scaledFraction = 0;
                ++integerPart;
            }
        }
        // From 2^128 on the scaled fraction is far below a half: zero.
    }

    char* p = out;
    *p = '-';
    p += negative ? 1 : 0;
    const int integerWidth = DecimalWidth(integerPart);
    WriteDigits(p, integerPart, integerWidth);
    p += integerWidth;
    if (decimals > 0) {
        *p++ = '.';
        WriteDigits(p, scaledFraction, decimals);
        p += decimals;
    }
    return p;
#endif
}

}  // namespace delvaro
