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

// A zone without daylight saving, and Madrid's: UTC+1, summer time (UTC+2)
// from the last Sunday of March 02:00 to the last Sunday of October 03:00.
const TIME_ZONE_INFORMATION NO_DST = {};
TIME_ZONE_INFORMATION MadridZone()
{
    TIME_ZONE_INFORMATION zone = {};
    zone.Bias = -60;
    zone.StandardDate = {0, 10, 0, 5, 3, 0, 0, 0};
    zone.DaylightDate = {0, 3, 0, 5, 2, 0, 0, 0};
    zone.DaylightBias = -60;
    return zone;
}
const TIME_ZONE_INFORMATION MADRID = MadridZone();

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

// Each row: now, target, the label shown (or REACHED for the completion);
// in the zone without daylight saving unless a zone is given.
TEST(SplitRemainingTime, LabelsAndCompletion)
{
    const struct {
        SYSTEMTIME now;
        CountdownTarget target;
        const wchar_t* label;
        const TIME_ZONE_INFORMATION* zone = &NO_DST;
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
        // Minute counts beyond 32 bits.
        {Moment(2026, 12, 8, 10, 0, 15), Target(10193, 1, 22, 14, 16), L"2982616d 4h 15m 45s "},
        {Moment(2026, 12, 8, 10, 0, 15), Target(30827, 12, 31, 23, 59), L"10519372d 13h 58m 45s "},
        // Real hours across the changes: 23 in spring, 25 in autumn.
        {Moment(2027, 3, 27, 12, 0, 0), Target(2027, 3, 28, 12, 0), L"0d 22h 59m 60s ", &MADRID},
        {Moment(2027, 3, 28, 1, 59, 0), Target(2027, 3, 28, 3, 0), L"0d 0h 0m 60s ", &MADRID},
        {Moment(2027, 3, 28, 1, 59, 59), Target(2027, 3, 28, 3, 0), REACHED, &MADRID},
        {Moment(2027, 10, 30, 12, 0, 0), Target(2027, 10, 31, 12, 0), L"1d 0h 59m 60s ", &MADRID},
        {Moment(2027, 10, 31, 1, 59, 0), Target(2027, 10, 31, 3, 0), L"0d 2h 0m 60s ", &MADRID},
        // Completion stays on the wall clock: a target in the skipped hour
        // once the clock has passed it, one in the repeated hour at its
        // first occurrence.
        {Moment(2027, 3, 28, 3, 0, 0), Target(2027, 3, 28, 2, 30), REACHED, &MADRID},
        {Moment(2027, 10, 31, 1, 59, 0), Target(2027, 10, 31, 2, 30), L"0d 0h 30m 60s ", &MADRID},
        {Moment(2027, 10, 31, 2, 29, 59), Target(2027, 10, 31, 2, 30), REACHED, &MADRID},
    };
    for (const auto& c : cases) {
        const RemainingTime r = SplitRemainingTime(c.now, c.target, c.zone);
        const std::wstring shown = r.reached ? REACHED : RemainingTimeLabel(r);
        EXPECT_EQ(shown, c.label) << "now " << c.now.wYear << "-" << c.now.wMonth << "-"
                                  << c.now.wDay << " " << c.now.wHour << ":" << c.now.wMinute
                                  << ":" << c.now.wSecond << ", target " << CountdownCaption(c.target);
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
