// Record codec, calendar check and the file operations on a real folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "driver.h"
#include "target_file.h"
#include "test_support.h"

#include <shellapi.h>

namespace {

const TargetRecord DECEMBER_8_2026_2130 = {30, 21, 8, 12, 2026};
const TargetRecord JANUARY_1_2030_0000 = {0, 0, 1, 1, 2030};

Bytes Encoded(const TargetRecord& record)
{
    Bytes bytes(TARGET_RECORD_SIZE);
    EncodeTargetRecord(record, bytes.data());
    return bytes;
}

Bytes FileBytes(const std::wstring& path)
{
    Bytes bytes;
    driver::ReadFileBytes(path, &bytes);
    return bytes;
}

// Each test gets a fresh folder; dir_ ends in '\'.
class TargetFileTest : public testing::Test {
protected:
    driver::TempFolder folder_{L"target-file"};
    const std::wstring dir_ = folder_.Path();
    const std::wstring file_ = TargetFilePath(dir_);
};

} // namespace

TEST(TargetRecordCodec, FiveLittleEndianFieldsMinuteFirstAndBack)
{
    EXPECT_EQ(Encoded(DECEMBER_8_2026_2130),
              (Bytes{0x1E, 0x00, 0x15, 0x00, 0x08, 0x00, 0x0C, 0x00, 0xEA, 0x07}));
    EXPECT_EQ(Encoded({-1, INT16_MIN, INT16_MAX, 0x0102, 0}),
              (Bytes{0xFF, 0xFF, 0x00, 0x80, 0xFF, 0x7F, 0x02, 0x01, 0x00, 0x00}));
    const TargetRecord cases[] = {
        DECEMBER_8_2026_2130, {0, 0, 0, 0, 0}, {-1, -1, -1, -1, -1},
        {INT16_MIN, INT16_MAX, INT16_MIN, INT16_MAX, INT16_MIN}, {255, 256, 0x7F80, -256, 30827},
    };
    for (const TargetRecord& record : cases) {
        EXPECT_EQ(Encoded(record), RecordBytes(record)) << testing::PrintToString(record);
        EXPECT_EQ(DecodeTargetRecord(RecordBytes(record).data()), record);
    }
}

