// The real countdown.exe while it counts: its window, caption and label,
// the keys and ways that end it, Alt+C, files it reads however they come, a
// real completion at a minute boundary, and on a fake clock the days around
// daylight-saving changes, New Year and a leap day.
#include <gtest/gtest.h>

#include "countdown_run.h"
#include "test_support.h"

using countdown_run::CountdownRun;
using countdown_run::ExpectedCaption;
using countdown_run::LocalMinuteFromNow;

namespace {

constexpr LONGLONG MINUTES_PER_DAY = 24 * 60;
constexpr ULONGLONG TICKS_PER_SECOND = 10000000ULL;
// 3d 2h 30m ahead: the first label reads 3d 2h 29m and some seconds.
constexpr LONGLONG DAYS_AHEAD_MINUTES = 3 * MINUTES_PER_DAY + 2 * 60 + 30;

HWND Label(HWND countdown)
{
    return GetDlgItem(countdown, COUNTDOWN_LABEL_ID);
}

// Starts a run counting to DAYS_AHEAD_MINUTES from now; its window, or NULL.
HWND StartCountingDaysAhead(CountdownRun& run, SYSTEMTIME* target = nullptr)
{
    const SYSTEMTIME moment = LocalMinuteFromNow(DAYS_AHEAD_MINUTES);
    if (target)
        *target = moment;
    EXPECT_TRUE(run.WriteTarget(MinuteBytes(moment)));
    EXPECT_TRUE(run.Start());
    HWND countdown = run.WaitForCountdown();
    EXPECT_NE(countdown, static_cast<HWND>(NULL)) << "no countdown window";
    return countdown;
}

// The completion message is up: the label reads 0d 0h 0m 0s and the file is
// still there; after OK the process ends with 0, the file and the hot-key
// atom gone.
void ExpectCompletion(CountdownRun& run, HWND countdown, HWND box, const std::string& atom)
{
    ASSERT_NE(box, static_cast<HWND>(NULL)) << "no completion message";
    EXPECT_EQ(driver::MessageBoxText(box), COMPLETION_TEXT);
    EXPECT_EQ(driver::WindowText(Label(countdown)), L"0d 0h 0m 0s ");
    EXPECT_TRUE(driver::FileIsThere(run.TargetFile())) << "file removed before OK";
    driver::CloseMessageBox(box);
    EXPECT_EQ(run.WaitForExitCode(), 0u);
    EXPECT_FALSE(driver::FileIsThere(run.TargetFile())) << "target file not removed";
    if (!atom.empty()) {
        EXPECT_EQ(GlobalFindAtomA(atom.c_str()), 0) << "atom left behind: " << atom;
    }
}

}  // namespace

// A strip at the screen's top-left corner, 205 x 15 dialog units, no system
// menu, not resizable, not top-most, its one label covering it, light grey
// on black; the caption names the target and the label counts down.
TEST(CountdownCounting, StripWithACaptionAndALabelThatCountsDownEachSecond)
{
    CountdownRun run;
    SYSTEMTIME target;
    HWND countdown = StartCountingDaysAhead(run, &target);
    ASSERT_NE(countdown, static_cast<HWND>(NULL));
    EXPECT_EQ(driver::WindowText(countdown), ExpectedCaption(target));

    const DWORD style = static_cast<DWORD>(GetWindowLongW(countdown, GWL_STYLE));
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | DS_MODALFRAME), static_cast<DWORD>(WS_POPUP | WS_CAPTION | DS_MODALFRAME));
    EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    EXPECT_EQ(GetWindowLongW(countdown, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "top-most";
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(Label(countdown), GWL_STYLE)), 0x50000101u);
    const RECT window = RectInParent(countdown);
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
    EXPECT_EQ(ClientRect(countdown), DialogUnits(0, 0, 205, 15));
    EXPECT_EQ(RectInParent(Label(countdown)), DialogUnits(0, 0, 205, 15));

    const LabelSeen first = WAIT_FOR_LABEL(countdown);
    ASSERT_TRUE(first.shown);
    EXPECT_EQ(first.remaining.days, 3);
    EXPECT_EQ(first.remaining.hours, 2);
    EXPECT_GE(first.remaining.minutes, 25);  // 29 unless the test ran minutes late
    EXPECT_LE(first.remaining.minutes, 29);
    EXPECT_GE(first.remaining.seconds, 1);
    EXPECT_LE(first.remaining.seconds, 60);

    const RECT client = ClientRect(countdown);
    POINT origin = {0, 0};
    ClientToScreen(countdown, &origin);
    int black = 0, grey = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            const COLORREF pixel = driver::ScreenPixel(origin.x + x, origin.y + y);
            black += pixel == RGB(0, 0, 0);
            grey += pixel == RGB(192, 192, 192);
        }
    }
    EXPECT_GT(black, client.right * client.bottom / 2) << "background not black";
    EXPECT_GT(grey, 10) << "no text drawn in light grey";
    EXPECT_EQ(driver::ScreenPixel(origin.x + client.right - 1, origin.y + client.bottom - 1), RGB(0, 0, 0))
        << "label does not reach the client area's corner";

    const LabelSeen second = WAIT_FOR_LABEL(countdown, L"", first.text);
    ASSERT_TRUE(second.shown);
    EXPECT_LT(second.remaining.TotalSeconds(), first.remaining.TotalSeconds()) << "counting up";
    EXPECT_GT(second.remaining.TotalSeconds(), first.remaining.TotalSeconds() - 60) << "jumped";
    EXPECT_TRUE(driver::FileIsThere(run.TargetFile())) << "file removed while counting";
}

