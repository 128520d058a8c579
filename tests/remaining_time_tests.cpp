// Remaining-time arithmetic, the countdown's labels and caption.
#include <gtest/gtest.h>

#include "remaining_time.h"

namespace {

SYSTEMTIME Moment(int year, int month, int day, int hour, int minute, int second = 0,
                  int milliseconds = 0)
{
    SYSTEMTIME t = {};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wDayOfWeek = 3;  // not consulted
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    t.wMilliseconds = static_cast<WORD>(milliseconds);
    return t;
}

CountdownTarget Target(int year, int month, int day, int hour, int minute)
{
    return {static_cast<uint8_t>(hour), static_cast<uint8_t>(minute), static_cast<uint8_t>(day),
            static_cast<uint8_t>(month), static_cast<int16_t>(year)};
}

const wchar_t REACHED[] = L"reached";

// UTC offsets in minutes.
constexpr int CET = 60, CEST = 120, AEST = 600, AEDT = 660, LHST = 630, LHDT = 660;

// A wall-clock moment at a known offset, as the UTC reading it comes from.
FILETIME UtcAt(const SYSTEMTIME& wall, int utcOffset)
{
    FILETIME fileTime = {};
    SystemTimeToFileTime(&wall, &fileTime);
    ULARGE_INTEGER ticks = {{fileTime.dwLowDateTime, fileTime.dwHighDateTime}};
    ticks.QuadPart -= utcOffset * 600000000LL;
    return {ticks.LowPart, ticks.HighPart};
}

DYNAMIC_TIME_ZONE_INFORMATION Zone(LONG bias, LONG daylightBias, SYSTEMTIME standardDate, SYSTEMTIME daylightDate)
{
    DYNAMIC_TIME_ZONE_INFORMATION zone = {};
    zone.Bias = bias;
    zone.StandardDate = standardDate;
    zone.DaylightDate = daylightDate;
    zone.DaylightBias = daylightBias;
    return zone;
}

// A zone without daylight saving; Madrid: UTC+1, summer time (+2) from the
// last Sunday of March 02:00 to the last Sunday of October 03:00; Sydney:
// UTC+10, summer time (+11) from the first Sunday of October 02:00 to the
// first Sunday of April 03:00; Lord Howe Island: UTC+10:30, summer time
// (+11) from the first Sunday of October 02:00 (to 02:30) to the first
// Sunday of April 02:00 (to 01:30). Madrid with automatic daylight saving
// switched off keeps UTC+1.
const DYNAMIC_TIME_ZONE_INFORMATION NO_DST = {};
const DYNAMIC_TIME_ZONE_INFORMATION MADRID = Zone(-60, -60, {0, 10, 0, 5, 3, 0, 0, 0}, {0, 3, 0, 5, 2, 0, 0, 0});
const DYNAMIC_TIME_ZONE_INFORMATION MADRID_SWITCHED_OFF = [] {
    DYNAMIC_TIME_ZONE_INFORMATION zone = MADRID;
    zone.DynamicDaylightTimeDisabled = TRUE;
    return zone;
}();
const DYNAMIC_TIME_ZONE_INFORMATION SYDNEY = Zone(-600, -60, {0, 4, 0, 1, 3, 0, 0, 0}, {0, 10, 0, 1, 2, 0, 0, 0});
const DYNAMIC_TIME_ZONE_INFORMATION LORD_HOWE = Zone(-630, -30, {0, 4, 0, 1, 2, 0, 0, 0}, {0, 10, 0, 1, 2, 0, 0, 0});

} // namespace

TEST(CountdownTarget, KeepsLowBytesAndTheWholeYear)
{
    const CountdownTarget t = CountdownTargetFromRecord({300, 0x0117, -1, 0x0203, -5});
    EXPECT_EQ(t.minute, 44);
    EXPECT_EQ(t.hour, 23);
    EXPECT_EQ(t.day, 255);
    EXPECT_EQ(t.month, 3);
    EXPECT_EQ(t.year, -5);
}

