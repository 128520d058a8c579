// Picker texts -> record: the fixed parse of the classic format and the
// parse by the user's locale formats.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "picker_parse.h"

namespace {

bool SameRecord(const TargetRecord& a, const TargetRecord& b)
{
    return a.minute == b.minute && a.hour == b.hour && a.day == b.day && a.month == b.month
        && a.year == b.year;
}

std::string Describe(const TargetRecord& r)
{
    char text[64];
    snprintf(text, sizeof text, "%d/%d/%d %d:%d", r.day, r.month, r.year, r.hour, r.minute);
    return text;
}

PickerFormats Formats(const wchar_t* date, const wchar_t* time, const wchar_t* am = L"AM",
                      const wchar_t* pm = L"PM")
{
    return {date, time, am, pm, DEFAULT_TWO_DIGIT_YEAR_MAX};
}

const PickerFormats CLASSIC = Formats(L"dd/MM/yyyy", L"HH:mm:ss");
const TargetRecord DECEMBER_8_2026_2130 = {30, 21, 8, 12, 2026};

// Parses and compares, reporting the texts and both records.
void ExpectParse(const std::wstring& time, const std::wstring& date, const PickerFormats& formats,
                 const TargetRecord& expected)
{
    TargetRecord record = {};
    ASSERT_TRUE(ParsePickerTexts(time, date, formats, &record))
        << "time \"" << std::string(time.begin(), time.end()) << "\" date \""
        << std::string(date.begin(), date.end()) << "\" not understood";
    EXPECT_TRUE(SameRecord(record, expected))
        << "got " << Describe(record) << ", expected " << Describe(expected);
}

void ExpectRefused(const std::wstring& time, const std::wstring& date, const PickerFormats& formats)
{
    TargetRecord record = {1, 2, 3, 4, 5};
    EXPECT_FALSE(ParsePickerTexts(time, date, formats, &record))
        << "time \"" << std::string(time.begin(), time.end()) << "\" date \""
        << std::string(date.begin(), date.end()) << "\" was accepted as " << Describe(record);
    EXPECT_TRUE(SameRecord(record, {1, 2, 3, 4, 5})) << "record changed on failure";
}

}  // namespace

TEST(FixedPickerParse, ClassicTextsGiveTheExampleBytes)
{
    const TargetRecord record = ParseFixedPickerTexts("21:30:00", "08/12/2026");
    unsigned char bytes[TARGET_RECORD_SIZE];
    EncodeTargetRecord(record, bytes);
    const unsigned char expected[TARGET_RECORD_SIZE] = {0x1E, 0x00, 0x15, 0x00, 0x08,
                                                        0x00, 0x0C, 0x00, 0xEA, 0x07};
    for (int i = 0; i < TARGET_RECORD_SIZE; ++i)
        EXPECT_EQ(expected[i], bytes[i]) << "byte " << i;
}

TEST(FixedPickerParse, HoursOfOneOrTwoDigitsAndSecondsDropped)
{
    EXPECT_EQ(9, ParseFixedPickerTexts("9:05:00", "08/12/2026").hour);
    EXPECT_EQ(5, ParseFixedPickerTexts("9:05:00", "08/12/2026").minute);
    EXPECT_EQ(9, ParseFixedPickerTexts("09:05:00", "08/12/2026").hour);
    EXPECT_EQ(5, ParseFixedPickerTexts("09:05:00", "08/12/2026").minute);
    EXPECT_TRUE(SameRecord(ParseFixedPickerTexts("21:30:59", "08/12/2026"),
                           ParseFixedPickerTexts("21:30:00", "08/12/2026")));
}

TEST(FixedPickerParse, OtherShapesGiveWhatThePositionsHold)
{
    // No colon: the hour is empty and the minute comes from characters 1-2.
    const TargetRecord noColon = ParseFixedPickerTexts("2130", "08/12/2026");
    EXPECT_EQ(0, noColon.hour);
    EXPECT_EQ(21, noColon.minute);
    // One-digit day: month read from "2/" is 2, not 12.
    const TargetRecord shortDay = ParseFixedPickerTexts("21:30:00", "8/12/2026");
    EXPECT_EQ(8, shortDay.day);
    EXPECT_EQ(2, shortDay.month);
    // Empty texts give zeros.
    EXPECT_TRUE(SameRecord(ParseFixedPickerTexts("", ""), {0, 0, 0, 0, 0}));
}

TEST(LocalePickerParse, ClassicFormatExamples)
{
    ExpectParse(L"21:30:00", L"08/12/2026", CLASSIC, DECEMBER_8_2026_2130);
    ExpectParse(L"21:30:59", L"08/12/2026", CLASSIC, DECEMBER_8_2026_2130);
    ExpectParse(L"9:05:00", L"08/12/2026", CLASSIC, {5, 9, 8, 12, 2026});
    ExpectParse(L"09:05:00", L"08/12/2026", CLASSIC, {5, 9, 8, 12, 2026});
}

