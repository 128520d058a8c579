// The real countdown.exe while it counts: caption and label, Alt+C, a click,
// a file held for a moment, wide and long paths, a big file, a real
// completion at a minute boundary, and on a fake clock the days around
// daylight-saving changes, New Year and a leap day.
#include <gtest/gtest.h>

#include "countdown_run.h"
#include "target_file.h"

using countdown_run::CountdownRun;
using countdown_run::ExpectedCaption;
using countdown_run::LocalMinuteFromNow;
using countdown_run::ParseLabel;
using countdown_run::RecordBytes;
using countdown_run::Remaining;

namespace {

constexpr LONGLONG MINUTES_PER_DAY = 24 * 60;
constexpr ULONGLONG TICKS_PER_SECOND = 10000000ULL;
// 3d 2h 30m ahead: the first label reads 3d 2h 29m and some seconds.
constexpr LONGLONG DAYS_AHEAD_MINUTES = 3 * MINUTES_PER_DAY + 2 * 60 + 30;

HWND Label(HWND countdown)
{
    return GetDlgItem(countdown, countdown_run::LABEL_ID);
}

// Waits for a label of the form "Nd Nh Nm Ns " other than `previous`.
bool WaitForLabel(HWND countdown, Remaining* remaining, const std::wstring& previous = L"",
                  std::wstring* text = nullptr)
{
    std::wstring seen;
    const bool changed = driver::WaitUntil([&] {
        seen = driver::WindowText(Label(countdown));
        return !seen.empty() && seen != previous;
    });
    if (text)
        *text = seen;
    EXPECT_TRUE(changed) << "label stayed \"" << testing::PrintToString(seen) << "\"";
    EXPECT_TRUE(ParseLabel(seen, remaining)) << "label " << testing::PrintToString(seen);
    return changed;
}

// Starts a run counting to DAYS_AHEAD_MINUTES from now; its window, or NULL.
HWND StartCountingDaysAhead(CountdownRun& run, SYSTEMTIME* target = nullptr)
{
    const SYSTEMTIME moment = LocalMinuteFromNow(DAYS_AHEAD_MINUTES);
    if (target)
        *target = moment;
    EXPECT_TRUE(run.WriteTarget(RecordBytes(moment)));
    EXPECT_TRUE(run.Start());
    HWND countdown = run.WaitForCountdown();
    EXPECT_NE(countdown, static_cast<HWND>(NULL)) << "no countdown window";
    return countdown;
}

}  // namespace

TEST(CountdownCounting, CaptionAndALabelThatCountsDownEachSecond)
{
    CountdownRun run;
    SYSTEMTIME target;
    HWND countdown = StartCountingDaysAhead(run, &target);
    ASSERT_NE(countdown, static_cast<HWND>(NULL));
    EXPECT_EQ(driver::WindowText(countdown), ExpectedCaption(target));

    Remaining first = {}, second = {};
    std::wstring firstText;
    ASSERT_TRUE(WaitForLabel(countdown, &first, L"", &firstText));
    EXPECT_EQ(first.days, 3);
    EXPECT_EQ(first.hours, 2);
    EXPECT_GE(first.minutes, 25);  // 29 unless the test ran minutes late
    EXPECT_LE(first.minutes, 29);
    EXPECT_GE(first.seconds, 1);
    EXPECT_LE(first.seconds, 60);

    ASSERT_TRUE(WaitForLabel(countdown, &second, firstText));
    EXPECT_LT(second.TotalSeconds(), first.TotalSeconds()) << "counting up";
    EXPECT_GT(second.TotalSeconds(), first.TotalSeconds() - 60) << "jumped";
    EXPECT_TRUE(driver::FileIsThere(run.TargetFile())) << "file removed while counting";
}

// Alt+C hides the window (it keeps counting) and shows it at the same place.
// Under Wine a hot key fires only while a Wine window has the focus: the
// driver's own window takes it.
TEST(CountdownCounting, AltCHidesAndShowsAgain)
{
    CountdownRun run;
    HWND countdown = StartCountingDaysAhead(run);
    ASSERT_NE(countdown, static_cast<HWND>(NULL));
    RECT shownAt;
    GetWindowRect(countdown, &shownAt);

    driver::ForegroundDriverWindow();
    driver::PressKey('C', true);
    ASSERT_TRUE(driver::WaitUntil([&] { return !IsWindowVisible(countdown); })) << "not hidden";
    Remaining hidden = {};
    const std::wstring before = driver::WindowText(Label(countdown));
    EXPECT_TRUE(WaitForLabel(countdown, &hidden, before)) << "stopped counting while hidden";

    driver::ForegroundDriverWindow();
    driver::PressKey('C', true);
    ASSERT_TRUE(driver::WaitUntil([&] { return IsWindowVisible(countdown) != FALSE; })) << "not shown again";
    RECT again;
    GetWindowRect(countdown, &again);
    EXPECT_TRUE(EqualRect(&shownAt, &again)) << "moved";
    EXPECT_TRUE(run.Process().IsRunning());
}