namespace {

// Esc and Enter, typed while the countdown is in front, do nothing: once
// the timer's next tick (queued behind the keys) has changed the label, it
// still runs, shown and in front. Alt+F4 typed the same way then ends it,
// so the keys did reach it.
void EscAndEnterThenAltF4(CountdownRun& run, HWND countdown)
{
    ASSERT_TRUE(BringToForeground(countdown)) << "the countdown never came to the front";
    driver::PressKey(VK_ESCAPE);
    driver::PressKey(VK_RETURN);
    ASSERT_TRUE(WAIT_FOR_LABEL(countdown, L"", driver::WindowText(Label(countdown))).shown);
    EXPECT_TRUE(run.Process().IsRunning());
    EXPECT_TRUE(IsWindowVisible(countdown));
    ASSERT_EQ(GetForegroundWindow(), countdown) << "the keys went elsewhere";
    driver::PressKey(VK_F4, true);
}

}  // namespace

// Each row ends a counting countdown: exit code 0, the hot-key atom
// released, the target file kept.
TEST(CountdownCounting, EndsByAClickOrTheCloseCommandNotByEscOrEnter)
{
    const struct {
        const char* way;
        void (*end)(CountdownRun& run, HWND countdown);
    } ways[] = {
        {"a click on the label", [](CountdownRun&, HWND countdown) {
             BringToForeground(countdown);
             driver::ClickWindow(Label(countdown));
         }},
        {"the system close command", [](CountdownRun&, HWND countdown) {
             PostMessageW(countdown, WM_SYSCOMMAND, SC_CLOSE, 0);
         }},
        {"Esc and Enter, then Alt+F4", EscAndEnterThenAltF4},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        CountdownRun run;
        HWND countdown = StartCountingDaysAhead(run);
        ASSERT_NE(countdown, static_cast<HWND>(NULL));
        const std::string atom = run.WaitForHotkeyAtom();
        ASSERT_FALSE(atom.empty()) << "no hot-key atom while running";
        way.end(run, countdown);
        EXPECT_EQ(run.WaitForExitCode(), 0u);
        EXPECT_EQ(GlobalFindAtomA(atom.c_str()), 0) << "atom left behind: " << atom;
        EXPECT_TRUE(driver::FileIsThere(run.TargetFile())) << "target file removed";
    }
}

// Alt+C hides the window (it keeps counting) and shows it at the same place.
// Under Wine a hot key fires only while a Wine window has the focus: the
// driver's own window takes it.
TEST(CountdownCounting, AltCHidesAndShowsAgain)
{
    CountdownRun run;
    HWND countdown = StartCountingDaysAhead(run);
    ASSERT_NE(countdown, static_cast<HWND>(NULL));
    const RECT shownAt = RectInParent(countdown);

    driver::ForegroundDriverWindow();
    driver::PressKey('C', true);
    ASSERT_TRUE(driver::WaitUntil([&] { return !IsWindowVisible(countdown); })) << "not hidden";
    EXPECT_TRUE(WAIT_FOR_LABEL(countdown, L"", driver::WindowText(Label(countdown))).shown)
        << "stopped counting while hidden";

    driver::ForegroundDriverWindow();
    driver::PressKey('C', true);
    ASSERT_TRUE(driver::WaitUntil([&] { return IsWindowVisible(countdown) != FALSE; })) << "not shown again";
    EXPECT_EQ(RectInParent(countdown), shownAt) << "moved";
    EXPECT_TRUE(run.Process().IsRunning());
}