// Every minute of the day with several seconds, and every day of several
// years, printed as the classic format prints them: both parses agree.
TEST(LocalePickerParse, AgreesWithTheFixedParseOnTheClassicFormat)
{
    const PickerFormats oneDigitHour = Formats(L"dd/MM/yyyy", L"H:mm:ss");
    int compared = 0;
    for (int hour = 0; hour < 24; ++hour) {
        for (int minute = 0; minute < 60; ++minute) {
            for (int second : {0, 7, 59}) {
                char time[16], shortTime[16];
                snprintf(time, sizeof time, "%02d:%02d:%02d", hour, minute, second);
                snprintf(shortTime, sizeof shortTime, "%d:%02d:%02d", hour, minute, second);
                const TargetRecord fixed = ParseFixedPickerTexts(time, "08/12/2026");
                const TargetRecord fixedShort = ParseFixedPickerTexts(shortTime, "08/12/2026");
                TargetRecord byLocale = {}, byLocaleShort = {};
                ASSERT_TRUE(ParsePickerTexts(std::wstring(time, time + 8), L"08/12/2026",
                                             CLASSIC, &byLocale)) << time;
                ASSERT_TRUE(ParsePickerTexts(std::wstring(shortTime, shortTime + strlen(shortTime)),
                                             L"08/12/2026", oneDigitHour, &byLocaleShort)) << shortTime;
                ASSERT_TRUE(SameRecord(fixed, byLocale)) << time << ": " << Describe(byLocale);
                ASSERT_TRUE(SameRecord(fixedShort, byLocaleShort)) << shortTime;
                ++compared;
            }
        }
    }
    const int daysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int year : {1601, 1999, 2024, 2026, 2100, 9999}) {
        for (int month = 1; month <= 12; ++month) {
            const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
            const int days = daysInMonth[month - 1] + (month == 2 && leap ? 1 : 0);
            for (int day = 1; day <= days; ++day) {
                char date[16];
                snprintf(date, sizeof date, "%02d/%02d/%04d", day, month, year);
                TargetRecord byLocale = {};
                ASSERT_TRUE(ParsePickerTexts(L"21:30:00", std::wstring(date, date + 10), CLASSIC,
                                             &byLocale)) << date;
                ASSERT_TRUE(SameRecord(ParseFixedPickerTexts("21:30:00", date), byLocale)) << date;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 6000);
}

TEST(LocalePickerParse, DateOrdersOfOtherLocales)
{
    const TargetRecord dec8 = DECEMBER_8_2026_2130;
    ExpectParse(L"21:30:00", L"8/12/2026", Formats(L"d/M/yyyy", L"HH:mm:ss"), dec8);
    ExpectParse(L"21:30:00", L"12/8/2026", Formats(L"M/d/yyyy", L"HH:mm:ss"), dec8);
    ExpectParse(L"21:30:00", L"2026-12-08", Formats(L"yyyy-MM-dd", L"HH:mm:ss"), dec8);
    ExpectParse(L"21:30:00", L"08.12.2026", Formats(L"dd.MM.yyyy", L"HH:mm:ss"), dec8);
    ExpectParse(L"21:30:00", L"2026/12/8", Formats(L"yyyy/M/d", L"H:mm:ss"), dec8);
    // en-US: 10/11/2026 is the 11th of October, not the 10th of November.
    ExpectParse(L"9:05:00 PM", L"10/11/2026", Formats(L"M/d/yyyy", L"h:mm:ss tt"),
                {5, 21, 11, 10, 2026});
    // Quoted literals and day names carry no numbers.
    ExpectParse(L"21:30:00", L"mar., 8 de 12 de 2026",
                Formats(L"ddd, d 'de' M 'de' yyyy", L"HH:mm:ss"), dec8);
}

TEST(LocalePickerParse, TwoDigitYearsFollowTheCenturyWindow)
{
    ExpectParse(L"21:30:00", L"08/12/26", Formats(L"dd/MM/yy", L"HH:mm:ss"), DECEMBER_8_2026_2130);
    ExpectParse(L"21:30:00", L"08/12/30", Formats(L"dd/MM/yy", L"HH:mm:ss"), {30, 21, 8, 12, 1930});
    PickerFormats window2049 = Formats(L"dd/MM/yy", L"HH:mm:ss");
    window2049.twoDigitYearMax = 2049;
    ExpectParse(L"21:30:00", L"08/12/30", window2049, {30, 21, 8, 12, 2030});
    // A picker that shows four digits for "yy" is read as shown.
    ExpectParse(L"21:30:00", L"08/12/2026", Formats(L"dd/MM/yy", L"HH:mm:ss"), DECEMBER_8_2026_2130);
}

TEST(LocalePickerParse, TwelveHourClockWithDesignators)
{
    const PickerFormats us = Formats(L"M/d/yyyy", L"h:mm:ss tt");
    const PickerFormats mx = Formats(L"dd/MM/yyyy", L"hh:mm:ss tt", L"a. m.", L"p. m.");
    ExpectParse(L"9:05:00 PM", L"12/8/2026", us, {5, 21, 8, 12, 2026});
    ExpectParse(L"9:05:00 AM", L"12/8/2026", us, {5, 9, 8, 12, 2026});
    ExpectParse(L"12:00:00 AM", L"12/8/2026", us, {0, 0, 8, 12, 2026});
    ExpectParse(L"12:59:00 PM", L"12/8/2026", us, {59, 12, 8, 12, 2026});
    ExpectParse(L"9:05:00 p. m.", L"08/12/2026", mx, {5, 21, 8, 12, 2026});
    ExpectParse(L"09:05:00 a. m.", L"08/12/2026", mx, {5, 9, 8, 12, 2026});
    // Blanks may be non-breaking in the text.
    ExpectParse(L"9:05:00\u00A0p.\u00A0m.", L"08/12/2026", mx, {5, 21, 8, 12, 2026});
    ExpectParse(L"9:05:00 p.m.", L"08/12/2026", mx, {5, 21, 8, 12, 2026});
    // Designator first, single-letter designator, designators of other scripts.
    ExpectParse(L"PM 9:05:00", L"12/8/2026", Formats(L"M/d/yyyy", L"tt h:mm:ss"), {5, 21, 8, 12, 2026});
    ExpectParse(L"9:05 P", L"12/8/2026", Formats(L"M/d/yyyy", L"h:mm t"), {5, 21, 8, 12, 2026});
    ExpectParse(L"\u4E0B\u5348 9:05:00", L"2026/12/8",
                Formats(L"yyyy/M/d", L"tt h:mm:ss", L"\u4E0A\u5348", L"\u4E0B\u5348"),
                {5, 21, 8, 12, 2026});
    // A 24-hour format ignores designators.
    ExpectParse(L"21:30:00", L"08/12/2026", Formats(L"dd/MM/yyyy", L"H:mm:ss", L"a. m.", L"p. m."),
                DECEMBER_8_2026_2130);
}

TEST(LocalePickerParse, MarksAndDigitsOfOtherScripts)
{
    // Left-to-right and right-to-left marks around the fields.
    ExpectParse(L"\u200E21:30:00", L"\u200E08\u200E/\u200E12\u200E/\u200E2026\u200F", CLASSIC,
                DECEMBER_8_2026_2130);
    ExpectParse(L"\u200F9:05:00\u200F \u200FPM", L"\u200F12/\u200F8/\u200F2026",
                Formats(L"M/d/yyyy", L"h:mm:ss tt"), {5, 21, 8, 12, 2026});
    // Arabic-Indic digits and Arabic designators.
    ExpectParse(L"\u0669:\u0660\u0665:\u0660\u0660 \u0645", L"\u0660\u0668/\u0661\u0662/\u0662\u0660\u0662\u0666",
                Formats(L"dd/MM/yyyy", L"hh:mm:ss tt", L"\u0635", L"\u0645"), {5, 21, 8, 12, 2026});
    // Fullwidth digits.
    ExpectParse(L"\uFF12\uFF11:\uFF13\uFF10:00", L"2026/12/08", Formats(L"yyyy/MM/dd", L"HH:mm:ss"),
                DECEMBER_8_2026_2130);
}

TEST(LocalePickerParse, RefusesTextsThatDoNotFit)
{
    ExpectRefused(L"", L"08/12/2026", CLASSIC);
    ExpectRefused(L"21:30:00", L"", CLASSIC);
    ExpectRefused(L"SysDateTimePick32_1", L"SysDateTimePick32_1", CLASSIC);
    ExpectRefused(L"21:30", L"08/12/2026", CLASSIC);            // seconds missing
    ExpectRefused(L"21:30:00", L"08/12", CLASSIC);               // year missing
    ExpectRefused(L"21:30:00", L"08/12/2026/1", CLASSIC);        // one number too many
    ExpectRefused(L"24:00:00", L"08/12/2026", CLASSIC);          // hour out of range
    ExpectRefused(L"21:60:00", L"08/12/2026", CLASSIC);          // minute out of range
    ExpectRefused(L"21:30:00", L"31/11/2026", CLASSIC);          // no such day
    ExpectRefused(L"21:30:00", L"29/02/2026", CLASSIC);          // not a leap year
    ExpectRefused(L"21:30:00", L"08/13/2026", CLASSIC);          // no such month
    ExpectRefused(L"21:30:00", L"08/12/1600", CLASSIC);          // before the calendar
    // 12-hour texts without a recognisable designator, or hour 0 / 13.
    const PickerFormats us = Formats(L"M/d/yyyy", L"h:mm:ss tt");
    ExpectRefused(L"9:05:00", L"12/8/2026", us);
    ExpectRefused(L"9:05:00 XM", L"12/8/2026", us);
    ExpectRefused(L"0:05:00 AM", L"12/8/2026", us);
    ExpectRefused(L"13:05:00 PM", L"12/8/2026", us);
    ExpectRefused(L"9:05:00 PM", L"12/8/2026", Formats(L"M/d/yyyy", L"h:mm:ss"));
    // Month names are not read.
    ExpectRefused(L"21:30:00", L"08-dic-2026", Formats(L"dd-MMM-yyyy", L"HH:mm:ss"));
}
