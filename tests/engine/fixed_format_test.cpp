#include "engine/fixed_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace delvaro {
namespace {

std::string Fixed(double value, int decimals) {
    char buffer[kFixedBufferSize];
    char* end = FormatFixed(buffer, value, decimals);
    return std::string(buffer, end);
}

std::string Printf(double value, int decimals) {
#ifdef _WIN32
    // The output is the same bytes everywhere; MinGW's printf alone drops
    // the sign of a negative NaN that glibc writes.
    if (std::isnan(value) && std::signbit(value)) return "-nan";
#endif
    char buffer[400];
    int n = std::snprintf(buffer, sizeof buffer, "%1.*lf", decimals, value);
    return std::string(buffer, static_cast<size_t>(n));
}

// The precisions the TREVADEL writer uses.
constexpr int kWriterDecimals[] = {4, 5, 7, 10, 12};

TEST(FormatFixed, TableOfCases) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double value;
        int decimals;
        const char* expected;
    };
    const Case cases[] = {
        {0.0, 4, "0.0000"},
        {-0.0, 4, "-0.0000"},
        {-0.0, 0, "-0"},
        {0.0000001, 7, "0.0000001"},
        {511.999956, 5, "511.99996"},
        {-782.4466, 5, "-782.44660"},
        {1.0859999999999999, 10, "1.0860000000"},
        {-33.45, 10, "-33.4500000000"},
        {0.0000012, 12, "0.000001200000"},
        {-0.00000034, 12, "-0.000000340000"},
        // Exact ties go to the even digit.
        {0.5, 0, "0"},
        {1.5, 0, "2"},
        {2.5, 0, "2"},
        {-2.5, 0, "-2"},
        {0.03125, 4, "0.0312"},
        {0.09375, 4, "0.0938"},
        {0.015625, 5, "0.01562"},
        {-0.015625, 5, "-0.01562"},
        {0.0001220703125, 12, "0.000122070312"},
        {0.0003662109375, 12, "0.000366210938"},
        {1.00048828125, 10, "1.0004882812"},
        // A carry through every digit.
        {9.99999999999999, 12, "10.000000000000"},
        {99999.999999, 5, "100000.00000"},
        {0.99999996, 7, "1.0000000"},
        // Below half a unit of the last decimal: zero, keeping the sign.
        {4.9e-13, 12, "0.000000000000"},
        {-4.9e-13, 12, "-0.000000000000"},
        {1e-300, 4, "0.0000"},
        {-4.9406564584124654e-324, 12, "-0.000000000000"},
        // Integers up to and past 2^63.
        {9007199254740993.0, 4, "9007199254740992.0000"},
        {9223372036854775807.0, 4, "9223372036854775808.0000"},
        {1e20, 5, "100000000000000000000.00000"},
        {-1e22, 4, "-10000000000000000000000.0000"},
        {inf, 4, "inf"},
        {-inf, 5, "-inf"},
        {nan, 12, "nan"},
        {-nan, 10, "-nan"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Fixed(c.value, c.decimals), c.expected)
            << "value " << Printf(c.value, 20) << ", " << c.decimals << " decimals";
        EXPECT_EQ(Fixed(c.value, c.decimals), Printf(c.value, c.decimals));
    }
    EXPECT_EQ(Fixed(DBL_MAX, 4), Printf(DBL_MAX, 4));
    EXPECT_EQ(Fixed(-DBL_MAX, kMaxFixedDecimals), Printf(-DBL_MAX, kMaxFixedDecimals));
    EXPECT_EQ(Fixed(-DBL_MAX, kMaxFixedDecimals).size(), static_cast<size_t>(kFixedBufferSize));
}

// Every bit pattern is some double: uniform bits reach every exponent,
// subnormals and huge values alike.
TEST(FormatFixed, MatchesPrintfForRandomBitPatterns) {
    std::mt19937_64 random(20240517);
    for (int i = 0; i < 200000; ++i) {
        const double value = std::bit_cast<double>(random());
        const int decimals = static_cast<int>(random() % (kMaxFixedDecimals + 1));
        ASSERT_EQ(Fixed(value, decimals), Printf(value, decimals)) << std::hexfloat << value;
    }
}

// Values of the sizes the writer meets: coordinates, angles, heights,
// vectors and covariance terms, both signs.
TEST(FormatFixed, MatchesPrintfForValuesOfTheWritersRange) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-16, 8);
    for (int i = 0; i < 100000; ++i) {
        const double magnitude = mantissa(random) * std::pow(10.0, exponent(random));
        const double value = (random() & 1) != 0 ? -magnitude : magnitude;
        for (int decimals : kWriterDecimals)
            ASSERT_EQ(Fixed(value, decimals), Printf(value, decimals)) << std::hexfloat << value;
    }
}

// x is exactly halfway between two results with d decimals when its binary
// fraction ends at bit d + 1: x * 10^d is then an odd multiple of a half.
// The neighbouring doubles on each side must round away from the tie.
TEST(FormatFixed, MatchesPrintfAtExactTiesAndTheirNeighbours) {
    std::mt19937_64 random(11);
    for (int decimals = 0; decimals <= kMaxFixedDecimals; ++decimals) {
        for (int i = 0; i < 4000; ++i) {
            const int integerBits = static_cast<int>(random() % (52 - decimals));
            const uint64_t odd = (random() >> (63 - integerBits - decimals - 1)) | 1;
            const double tie = std::ldexp(static_cast<double>(odd), -(decimals + 1));
            for (double value : {tie, -tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e300),
                                 -std::nextafter(tie, 0.0)}) {
                ASSERT_EQ(Fixed(value, decimals), Printf(value, decimals))
                    << std::hexfloat << value << ", " << decimals << " decimals";
            }
        }
    }
}

}  // namespace
}  // namespace delvaro