// A click ends it; the target file stays and the hot-key atom goes.
TEST(CountdownCounting, ClickEndsAndReleasesTheHotkey)
{
    CountdownRun run;
    HWND countdown = StartCountingDaysAhead(run);
    ASSERT_NE(countdown, static_cast<HWND>(NULL));
    const std::string atom = run.WaitForHotkeyAtom();
    ASSERT_FALSE(atom.empty()) << "no hot-key atom while running";

    SetForegroundWindow(countdown);
    driver::ClickWindow(Label(countdown));
    EXPECT_EQ(run.WaitForExitCode(), 0u);
    EXPECT_EQ(GlobalFindAtomA(atom.c_str()), 0) << "atom left behind: " << atom;
    EXPECT_TRUE(driver::FileIsThere(run.TargetFile())) << "a click removed the target file";
}

// Held by another program when the countdown starts and released half a
// second later: the load waits for it and the countdown runs normally.
TEST(CountdownCounting, FileReleasedSoonAfterTheStartIsRead)
{
    CountdownRun run;
    const SYSTEMTIME target = LocalMinuteFromNow(DAYS_AHEAD_MINUTES);
    ASSERT_TRUE(run.WriteTarget(RecordBytes(target)));
    HANDLE held = CreateFileW(run.TargetFile().c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(run.Start());
    // The atom comes just before the load: from then on the program meets the lock.
    const bool initialising = !run.WaitForHotkeyAtom().empty();
    Sleep(500);
    CloseHandle(held);
    ASSERT_TRUE(initialising) << "the program never reached its initialisation";

    HWND countdown = run.WaitForCountdown();
    ASSERT_NE(countdown, static_cast<HWND>(NULL)) << "no countdown window";
    EXPECT_EQ(driver::WindowText(countdown), ExpectedCaption(target));
    Remaining remaining = {};
    EXPECT_TRUE(WaitForLabel(countdown, &remaining));
    EXPECT_EQ(remaining.days, 3);
}

// A folder outside the ANSI code page, the program's path 258 characters
// long: beyond what an ANSI module path of 254 characters can hold.
TEST(CountdownCounting, CountsInAUnicodeFolderWithALongPath)
{
    CountdownRun run(L"\u65e5\u672c\u8a9e-\u0436", 258);
    ASSERT_EQ(run.ProgramPath().size(), 258u);
    ASSERT_TRUE(driver::FileIsThere(run.ProgramPath()));

    SYSTEMTIME target;
    HWND countdown = StartCountingDaysAhead(run, &target);
    ASSERT_NE(countdown, static_cast<HWND>(NULL));
    EXPECT_EQ(driver::WindowText(countdown), ExpectedCaption(target));
    Remaining remaining = {};
    EXPECT_TRUE(WaitForLabel(countdown, &remaining));
    EXPECT_EQ(remaining.days, 3);
}

// 100 MB of zeros (no valid moment) before the real last record and a
// partial one: only the last whole record counts.
TEST(CountdownCounting, BigFileCountsToItsLastWholeRecord)
{
    CountdownRun run;
    const SYSTEMTIME target = LocalMinuteFromNow(DAYS_AHEAD_MINUTES);
    std::vector<unsigned char> tail = RecordBytes(target);
    tail.insert(tail.end(), {5, 5, 5, 5, 5});
    HANDLE file = CreateFileW(run.TargetFile().c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER offset;
    offset.QuadPart = 100LL * 1000 * 1000;  // a multiple of the record size
    DWORD written = 0;
    const bool wrote = SetFilePointerEx(file, offset, NULL, FILE_BEGIN)
        && WriteFile(file, tail.data(), static_cast<DWORD>(tail.size()), &written, NULL);
    CloseHandle(file);
    ASSERT_TRUE(wrote) << "error " << GetLastError();

    ASSERT_TRUE(run.Start());
    HWND countdown = run.WaitForCountdown();
    ASSERT_NE(countdown, static_cast<HWND>(NULL)) << "no countdown window";
    EXPECT_EQ(driver::WindowText(countdown), ExpectedCaption(target));
}

// A target one minute ahead: the label counts, the completion comes at
// second 59 of the minute before, shows 0d 0h 0m 0s, and after OK the file is
// gone, the process has ended with 0 and its hot-key atom is released.
TEST(CountdownCounting, CompletesAtTheMinuteBoundary)
{
    SYSTEMTIME now;
    // Start early in a minute, so that the completion falls on a tick.
    ASSERT_TRUE(driver::WaitUntil([&] { GetLocalTime(&now); return now.wSecond < 50; }, 15000));
    CountdownRun run;
    const SYSTEMTIME target = LocalMinuteFromNow(1);
    ASSERT_TRUE(run.WriteTarget(RecordBytes(target)));
    ASSERT_TRUE(run.Start());
    HWND countdown = run.WaitForCountdown();
    ASSERT_NE(countdown, static_cast<HWND>(NULL)) << "no countdown window";
    Remaining remaining = {};
    ASSERT_TRUE(WaitForLabel(countdown, &remaining));
    EXPECT_EQ(remaining.TotalSeconds(), remaining.seconds) << "more than the seconds of this minute";
    const std::string atom = run.WaitForHotkeyAtom();
    EXPECT_FALSE(atom.empty()) << "no hot-key atom while running";

    HWND box = run.WaitForMessage(75000);
    ASSERT_NE(box, static_cast<HWND>(NULL)) << "no completion message";
    SYSTEMTIME seen;
    GetLocalTime(&seen);
    const ULONGLONG second59 = countdown_run::Ticks(target) - TICKS_PER_SECOND;
    EXPECT_GE(countdown_run::Ticks(seen), second59) << "completion before second 59";
    EXPECT_LE(countdown_run::Ticks(seen), second59 + 3 * TICKS_PER_SECOND)
        << "completion more than 3 s after second 59";
    EXPECT_EQ(driver::MessageBoxText(box), L"Enhorabuena ya hemos llegado a la fecha deseada ...");
    EXPECT_EQ(driver::WindowText(Label(countdown)), L"0d 0h 0m 0s ");
    EXPECT_TRUE(driver::FileIsThere(run.TargetFile())) << "file removed before OK";

    driver::CloseMessageBox(box);
    EXPECT_EQ(run.WaitForExitCode(), 0u);
    EXPECT_FALSE(driver::FileIsThere(run.TargetFile())) << "target file not removed";
    if (!atom.empty()) {
        EXPECT_EQ(GlobalFindAtomA(atom.c_str()), 0) << "atom left behind: " << atom;
    }
}

// On the fake clock in Madrid's time zone (see tests/CMakeLists.txt), frozen
// at each step in turn: the label counts the real time left across daylight
// saving, midnight and a leap day, and the completion comes when the wall
// clock reaches second 59 of the minute before the target, or passes it.
namespace {

struct ClockStep {
    driver::WallClock clock;
    // The label at that moment; NULL: the completion comes. L"": any label
    // (first step only: the wait cannot tell it from the one before).
    const wchar_t* label;
};

struct ClockCase {
    const char* name;
    TargetRecord target;  // minute, hour, day, month, year
    const wchar_t* caption;
    std::vector<ClockStep> steps;
};

constexpr const wchar_t* COMPLETES = nullptr;
constexpr const wchar_t* ANY_LABEL = L"";

const ClockCase CLOCK_CASES[] = {
    {"23-hour day of the spring change", {0, 12, 28, 3, 2027},
     L"Lo que falta para el dia 28/03/2027 a las 12:00",
     {{{2027, 3, 27, 12, 0, 0, 1}, L"0d 22h 59m 60s "},
      {{2027, 3, 28, 1, 59, 59, 1}, L"0d 9h 0m 1s "},
      {{2027, 3, 28, 3, 0, 0, 2}, L"0d 8h 59m 60s "},
      {{2027, 3, 28, 11, 59, 58, 2}, L"0d 0h 0m 2s "},
      {{2027, 3, 28, 11, 59, 59, 2}, COMPLETES}}},
    {"25-hour day of the autumn change", {0, 12, 31, 10, 2027},
     L"Lo que falta para el dia 31/10/2027 a las 12:00",
     {{{2027, 10, 30, 12, 0, 0, 2}, L"1d 0h 59m 60s "},
      {{2027, 10, 31, 2, 59, 59, 2}, L"0d 10h 0m 1s "},
      {{2027, 10, 31, 3, 0, 0, 1}, L"0d 8h 59m 60s "},
      {{2027, 10, 31, 11, 59, 59, 1}, COMPLETES}}},
    {"target in the skipped hour", {30, 2, 28, 3, 2027},
     L"Lo que falta para el dia 28/03/2027 a las 02:30",
     {{{2027, 3, 28, 1, 59, 59, 1}, ANY_LABEL},
      {{2027, 3, 28, 3, 0, 0, 2}, COMPLETES}}},
    {"target in the repeated hour", {30, 2, 31, 10, 2027},
     L"Lo que falta para el dia 31/10/2027 a las 02:30",
     {{{2027, 10, 30, 12, 0, 0, 2}, L"0d 14h 29m 60s "},
      {{2027, 10, 31, 2, 29, 58, 2}, L"0d 0h 0m 2s "},
      {{2027, 10, 31, 2, 29, 59, 2}, COMPLETES}}},
    {"a minute after New Year's midnight", {1, 0, 1, 1, 2028},
     L"Lo que falta para el dia 01/01/2028 a las 00:01",
     {{{2027, 12, 31, 23, 59, 59, 1}, L"0d 0h 1m 1s "},
      {{2028, 1, 1, 0, 0, 0, 1}, L"0d 0h 0m 60s "},
      {{2028, 1, 1, 0, 0, 58, 1}, L"0d 0h 0m 2s "},
      {{2028, 1, 1, 0, 0, 59, 1}, COMPLETES}}},
    {"leap day", {0, 10, 29, 2, 2028},
     L"Lo que falta para el dia 29/02/2028 a las 10:00",
     {{{2027, 2, 28, 10, 0, 0, 1}, L"365d 23h 59m 60s "},
      {{2028, 2, 28, 10, 0, 0, 1}, L"0d 23h 59m 60s "},
      {{2028, 2, 29, 9, 59, 59, 1}, COMPLETES}}},
    {"clock set back, then past the target", {30, 21, 8, 12, 2026},
     L"Lo que falta para el dia 08/12/2026 a las 21:30",
     {{{2026, 12, 8, 21, 29, 58, 1}, L"0d 0h 0m 2s "},
      {{2026, 12, 8, 20, 0, 0, 1}, L"0d 1h 29m 60s "},
      {{2026, 12, 9, 8, 0, 0, 1}, COMPLETES}}},
};

std::vector<unsigned char> Record(const TargetRecord& target)
{
    std::vector<unsigned char> bytes(TARGET_RECORD_SIZE);
    EncodeTargetRecord(target, bytes.data());
    return bytes;
}

// Steps the clock through a case: each label in turn with the file kept and
// no message, then the completion message with the file still there until
// OK, the end with 0 and the file gone.
void RunClockCase(const ClockCase& c)
{
    CountdownRun run;
    ASSERT_TRUE(run.WriteTarget(Record(c.target)));
    ASSERT_TRUE(driver::SetFakeClock(c.steps.front().clock)) << "the fake clock does not follow";
    ASSERT_TRUE(run.Start());
    HWND countdown = run.WaitForCountdown();
    ASSERT_NE(countdown, static_cast<HWND>(NULL)) << "no countdown window";
    EXPECT_EQ(driver::WindowText(countdown), c.caption);

    for (const ClockStep& step : c.steps) {
        const driver::WallClock& at = step.clock;
        SCOPED_TRACE(testing::Message() << "clock at " << at.year << "-" << at.month << "-" << at.day
                                        << " " << at.hour << ":" << at.minute << ":" << at.second
                                        << " UTC+" << at.utcOffsetHours);
        ASSERT_TRUE(driver::SetFakeClock(at)) << "the fake clock does not follow";
        if (step.label == COMPLETES) {
            HWND box = run.WaitForMessage();
            ASSERT_NE(box, static_cast<HWND>(NULL)) << "no completion message";
            EXPECT_EQ(driver::MessageBoxText(box), L"Enhorabuena ya hemos llegado a la fecha deseada ...");
            EXPECT_EQ(driver::WindowText(Label(countdown)), L"0d 0h 0m 0s ");
            EXPECT_TRUE(driver::FileIsThere(run.TargetFile())) << "file removed before OK";
            driver::CloseMessageBox(box);
            EXPECT_EQ(run.WaitForExitCode(), 0u);
            EXPECT_FALSE(driver::FileIsThere(run.TargetFile())) << "target file not removed";
            return;
        }
        std::wstring label;
        const bool shown = driver::WaitUntil([&] {
            label = driver::WindowText(Label(countdown));
            return *step.label ? label == step.label : !label.empty();
        });
        EXPECT_TRUE(shown) << "label " << testing::PrintToString(label) << ", expected "
                           << testing::PrintToString(std::wstring(step.label));
        Remaining remaining = {};
        EXPECT_TRUE(ParseLabel(label, &remaining)) << "label " << testing::PrintToString(label);
        EXPECT_EQ(run.WaitForMessage(0), static_cast<HWND>(NULL)) << "completed early";
        EXPECT_TRUE(driver::FileIsThere(run.TargetFile())) << "file removed while counting";
    }
    ADD_FAILURE() << "the case ends without a completion";
}

}  // namespace

TEST(CountdownFakeClock, CountsRealTimeAndCompletesAtTheWallClockMinute)
{
    for (const ClockCase& c : CLOCK_CASES) {
        SCOPED_TRACE(c.name);
        RunClockCase(c);
    }
}
