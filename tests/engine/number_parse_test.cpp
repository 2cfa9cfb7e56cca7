#include "engine/number_parse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace delvaro {
namespace {

TEST(ParseDecimalNumber, AcceptsFiniteDecimalsWithAtofValue) {
    const char* accepted[] = {"0",
                              "-0",
                              "+1",
                              "1.",
                              ".5",
                              "-.5e-3",
                              "12.75",
                              "1e5",
                              "1E+05",
                              "2.5e-3",
                              "007",
                              "4517600.8273",
                              "1e-400",
                              "-1e-400",
                              "4.9e-324",
                              "1.7976931348623157e308",
                              "0.000000000000000000000000000000000000000000000001"};
    for (const char* text : accepted) {
        double value = 123;
        ASSERT_TRUE(ParseDecimalNumber(text, value)) << text;
        EXPECT_EQ(value, std::atof(text)) << text;
        EXPECT_EQ(std::signbit(value), std::signbit(std::atof(text))) << text;
    }
}

TEST(ParseDecimalNumber, RejectsEverythingElse) {
    const char* rejected[] = {
        "",      "+",           "-",   ".",   "1..2", "1.2.3", "e5",       "1e",    "1e+",
        "1e5.0", "55640x.2668", "nan", "NaN", "inf",  "-inf",  "infinity", "1e999", "-1e309",
        "0x10",  "1,5",         "++1", "+-1", "1 ",   " 1",    "12abc",    "1e5x",  "PT100X1234"};
    for (const char* text : rejected) {
        double value = 0;
        EXPECT_FALSE(ParseDecimalNumber(text, value)) << text;
    }
}

}  // namespace
}  // namespace delvaro
