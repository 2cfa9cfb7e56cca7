// Numbers as dialog boxes show and read them, the same in every locale.
#include "platform/number_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>

namespace {

TEST(AfxParseDouble, TakesADecimalNumberWithBlanksAroundIt) {
    const struct {
        const char* text;
        double value;
    } accepted[] = {
        {"1", 1.0},
        {"1.", 1.0},
        {".5", 0.5},
        {"-0.25", -0.25},
        {"+3", 3.0},
        {"1e-5", 1e-5},
        {"1E+2", 100.0},
        {" \t2.5 ", 2.5},
        {"99999.5", 99999.5},
        {"1.234567", 1.234567},
        {"0", 0.0},
        {"1e999", HUGE_VAL},
        {"-1e999", -HUGE_VAL},
        {"1e-999", 0.0},
        {"0.00001e5", 1.0},
    };
    for (const auto& c : accepted) {
        double value = -42;
        EXPECT_TRUE(AfxParseDouble(c.text, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(AfxParseDouble, RefusesEverythingElse) {
    for (const char* text : {"", "   ", "abc", "2.5x", "1e", "1e+", ".", "-", "+-1", "1,5", "1 2",
                             "nan", "inf", "0x10", "1.2.3", "--1"}) {
        double value = 7;
        EXPECT_FALSE(AfxParseDouble(text, value)) << '"' << text << '"';
        EXPECT_EQ(value, 7) << text;
    }
}

TEST(AfxFormatDouble, WritesAsPercentGWithFifteenDigits) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.00001, "1e-05"},
        {99999, "99999"},
        {1.0, "1"},
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {1234567890123456789.0, "1.23456789012346e+18"},
        {-2.5, "-2.5"},
    };
    for (const auto& c : cases) EXPECT_EQ(AfxFormatDouble(c.value, DBL_DIG), c.text);
}

TEST(AfxParseInt, TakesADecimalIntegerInRange) {
    int value = 0;
    EXPECT_TRUE(AfxParseInt(" 42 ", value));
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(AfxParseInt("-2147483648", value));
    EXPECT_EQ(value, -2147483647 - 1);
    for (const char* text : {"", "4.2", "2147483648", "x", "+-1", "1 2"})
        EXPECT_FALSE(AfxParseInt(text, value)) << text;
}

// Under a locale with a decimal comma the boxes still use the point. The
// test set-up compiles one into the build folder where it can.
TEST(NumberText, DoesNotDependOnTheLocale) {
    setenv("LOCPATH", DELVARO_COMMA_LOCALE_DIR, 1);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma to test under";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    double value = 0;
    EXPECT_TRUE(AfxParseDouble("2.5", value));
    EXPECT_EQ(value, 2.5);
    EXPECT_FALSE(AfxParseDouble("2,5", value));
    EXPECT_EQ(AfxFormatDouble(0.00001, DBL_DIG), "1e-05");
    EXPECT_EQ(AfxFormatDouble(2.5, DBL_DIG), "2.5");
    std::setlocale(LC_ALL, "C");
}

}  // namespace