// Each row: a target three days ahead that the countdown reads however it
// comes: the program's path 258 characters long in a folder outside the
// ANSI code page (beyond the 254 an ANSI module path holds); the last whole
// record of a 100 MB file of zeros (no valid moment) with a partial record
// after it; a file another program holds for half a second after the start.
TEST(CountdownCounting, CountsToATargetReadHoweverItComes)
{
    const struct {
        const char* name;
        const wchar_t* folder;
        size_t programPathLength;
        LONGLONG offset;  // of the record, after zeros
        bool heldAtStart;
    } cases[] = {
        {"long path, Unicode folder", L"\u65e5\u672c\u8a9e-\u0436", 258, 0, false},
        {"100 MB file", L"countdown", 0, 100LL * 1000 * 1000, false},
        {"file held at the start", L"countdown", 0, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CountdownRun run(c.folder, c.programPathLength);
        if (c.programPathLength) {
            ASSERT_EQ(run.ProgramPath().size(), c.programPathLength);
            ASSERT_TRUE(driver::FileIsThere(run.ProgramPath()));
        }
        const SYSTEMTIME target = LocalMinuteFromNow(DAYS_AHEAD_MINUTES);
        ASSERT_TRUE(WriteFileAt(run.TargetFile(), c.offset, MinuteBytes(target) + Bytes{5, 5, 5, 5, 5}, false))
            << "error " << GetLastError();
        HeldFile held(run.TargetFile());
        if (!c.heldAtStart)
            held.Release();
        ASSERT_TRUE(run.Start());
        if (c.heldAtStart) {
            // The atom comes just before the load: from then on the program meets the lock.
            EXPECT_FALSE(run.WaitForHotkeyAtom().empty()) << "the program never reached its initialisation";
            Sleep(500);
            held.Release();
        }
        HWND countdown = run.WaitForCountdown();
        ASSERT_NE(countdown, static_cast<HWND>(NULL)) << "no countdown window";
        EXPECT_EQ(driver::WindowText(countdown), ExpectedCaption(target));
        EXPECT_EQ(WAIT_FOR_LABEL(countdown).remaining.days, 3);
    }
}

// A target one minute ahead: the label counts the seconds of this minute,
// the completion comes at second 59 of the minute before.
TEST(CountdownCounting, CompletesAtTheMinuteBoundary)
{
    SYSTEMTIME now;
    // Start early in a minute, so that the completion falls on a tick.
    ASSERT_TRUE(driver::WaitUntil([&] { GetLocalTime(&now); return now.wSecond < 50; }, 15000));
    CountdownRun run;
    const SYSTEMTIME target = LocalMinuteFromNow(1);
    ASSERT_TRUE(run.WriteTarget(MinuteBytes(target)));
    ASSERT_TRUE(run.Start());
    HWND countdown = run.WaitForCountdown();
    ASSERT_NE(countdown, static_cast<HWND>(NULL)) << "no countdown window";
    const LabelSeen label = WAIT_FOR_LABEL(countdown);
    ASSERT_TRUE(label.shown);
    EXPECT_EQ(label.remaining.TotalSeconds(), label.remaining.seconds) << "more than the seconds of this minute";
    const std::string atom = run.WaitForHotkeyAtom();
    EXPECT_FALSE(atom.empty()) << "no hot-key atom while running";

    HWND box = run.WaitForMessage(75000);
    SYSTEMTIME seen;
    GetLocalTime(&seen);
    const ULONGLONG second59 = driver::FileTimeTicks(target) - TICKS_PER_SECOND;
    EXPECT_GE(driver::FileTimeTicks(seen), second59) << "completion before second 59";
    EXPECT_LE(driver::FileTimeTicks(seen), second59 + 3 * TICKS_PER_SECOND)
        << "completion more than 3 s after second 59";
    ExpectCompletion(run, countdown, box, atom);
}

// On the fake clock in Madrid's time zone (see tests/CMakeLists.txt), frozen
// at each step in turn (the offset tells the two passes of the repeated
// hour apart): the label counts the real time left across daylight saving,
// midnight and a leap day, and the completion comes one second before the
// first instant at which the wall clock shows the target minute or later.
namespace {

struct ClockStep {
    driver::WallClock clock;
    // The label at that moment; NULL: the completion comes.
    const wchar_t* label;
};

struct ClockCase {
    const char* name;
    TargetRecord target;  // minute, hour, day, month, year
    const wchar_t* caption;
    std::vector<ClockStep> steps;
};

constexpr const wchar_t* COMPLETES = nullptr;

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
    {"target in the skipped hour, reached at the change", {30, 2, 28, 3, 2027},
     L"Lo que falta para el dia 28/03/2027 a las 02:30",
     {{{2027, 3, 28, 1, 30, 0, 1}, L"0d 0h 29m 60s "},
      {{2027, 3, 28, 1, 59, 58, 1}, L"0d 0h 0m 2s "},
      {{2027, 3, 28, 1, 59, 59, 1}, COMPLETES}}},
    {"first and second pass of the repeated hour", {0, 4, 31, 10, 2027},
     L"Lo que falta para el dia 31/10/2027 a las 04:00",
     {{{2027, 10, 31, 2, 30, 0, 2}, L"0d 2h 29m 60s "},
      {{2027, 10, 31, 2, 30, 0, 1}, L"0d 1h 29m 60s "},
      {{2027, 10, 31, 3, 59, 59, 1}, COMPLETES}}},
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

// Steps the clock through a case: each label in turn with the file kept and
// no message, then the completion.
void RunClockCase(const ClockCase& c)
{
    CountdownRun run;
    ASSERT_TRUE(run.WriteTarget(RecordBytes(c.target)));
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
            ExpectCompletion(run, countdown, run.WaitForMessage(), "");
            return;
        }
        WAIT_FOR_LABEL(countdown, step.label);
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
