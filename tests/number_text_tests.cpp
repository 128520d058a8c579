// Number texts: writing with 15 significant digits and reading a leading number.
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

TEST(NumberAtStart, ReadsTheLeadingNumberAfterWhiteSpace)
{
    const struct { const char* text; double value; } cases[] = {
        {"12", 12}, {"  12", 12}, {"\t\r\n-3.5x", -3.5}, {"+7", 7}, {".5", 0.5}, {"5.", 5},
        {"12abc", 12}, {"1e3", 1}, {"3.4.5", 3.4}, {"1 2", 1}, {"0012", 12},
        {"", 0}, {"abc", 0}, {"-", 0}, {".", 0}, {"- 5", 0}, {"x12", 0}, {"\v12", 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(NumberAtStart(c.text), c.value) << "text " << testing::PrintToString(c.text);
}

TEST(FieldAtStart, RoundsToNearestAndSaturatesAtSixteenBits)
{
    const struct { const char* text; int16_t value; } cases[] = {
        {"2026", 2026}, {"2.4", 2}, {"2.6", 3}, {"-2.6", -3}, {"2.5", 2}, {"3.5", 4},
        {"32767", 32767}, {"32767.6", 32767}, {"40000", 32767}, {"-32768", -32768},
        {"-40000", -32768}, {"99999999999999999999999999", 32767}, {"x", 0}, {" 08", 8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FieldAtStart(c.text), c.value) << "text " << testing::PrintToString(c.text);
}
