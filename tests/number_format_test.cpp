#include <gtest/gtest.h>

#include "NumberFormat.h"

namespace pelorin {
namespace {

struct FormatCase {
    double value;
    int width;
    int decimals;
    const char* text;
};

class NumberFormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NumberFormatTest, WritesTheFixedPointText) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatFixed(c.value, c.width, c.decimals), c.text)
        << c.value << " as " << c.width << ":" << c.decimals;
}

INSTANTIATE_TEST_SUITE_P(
    Conventions, NumberFormatTest,
    ::testing::Values(
        // halves go away from zero at the d-th decimal
        FormatCase{0.125, 0, 2, "0.13"}, FormatCase{-0.125, 0, 2, "-0.13"},
        FormatCase{0.5, 3, 0, "  1"}, FormatCase{2.5, 0, 0, "3"},
        // the sign stays when a negative value rounds to zero
        FormatCase{-0.00001, 10, 4, "   -0.0000"}, FormatCase{-0.0, 7, 2, "  -0.00"},
        // the field is filled exactly, or the text written in full
        FormatCase{12345.678, 10, 4, "12345.6780"}, FormatCase{123456.7, 10, 4, "123456.7000"},
        FormatCase{0.005, 10, 4, "    0.0050"}, FormatCase{2, 10, 3, "     2.000"},
        FormatCase{0, 10, 4, "    0.0000"}, FormatCase{0.00002, 6, 2, "  0.00"},
        FormatCase{20.24, 6, 2, " 20.24"}, FormatCase{9.9996, 8, 3, "  10.000"},
        FormatCase{999.9999, 0, 3, "1000.000"}, FormatCase{1e20, 0, 1, "100000000000000000000.0"},
        // 18 significant digits first: 0.1 + 0.2 is 0.300000000000000044
        FormatCase{0.1 + 0.2, 0, 17, "0.30000000000000004"},
        FormatCase{1.0000000000000000005e-3, 0, 4, "0.0010"},
        // 0.00045 is stored a little below the half, and stays below at 18 digits
        FormatCase{0.00045, 0, 4, "0.0004"}, FormatCase{0.00055, 0, 4, "0.0006"}));

}  // namespace
}  // namespace pelorin
