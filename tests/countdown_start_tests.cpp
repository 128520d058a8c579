// The real countdown.exe when there is nothing to count: no file, a target
// already reached, a file without a valid target, a file it cannot read.
// Each run ends before its window is shown and leaves no hot-key atom.
#include <gtest/gtest.h>

#include "countdown_run.h"
#include "test_support.h"

using countdown_run::CountdownRun;
using countdown_run::LocalMinuteFromNow;

TEST(CountdownStart, WithoutAFileEndsSilently)
{
    CountdownRun run;
    ASSERT_TRUE(run.Start());
    bool everShown = false;
    ASSERT_TRUE(driver::WaitUntil([&] {
        everShown = everShown || run.Process().HasVisibleWindow();
        return !run.Process().IsRunning();
    })) << "still running";
    EXPECT_FALSE(everShown) << "a window or message appeared";
    EXPECT_EQ(run.WaitForExitCode(), 0u);
    EXPECT_EQ(run.HotkeyAtomSinceStart(), "") << "atom left behind";
    EXPECT_FALSE(driver::FileIsThere(run.TargetFile())) << "a file was created";
}

// Each row: a file and the message it brings under "Programador ...",
// while the window stays hidden, the hot-key atom exists and the file is
// still there. OK ends the run with exit code 0 and the atom gone; a target
// reached removes the file (read-only and hidden too), anything else leaves
// it byte for byte. Yesterday, a minute ago (earlier today except just
// after midnight) and the current minute count as reached; no whole record,
// or a last whole record that is no calendar moment (an earlier valid one
// does not count), as no valid target; a file held with share mode 0 for
// the whole run, after the retries, as unreadable.
TEST(CountdownStart, NothingToCountIsReportedBeforeTheWindowShows)
{
    const struct {
        const char* name;
        const wchar_t* folder;
        Bytes content;
        DWORD attributes;
        bool held;
        const wchar_t* message;
    } cases[] = {
        {"yesterday", L"countdown", MinuteBytes(LocalMinuteFromNow(-24 * 60)), 0, false, COMPLETION_TEXT},
        {"a minute ago", L"countdown", MinuteBytes(LocalMinuteFromNow(-1)), 0, false, COMPLETION_TEXT},
        {"this minute", L"countdown", MinuteBytes(LocalMinuteFromNow(0)), 0, false, COMPLETION_TEXT},
        {"read-only, hidden, in a Unicode folder", L"\u65e5\u672c\u8a9e-\u0436",
         MinuteBytes(LocalMinuteFromNow(-3 * 24 * 60)), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN,
         false, COMPLETION_TEXT},
        {"empty file", L"countdown", Bytes(), 0, false, NO_TARGET_TEXT},
        {"9 bytes", L"countdown", Bytes(9, 0x07), 0, false, NO_TARGET_TEXT},
        {"31 April after a valid record", L"countdown",
         MinuteBytes(LocalMinuteFromNow(3 * 24 * 60)) + RecordBytes({0, 12, 31, 4, 2031}) + Bytes{1, 2, 3},
         0, false, NO_TARGET_TEXT},
        {"held by another program", L"countdown", MinuteBytes(LocalMinuteFromNow(-24 * 60)), 0, true, UNREADABLE_TEXT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CountdownRun run(c.folder);
        ASSERT_TRUE(run.WriteTarget(c.content));
        ASSERT_TRUE(!c.attributes || SetFileAttributesW(run.TargetFile().c_str(), c.attributes));
        HeldFile held(run.TargetFile());
        if (!c.held)
            held.Release();
        ASSERT_TRUE(run.Start());

        HWND box = run.WaitForMessage();
        ASSERT_NE(box, static_cast<HWND>(NULL)) << "no message box";
        EXPECT_EQ(driver::MessageBoxText(box), c.message);
        EXPECT_FALSE(run.CountdownShown()) << "the countdown window is shown";
        EXPECT_TRUE(driver::FileIsThere(run.TargetFile())) << "file removed before OK";
        const std::string atom = run.HotkeyAtomSinceStart();
        EXPECT_FALSE(atom.empty()) << "no hot-key atom while the message is open";
        driver::CloseMessageBox(box);
        EXPECT_EQ(run.WaitForExitCode(), 0u);
        if (!atom.empty()) {
            EXPECT_EQ(GlobalFindAtomA(atom.c_str()), 0) << "atom left behind: " << atom;
        }
        held.Release();
        const bool reached = c.message == COMPLETION_TEXT;
        Bytes after;
        EXPECT_EQ(driver::ReadFileBytes(run.TargetFile(), &after), !reached) << "file removed, or not";
        if (!reached) {
            EXPECT_EQ(after, c.content) << "file changed";
        }
    }
}
