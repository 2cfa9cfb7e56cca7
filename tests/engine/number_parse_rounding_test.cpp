#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

#include "engine/number_parse.h"

namespace delvaro {
namespace {

// The nearest double, as the C library's own conversion gives it.
double LibraryValue(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

void ExpectSameBits(const std::string& text) {
    double value = 12345;
    ASSERT_TRUE(ParseDecimalNumber(text, value)) << text;
    ASSERT_EQ(std::bit_cast<uint64_t>(value), std::bit_cast<uint64_t>(LibraryValue(text))) << text;
}

TEST(ParseDecimalNumber, GivesTheNearestDoubleForTypicalFields) {
    for (const char* text : {"0",
                             "-0",
                             "+0",
                             "0.0",
                             "-0.0",
                             "-0e5",
                             "0e-400",
                             "1",
                             "-1",
                             "4361564.4935",
                             "-782.4466",
                             "0.0000012",
                             "-0.00000034",
                             "7.278233e-06",
                             "1.2E+3",
                             "1.",
                             ".5",
                             "-.5e-1",
                             "3.28083333333333",
                             "9007199254740993",
                             "9007199254740992",
                             "9007199254740991.5",
                             "123456789012345678901234567890",
                             "1e22",
                             "1e23",
                             "9.999999999999999e22",
                             "1e-22",
                             "1e-23",
                             "2.2250738585072014e-308",
                             "4.9e-324",
                             "1.7976931348623157e308",
                             "0.1",
                             "0.3",
                             "17976931348623157e292",
                             "000000000000000000000000000001.5",
                             "1.00000000000000000000000000001"})
        ExpectSameBits(text);
}

TEST(ParseDecimalNumber, RefusesWhatIsNotADecimalNumberAsAWhole) {
    for (const char* text : {"",       "+",
                             "-",      ".",
                             "+.",     "e5",
                             ".e5",    "1e",
                             "1e+",    "1E-",
                             "1.2.3",  "1x",
                             "0x10",   "inf",
                             "-nan",   "1,5",
                             " 1",     "1 ",
                             "--1",    "+-1",
                             "1e5.0",  "1e2e3",
                             "1d5",    "1e400",
                             "-1e400", "12345678901234567890e300"}) {
        double value = 0;
        EXPECT_FALSE(ParseDecimalNumber(text, value)) << text;
    }
}

// Random decimals with up to 22 digits, the point anywhere, and exponents
// around the range where a single multiplication or division is exact.
TEST(ParseDecimalNumber, GivesTheNearestDoubleForRandomDecimals) {
    std::mt19937_64 random(5);
    for (int i = 0; i < 300000; ++i) {
        std::string text;
        if (random() % 3 == 0) text += random() % 2 ? '-' : '+';
        const int digits = 1 + static_cast<int>(random() % 22);
        const int point = static_cast<int>(random() % (digits + 2)) - 1;  // -1: no point
        for (int d = 0; d < digits; ++d) {
            if (d == point) text += '.';
            // Leading zeros and long runs of nines now and then.
            const uint64_t r = random() % 12;
            text += r < 10 ? static_cast<char>('0' + r) : r == 10 ? '0' : '9';
        }
        if (random() % 2 == 0) {
            text += random() % 2 ? 'e' : 'E';
            if (random() % 2) text += random() % 2 ? '-' : '+';
            text += std::to_string(random() % 40);
        }
        ExpectSameBits(text);
    }
}

}  // namespace
}  // namespace delvaro
