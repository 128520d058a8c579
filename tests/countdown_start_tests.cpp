// The real countdown.exe when there is nothing to count: no file, a target
// already reached, a file without a valid target, a file it cannot read.
// Each run ends before its window is shown and leaves no hot-key atom.
#include <gtest/gtest.h>

#include "countdown_run.h"
#include "target_file.h"

using countdown_run::CountdownRun;
using countdown_run::LocalMinuteFromNow;
using countdown_run::RecordBytes;
using Bytes = std::vector<unsigned char>;

namespace {

const wchar_t NO_TARGET_TEXT[] =
    L"El fichero diminuto.log no guarda ninguna fecha valida; elija una con setdate ...";
const wchar_t UNREADABLE_TEXT[] =
    L"No se pudo leer el fichero diminuto.log; puede que otro programa lo este usando ...";

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The run shows the message `text` under "Programador ..." while its window
// stays hidden, its hot-key atom exists and the target file is still there;
// OK ends it with exit code 0 and the atom gone.
void ExpectMessageThenEnd(CountdownRun& run, const std::wstring& text)
{
    HWND box = run.WaitForMessage();
    ASSERT_NE(box, static_cast<HWND>(NULL)) << "no message box";
    EXPECT_EQ(driver::MessageBoxText(box), text);
    EXPECT_FALSE(run.CountdownShown()) << "the countdown window is shown";
    EXPECT_TRUE(driver::FileIsThere(run.TargetFile())) << "file removed before OK";
    const std::string atom = run.HotkeyAtomSinceStart();
    EXPECT_FALSE(atom.empty()) << "no hot-key atom while the message is open";

    driver::CloseMessageBox(box);
    EXPECT_EQ(run.WaitForExitCode(), 0u);
    if (!atom.empty()) {
        EXPECT_EQ(GlobalFindAtomA(atom.c_str()), 0) << "atom left behind: " << atom;
    }
}

}  // namespace

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

// Yesterday, a minute ago (earlier today except just after midnight) and the
// current minute all count as reached: completion before the window shows.
TEST(CountdownStart, ReachedTargetCompletesAtOnceAndRemovesTheFile)
{
    for (LONGLONG minutes : {-24 * 60LL, -1LL, 0LL}) {
        SCOPED_TRACE(testing::Message() << "target " << minutes << " minutes from now");
        CountdownRun run;
        ASSERT_TRUE(run.WriteTarget(RecordBytes(LocalMinuteFromNow(minutes))));
        ASSERT_TRUE(run.Start());
        ExpectMessageThenEnd(run, L"Enhorabuena ya hemos llegado a la fecha deseada ...");
        EXPECT_FALSE(driver::FileIsThere(run.TargetFile())) << "target file not removed";
    }
}

TEST(CountdownStart, ReadOnlyHiddenFileInAUnicodeFolderIsRemoved)
{
    CountdownRun run(L"\u65e5\u672c\u8a9e-\u0436");
    ASSERT_TRUE(run.WriteTarget(RecordBytes(LocalMinuteFromNow(-3 * 24 * 60))));
    ASSERT_TRUE(SetFileAttributesW(run.TargetFile().c_str(),
                                   FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(run.Start());
    ExpectMessageThenEnd(run, L"Enhorabuena ya hemos llegado a la fecha deseada ...");
    EXPECT_FALSE(driver::FileIsThere(run.TargetFile())) << "target file not removed";
}

// No whole record, or a last whole record that is no calendar moment (an
// earlier valid one does not count): a message, and the file left as it was.
TEST(CountdownStart, FileWithoutAValidTargetIsReportedAndKept)
{
    const TargetRecord april31 = {0, 12, 31, 4, 2031};
    Bytes invalid(TARGET_RECORD_SIZE);
    EncodeTargetRecord(april31, invalid.data());
    const Bytes cases[] = {
        Bytes(),
        Bytes(9, 0x07),
        RecordBytes(LocalMinuteFromNow(3 * 24 * 60)) + invalid + Bytes{1, 2, 3},
    };
    for (const Bytes& content : cases) {
        SCOPED_TRACE(testing::Message() << content.size() << "-byte file");
        CountdownRun run;
        ASSERT_TRUE(run.WriteTarget(content));
        ASSERT_TRUE(run.Start());
        ExpectMessageThenEnd(run, NO_TARGET_TEXT);
        Bytes after;
        EXPECT_TRUE(driver::ReadFileBytes(run.TargetFile(), &after)) << "file gone";
        EXPECT_EQ(after, content) << "file changed";
    }
}

// Held with share mode 0 for the whole run: after its retries the program
// reports it, removes nothing and never counts.
TEST(CountdownStart, FileHeldByAnotherProgramIsReportedAndKept)
{
    CountdownRun run;
    const Bytes content = RecordBytes(LocalMinuteFromNow(-24 * 60));
    ASSERT_TRUE(run.WriteTarget(content));
    HANDLE held = CreateFileW(run.TargetFile().c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(run.Start());
    ExpectMessageThenEnd(run, UNREADABLE_TEXT);
    CloseHandle(held);
    Bytes after;
    EXPECT_TRUE(driver::ReadFileBytes(run.TargetFile(), &after)) << "file gone";
    EXPECT_EQ(after, content) << "file changed";
}