TEST(MinutesBetween, WholeMinutesEitherWay)
{
    const SYSTEMTIME a = Moment(2026, 12, 8, 10, 0, 59, 999);
    const SYSTEMTIME b = Moment(2026, 12, 8, 10, 1, 0);
    EXPECT_EQ(MinutesBetween(a, b), 1);
    EXPECT_EQ(MinutesBetween(b, a), 1);
    EXPECT_EQ(MinutesBetween(a, a), 0);
    EXPECT_EQ(MinutesBetween(Moment(2028, 2, 28, 0, 0), Moment(2028, 3, 1, 0, 0)), 2880);
    // An unconvertible moment counts as 1 January 1601 00:00.
    EXPECT_EQ(MinutesBetween(Moment(2026, 2, 30, 0, 0), Moment(1601, 1, 1, 0, 5)), 5);
}

// Each row: now on the wall clock, target, the label shown (or REACHED for
// the completion), and the zone with now's offset from UTC; the zone
// without daylight saving unless one is given.
TEST(SplitRemainingTime, LabelsAndCompletion)
{
    const struct {
        SYSTEMTIME now;
        CountdownTarget target;
        const wchar_t* label;
        const DYNAMIC_TIME_ZONE_INFORMATION* zone = &NO_DST;
        int utcOffset = 0;
    } cases[] = {
        {Moment(2026, 12, 8, 9, 30, 0), Target(2026, 12, 8, 10, 0), L"0d 0h 29m 60s "},
        {Moment(2026, 12, 8, 9, 59, 0), Target(2026, 12, 8, 10, 0), L"0d 0h 0m 60s "},
        {Moment(2026, 12, 8, 9, 59, 58), Target(2026, 12, 8, 10, 0), L"0d 0h 0m 2s "},
        {Moment(2026, 12, 8, 9, 59, 59), Target(2026, 12, 8, 10, 0), REACHED},
        {Moment(2026, 12, 8, 10, 0, 30), Target(2026, 12, 8, 10, 0), REACHED},
        {Moment(2026, 12, 8, 9, 30, 0), Target(2026, 12, 8, 8, 0), REACHED},
        {Moment(2026, 12, 8, 9, 30, 0), Target(2026, 12, 8, 9, 29), REACHED},
        {Moment(2026, 12, 8, 0, 0, 0), Target(2026, 12, 7, 23, 59), REACHED},
        {Moment(2026, 12, 8, 9, 30, 0), Target(2025, 12, 31, 23, 59), REACHED},
        {Moment(2026, 12, 8, 9, 30, 0), Target(2026, 11, 30, 23, 59), REACHED},
        {Moment(2026, 12, 8, 23, 0, 30), Target(2026, 12, 9, 0, 0), L"0d 0h 59m 30s "},
        {Moment(2026, 12, 8, 10, 0, 10), Target(2026, 12, 9, 10, 0), L"0d 23h 59m 50s "},
        {Moment(2026, 12, 8, 10, 0, 15), Target(2026, 12, 13, 11, 1), L"5d 1h 0m 45s "},
        {Moment(2026, 12, 8, 9, 30, 0), Target(2027, 1, 1, 0, 0), L"23d 14h 29m 60s "},
        {Moment(2026, 12, 30, 12, 0, 0), Target(2027, 1, 2, 12, 0), L"2d 23h 59m 60s "},
        {Moment(2028, 2, 28, 12, 0, 20), Target(2028, 3, 1, 12, 0), L"1d 23h 59m 40s "},
        {Moment(2027, 2, 28, 12, 0, 20), Target(2027, 3, 1, 12, 0), L"0d 23h 59m 40s "},
        // Without daylight saving the days of the changes are plain days.
        {Moment(2027, 10, 31, 2, 30, 0), Target(2027, 10, 31, 4, 0), L"0d 1h 29m 60s "},
        {Moment(2027, 3, 28, 1, 30, 0), Target(2027, 3, 28, 2, 30), L"0d 0h 59m 60s "},
        // A target that is no calendar moment counts on the wall clock: from
        // 1601 while its date is ahead, reached once it is behind.
        {Moment(2026, 12, 8, 9, 30, 0), Target(2027, 2, 30, 0, 0), L"155569d 9h 29m 60s ", &MADRID, CET},
        {Moment(2026, 12, 8, 9, 30, 0), Target(2026, 11, 31, 0, 0), REACHED, &MADRID, CET},
        // Minute counts beyond 32 bits.
        {Moment(2026, 12, 8, 10, 0, 15), Target(10193, 1, 22, 14, 16), L"2982616d 4h 15m 45s "},
        {Moment(2026, 12, 8, 10, 0, 15), Target(30827, 12, 31, 23, 59), L"10519372d 13h 58m 45s "},
        // Real hours across the changes: 23 in spring, 25 in autumn.
        {Moment(2027, 3, 27, 12, 0, 0), Target(2027, 3, 28, 12, 0), L"0d 22h 59m 60s ", &MADRID, CET},
        {Moment(2027, 3, 28, 1, 59, 0), Target(2027, 3, 28, 3, 0), L"0d 0h 0m 60s ", &MADRID, CET},
        {Moment(2027, 3, 28, 1, 59, 59), Target(2027, 3, 28, 3, 0), REACHED, &MADRID, CET},
        {Moment(2027, 10, 30, 12, 0, 0), Target(2027, 10, 31, 12, 0), L"1d 0h 59m 60s ", &MADRID, CEST},
        {Moment(2027, 10, 31, 1, 59, 0), Target(2027, 10, 31, 3, 0), L"0d 2h 0m 60s ", &MADRID, CEST},
        // Switched off, July keeps standard time: an hour and a second left
        // at the moment summer time would reach the target.
        {Moment(2027, 7, 15, 20, 29, 59), Target(2027, 7, 15, 21, 30), L"0d 1h 0m 1s ", &MADRID_SWITCHED_OFF, CET},
        // In each zone: the repeated hour's first pass and second pass (a
        // target in it reached at its first occurrence), and a target in
        // the skipped hour, reached at the change, from before it and at it.
        {Moment(2027, 10, 31, 2, 30, 0), Target(2027, 10, 31, 4, 0), L"0d 2h 29m 60s ", &MADRID, CEST},
        {Moment(2027, 10, 31, 2, 30, 0), Target(2027, 10, 31, 4, 0), L"0d 1h 29m 60s ", &MADRID, CET},
        {Moment(2027, 10, 31, 1, 59, 0), Target(2027, 10, 31, 2, 30), L"0d 0h 30m 60s ", &MADRID, CEST},
        {Moment(2027, 10, 31, 2, 29, 59), Target(2027, 10, 31, 2, 30), REACHED, &MADRID, CEST},
        {Moment(2027, 10, 31, 2, 10, 0), Target(2027, 10, 31, 2, 30), REACHED, &MADRID, CET},
        {Moment(2027, 3, 28, 1, 30, 0), Target(2027, 3, 28, 2, 30), L"0d 0h 29m 60s ", &MADRID, CET},
        {Moment(2027, 3, 28, 1, 59, 59), Target(2027, 3, 28, 2, 30), REACHED, &MADRID, CET},
        {Moment(2027, 3, 28, 3, 0, 0), Target(2027, 3, 28, 2, 30), REACHED, &MADRID, CEST},
        {Moment(2027, 4, 4, 2, 30, 0), Target(2027, 4, 4, 4, 0), L"0d 2h 29m 60s ", &SYDNEY, AEDT},
        {Moment(2027, 4, 4, 2, 30, 0), Target(2027, 4, 4, 4, 0), L"0d 1h 29m 60s ", &SYDNEY, AEST},
        {Moment(2027, 4, 4, 2, 10, 0), Target(2027, 4, 4, 2, 30), REACHED, &SYDNEY, AEST},
        {Moment(2027, 10, 3, 1, 30, 0), Target(2027, 10, 3, 2, 30), L"0d 0h 29m 60s ", &SYDNEY, AEST},
        {Moment(2027, 10, 3, 1, 59, 59), Target(2027, 10, 3, 2, 30), REACHED, &SYDNEY, AEST},
        {Moment(2027, 4, 4, 1, 45, 0), Target(2027, 4, 4, 4, 0), L"0d 2h 44m 60s ", &LORD_HOWE, LHDT},
        {Moment(2027, 4, 4, 1, 45, 0), Target(2027, 4, 4, 4, 0), L"0d 2h 14m 60s ", &LORD_HOWE, LHST},
        {Moment(2027, 4, 4, 1, 40, 0), Target(2027, 4, 4, 1, 45), REACHED, &LORD_HOWE, LHST},
        {Moment(2027, 10, 3, 1, 15, 0), Target(2027, 10, 3, 2, 15), L"0d 0h 44m 60s ", &LORD_HOWE, LHST},
        {Moment(2027, 10, 3, 1, 59, 59), Target(2027, 10, 3, 2, 15), REACHED, &LORD_HOWE, LHST},
    };
    for (const auto& c : cases) {
        const RemainingTime r = SplitRemainingTime(UtcAt(c.now, c.utcOffset), c.target, c.zone);
        const std::wstring shown = r.reached ? REACHED : RemainingTimeLabel(r);
        EXPECT_EQ(shown, c.label) << "now " << c.now.wYear << "-" << c.now.wMonth << "-"
                                  << c.now.wDay << " " << c.now.wHour << ":" << c.now.wMinute
                                  << ":" << c.now.wSecond << " UTC+" << c.utcOffset << "min, target " << CountdownCaption(c.target);
        if (r.reached) {
            EXPECT_EQ(RemainingTimeLabel(r), L"0d 0h 0m 1s ");
            EXPECT_EQ(CompletionLabel(r), L"0d 0h 0m 0s ");
        }
    }
}

