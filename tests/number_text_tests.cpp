// Number texts: writing with 15 significant digits.
#include <gtest/gtest.h>

#include "number_text.h"

TEST(NumberToText, BlankOrMinusThenShortestDecimal)
{
    const struct { double value; const char* text; } cases[] = {
        {0.0, " 0"}, {-0.0, " 0"}, {52, " 52"}, {-3, "-3"}, {100, " 100"},
        {0.5, " .5"}, {-0.25, "-.25"}, {0.001, " .001"}, {1e-5, " .00001"},
        {45296.12, " 45296.12"}, {45296, " 45296"}, {86399.999, " 86399.999"},
        {1.0 / 3, " .333333333333333"}, {2.0 / 3, " .666666666666667"},
        {9.999999999999999, " 10"}, {1e15, " 1000000000000000"},
        {123456789012345678.0, " 123456789012346000"}, {-1234.5678, "-1234.5678"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberToText(c.value), c.text) << "value " << testing::PrintToString(c.value);
}