TEST(TargetRecordValidity, CalendarAndRange)
{
    struct Case { TargetRecord record; bool valid; };
    const Case cases[] = {
        {DECEMBER_8_2026_2130, true},
        {{59, 23, 31, 12, 30827}, true}, {{0, 0, 1, 1, 1601}, true},
        {{0, 0, 1, 1, 1600}, false}, {{0, 0, 1, 1, 30828}, false}, {{0, 0, 1, 1, -2026}, false},
        {{60, 12, 1, 1, 2026}, false}, {{-1, 12, 1, 1, 2026}, false},
        {{0, 24, 1, 1, 2026}, false}, {{0, -1, 1, 1, 2026}, false},
        {{0, 0, 1, 0, 2026}, false}, {{0, 0, 1, 13, 2026}, false},
        {{0, 0, 0, 1, 2026}, false}, {{0, 0, 32, 1, 2026}, false},
        {{0, 0, 30, 4, 2026}, true}, {{0, 0, 31, 4, 2026}, false},
        {{0, 0, 29, 2, 2024}, true}, {{0, 0, 29, 2, 2026}, false},
        {{0, 0, 29, 2, 2000}, true}, {{0, 0, 29, 2, 1900}, false},
        {{0, 0, 29, 2, 2100}, false}, {{0, 0, 30, 2, 2024}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidTargetMoment(c.record), c.valid) << testing::PrintToString(c.record);
    EXPECT_EQ(LowByteFields({300, 0x0117, -1, 0x0203, -5}), (TargetRecord{44, 23, 255, 3, -5}));
}

TEST(TargetPaths, DirectoryKeepsTheLastBackslash)
{
    const struct { const wchar_t* path; const wchar_t* directory; } cases[] = {
        {L"C:\\Programs\\countdown.exe", L"C:\\Programs\\"},
        {L"\\\\server\\share\\a.b\\x.exe", L"\\\\server\\share\\a.b\\"},
        {L"C:\\", L"C:\\"}, {L"countdown.exe", L""}, {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DirectoryOfPath(c.path), c.directory) << "path " << testing::PrintToString(c.path);
    EXPECT_EQ(TargetFilePath(L"C:\\x\\"), L"C:\\x\\diminuto.log");
}

// Each row: the file (none: missing), what the load finds and the record it
// gives. The load changes nothing: the file stays as it was, or missing. A
// folder named diminuto.log holds no target, which a retry cannot change.
TEST_F(TargetFileTest, LoadTakesTheLastWholeRecordIfItIsAMoment)
{
    const TargetRecord minute300 = {300, 0x0115, 8, 12, 2026};
    const std::wstring folderTarget = TargetFilePath(dir_ + L"in-folder\\");
    ASSERT_TRUE(CreateDirectoryW((dir_ + L"in-folder").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(folderTarget.c_str(), nullptr));
    struct Case {
        std::string name;
        std::wstring path;
        std::optional<Bytes> content;
        LoadStatus status;
        TargetRecord record;
    };
    std::vector<Case> cases = {
        {"the last whole record, 5 bytes after it", file_,
         RecordBytes(JANUARY_1_2030_0000) + RecordBytes(DECEMBER_8_2026_2130) + Bytes{1, 2, 3, 4, 5},
         LOAD_OK, DECEMBER_8_2026_2130},
        {"minute 300, hour 277: judged by their low bytes 44 and 21", file_,
         RecordBytes(minute300), LOAD_OK, minute300},
        {"an invalid last record after a valid one", file_,
         RecordBytes(DECEMBER_8_2026_2130) + RecordBytes({0, 0, 30, 2, 2028}), LOAD_NO_TARGET, {}},
        {"no file", file_, std::nullopt, LOAD_MISSING, {}},
        {"no folder", TargetFilePath(dir_ + L"gone\\"), std::nullopt, LOAD_MISSING, {}},
        {"a folder of that name", folderTarget, std::nullopt, LOAD_NO_TARGET, {}},
    };
    const Bytes record = RecordBytes(DECEMBER_8_2026_2130);
    for (size_t size = 0; size < TARGET_RECORD_SIZE; ++size) {
        cases.push_back({std::to_string(size) + " bytes", file_,
                         Bytes(record.begin(), record.begin() + size), LOAD_NO_TARGET, {}});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(file_.c_str());
        ASSERT_TRUE(!c.content || driver::WriteFileBytes(c.path, *c.content));
        TargetRecord loaded = {};
        EXPECT_EQ(LoadTargetRecord(c.path, &loaded), c.status);
        if (c.status == LOAD_OK) {
            EXPECT_EQ(loaded, c.record);
        }
        EXPECT_EQ(FileExists(c.path), c.status != LOAD_MISSING);
        if (c.content) {
            EXPECT_EQ(FileBytes(c.path), *c.content);
        }
    }
    EXPECT_FALSE(FileExists(dir_ + L"gone"));
}

TEST_F(TargetFileTest, LoadOfAHeldFileRetriesForTheRetryTime)
{
    ASSERT_TRUE(driver::WriteFileBytes(file_, RecordBytes(DECEMBER_8_2026_2130)));
    HeldFile held(file_);
    ASSERT_TRUE(held.Held());
    TargetRecord loaded = {};
    const DWORD start = GetTickCount();
    EXPECT_EQ(LoadTargetRecord(file_, &loaded, 300), LOAD_UNREADABLE);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 250u) << "gave up before the retry time";
    EXPECT_LT(elapsed, 2000u) << "kept trying after the retry time";

    // Released during the retry time: the load waits for it.
    std::thread release([&held] { Sleep(200); held.Release(); });
    EXPECT_EQ(LoadTargetRecord(file_, &loaded, 3000), LOAD_OK);
    release.join();
    EXPECT_EQ(loaded, DECEMBER_8_2026_2130);
}

// Past 4 GiB, so a 32-bit length would find the wrong record.
TEST_F(TargetFileTest, LoadOfAFileBeyondFourGigabytesReadsItsEnd)
{
    ASSERT_TRUE(driver::WriteFileBytes(file_, RecordBytes(JANUARY_1_2030_0000)));
    const LONGLONG offset = (0x100000000LL / TARGET_RECORD_SIZE + 2) * TARGET_RECORD_SIZE;
    ASSERT_TRUE(WriteFileAt(file_, offset, RecordBytes(DECEMBER_8_2026_2130) + Bytes{9, 9, 9}, true))
        << "error " << GetLastError();
    TargetRecord loaded = {};
    ASSERT_EQ(LoadTargetRecord(file_, &loaded), LOAD_OK);
    EXPECT_EQ(loaded, DECEMBER_8_2026_2130);
}

// Remove deletes a read-only hidden file; holding a record, only while the
// file's last record is that one and the file can be read.
TEST_F(TargetFileTest, RemoveDeletesOnlyItsOwnRecord)
{
    const Bytes newer = RecordBytes(DECEMBER_8_2026_2130) + RecordBytes(JANUARY_1_2030_0000);
    ASSERT_TRUE(driver::WriteFileBytes(file_, newer));
    RemoveTargetFileHolding(file_, DECEMBER_8_2026_2130);
    EXPECT_EQ(FileBytes(file_), newer);

    HeldFile held(file_);
    ASSERT_TRUE(held.Held());
    RemoveTargetFileHolding(file_, JANUARY_1_2030_0000);
    held.Release();
    EXPECT_EQ(FileBytes(file_), newer);

    ASSERT_TRUE(SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    RemoveTargetFileHolding(file_, JANUARY_1_2030_0000);
    EXPECT_FALSE(FileExists(file_));
    RemoveTargetFileHolding(file_, JANUARY_1_2030_0000);  // nothing left: no error

    ASSERT_TRUE(driver::WriteFileBytes(file_, newer));
    ASSERT_TRUE(SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    RemoveTargetFile(file_);
    EXPECT_FALSE(FileExists(file_));
    RemoveTargetFile(file_);  // nothing left: no error
}

// A fresh file gets the record at 0; a 25-byte file at 20, over the partial
// one. An open that fails leaves the file as it was.
TEST_F(TargetFileTest, WriteAppendsAfterTheWholeRecordsOrReportsTheOpen)
{
    StoreOutcome outcome = WriteTargetRecord(file_, JANUARY_1_2030_0000);
    EXPECT_FALSE(outcome.failed || outcome.openFailed);
    EXPECT_EQ(FileBytes(file_), RecordBytes(JANUARY_1_2030_0000));

    const Bytes survivors = RecordBytes(JANUARY_1_2030_0000) + RecordBytes(JANUARY_1_2030_0000);
    ASSERT_TRUE(driver::WriteFileBytes(file_, survivors + Bytes{1, 2, 3, 4, 5}));
    outcome = WriteTargetRecord(file_, DECEMBER_8_2026_2130);
    EXPECT_FALSE(outcome.failed || outcome.openFailed);
    EXPECT_EQ(FileBytes(file_), survivors + RecordBytes(DECEMBER_8_2026_2130));

    outcome = WriteTargetRecord(TargetFilePath(dir_ + L"gone\\"), DECEMBER_8_2026_2130);
    EXPECT_TRUE(outcome.failed && outcome.openFailed);
    EXPECT_EQ(outcome.systemError, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    HeldFile held(file_);
    ASSERT_TRUE(held.Held());
    outcome = WriteTargetRecord(file_, JANUARY_1_2030_0000);
    held.Release();
    EXPECT_TRUE(outcome.failed && outcome.openFailed);
    EXPECT_EQ(outcome.systemError, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(FileBytes(file_), survivors + RecordBytes(DECEMBER_8_2026_2130));
}

// Write, check, load and remove in folders an ANSI path cannot name: one
// over 300 characters, one outside the ANSI code page.
TEST_F(TargetFileTest, WorksInUnicodeAndLongFolders)
{
    const std::wstring unicodeFolder = dir_ + L"\u65e5\u672c\u8a9e\u0436\\";
    ASSERT_TRUE(CreateDirectoryW(unicodeFolder.c_str(), nullptr));
    for (const std::wstring& folder : {DEEP_FOLDER(L"\\\\?\\" + dir_, 305, std::wstring(40, L'd')), unicodeFolder}) {
        const std::wstring path = TargetFilePath(folder);
        SCOPED_TRACE(Narrow(path));
        EXPECT_FALSE(WriteTargetRecord(path, DECEMBER_8_2026_2130).failed);
        EXPECT_TRUE(FileExists(path));
        TargetRecord loaded = {};
        EXPECT_EQ(LoadTargetRecord(path, &loaded), LOAD_OK);
        EXPECT_EQ(loaded, DECEMBER_8_2026_2130);
        RemoveTargetFile(path);
        EXPECT_FALSE(FileExists(path));
    }
}

// A copy of this program in a non-ANSI folder, its path as long as the
// loader accepts (258 characters: Wine refuses to start anything longer),
// reports its directory (see main).
TEST_F(TargetFileTest, ProgramDirectoryIsFoundInAUnicodeFolder)
{
    const std::wstring folder = dir_ + L"\u65e5\u672c\u8a9e\u0436\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring exeName = L"copy.exe";
    const std::wstring deep = DEEP_FOLDER(folder, 258 - exeName.size(), std::wstring(255, L'p'));
    ASSERT_FALSE(deep.empty());
    const std::wstring exe = deep + exeName;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileW(self, exe.c_str(), FALSE)) << "error " << GetLastError();

    const std::wstring report = dir_ + L"report.bin";
    std::wstring command = L"\"" + exe + L"\" --report-directory \"" + report + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process)) << "error " << GetLastError();
    DWORD exitCode = 1;
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(exitCode, 0u);

    const Bytes bytes = FileBytes(report);
    const std::wstring reported(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    EXPECT_EQ(reported, deep);
}

// Started with "--report-directory <file>" (by the test above), the program
// writes ProgramDirectory() to the file and runs no test.
int main(int argc, char** argv)
{
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args && count == 3 && wcscmp(args[1], L"--report-directory") == 0) {
        const std::wstring directory = ProgramDirectory();
        const auto* bytes = reinterpret_cast<const unsigned char*>(directory.data());
        const bool written = driver::WriteFileBytes(args[2], Bytes(bytes, bytes + directory.size() * sizeof(wchar_t)));
        LocalFree(args);
        return written ? 0 : 1;
    }
    LocalFree(args);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