TEST(CountdownCaption, TwoDigitFieldsAndAPlainYear)
{
    const struct { CountdownTarget target; const wchar_t* caption; } cases[] = {
        {Target(2025, 3, 5, 7, 9), L"Lo que falta para el dia 05/03/2025 a las 07:09"},
        {Target(2025, 12, 25, 18, 30), L"Lo que falta para el dia 25/12/2025 a las 18:30"},
        {Target(2026, 10, 10, 0, 0), L"Lo que falta para el dia 10/10/2026 a las 00:00"},
        {Target(-5, 1, 1, 9, 10), L"Lo que falta para el dia 01/01/-5 a las 09:10"},
        {Target(0, 0, 0, 0, 0), L"Lo que falta para el dia 00/00/0 a las 00:00"},
        {Target(30827, 255, 200, 99, 255), L"Lo que falta para el dia 200/255/30827 a las 99:255"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountdownCaption(c.target), c.caption);
}

TEST(HotkeyAtomName, SecondsOfTheDayAsNumberText)
{
    const struct { SYSTEMTIME now; const char* name; } cases[] = {
        {Moment(2026, 12, 8, 12, 34, 56, 120), "My Hotkeyss 45296.12"},
        {Moment(2026, 12, 8, 12, 34, 56, 0), "My Hotkeyss 45296"},
        {Moment(2026, 12, 8, 0, 0, 0, 500), "My Hotkeyss .5"},
        {Moment(2026, 12, 8, 0, 0, 0, 0), "My Hotkeyss 0"},
        {Moment(2026, 12, 8, 23, 59, 59, 999), "My Hotkeyss 86399.999"},
        {Moment(2026, 12, 8, 0, 0, 0, 10), "My Hotkeyss .01"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HotkeyAtomName(c.now), c.name);
}
