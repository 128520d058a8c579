// Record codec, calendar check and the file operations on a real folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "target_file.h"

#include <winioctl.h>

bool operator==(const TargetRecord& a, const TargetRecord& b)
{
    return a.minute == b.minute && a.hour == b.hour && a.day == b.day && a.month == b.month
        && a.year == b.year;
}

void PrintTo(const TargetRecord& r, std::ostream* out)
{
    *out << r.day << "/" << r.month << "/" << r.year << " " << r.hour << ":" << r.minute;
}

namespace {

using Bytes = std::vector<unsigned char>;

const TargetRecord DECEMBER_8_2026_2130 = {30, 21, 8, 12, 2026};
const TargetRecord JANUARY_1_2030_0000 = {0, 0, 1, 1, 2030};

Bytes RecordBytes(const TargetRecord& record)
{
    Bytes bytes(TARGET_RECORD_SIZE);
    EncodeTargetRecord(record, bytes.data());
    return bytes;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void WriteBytes(const std::wstring& path, const Bytes& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    EXPECT_EQ(written, bytes.size()) << "error " << GetLastError();
    CloseHandle(file);
}

// The first 4 KiB of a file; empty when it cannot be opened.
Bytes ReadBytes(const std::wstring& path)
{
    Bytes bytes(4096);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

HANDLE HoldExclusively(const std::wstring& path)
{
    return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Deletes a folder tree; paths are given with the \\?\ prefix.
void DeleteTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// Each test gets a fresh folder in the temp directory; dir_ ends in '\'.
class TargetFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(L"\\\\?\\") + temp + L"diminuto-"
            + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
        ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr)) << "error " << GetLastError();
        dir_ = root_ + L"\\";
        file_ = TargetFilePath(dir_);
    }
    void TearDown() override { DeleteTree(root_); }

    std::wstring root_;
    std::wstring dir_;
    std::wstring file_;
};

} // namespace

TEST(TargetRecordCodec, FiveLittleEndianFieldsMinuteFirstAndBack)
{
    EXPECT_EQ(RecordBytes(DECEMBER_8_2026_2130),
              (Bytes{0x1E, 0x00, 0x15, 0x00, 0x08, 0x00, 0x0C, 0x00, 0xEA, 0x07}));
    EXPECT_EQ(RecordBytes({-1, INT16_MIN, INT16_MAX, 0x0102, 0}),
              (Bytes{0xFF, 0xFF, 0x00, 0x80, 0xFF, 0x7F, 0x02, 0x01, 0x00, 0x00}));
    const TargetRecord cases[] = {
        DECEMBER_8_2026_2130, {0, 0, 0, 0, 0}, {-1, -1, -1, -1, -1},
        {INT16_MIN, INT16_MAX, INT16_MIN, INT16_MAX, INT16_MIN}, {255, 256, 0x7F80, -256, 30827},
    };
    for (const TargetRecord& record : cases)
        EXPECT_EQ(DecodeTargetRecord(RecordBytes(record).data()), record);
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

TEST_F(TargetFileTest, LoadTakesTheLastWholeRecordOnly)
{
    WriteBytes(file_, RecordBytes(JANUARY_1_2030_0000) + RecordBytes(DECEMBER_8_2026_2130)
                          + Bytes{1, 2, 3, 4, 5});
    TargetRecord loaded = {};
    ASSERT_EQ(LoadTargetRecord(file_, &loaded), LOAD_OK);
    EXPECT_EQ(loaded, DECEMBER_8_2026_2130);

    // Judged by the low bytes the countdown keeps: minute 300 is minute 44.
    const TargetRecord minute300 = {300, 0x0115, 8, 12, 2026};
    WriteBytes(file_, RecordBytes(minute300));
    ASSERT_EQ(LoadTargetRecord(file_, &loaded), LOAD_OK);
    EXPECT_EQ(loaded, minute300);
}

TEST_F(TargetFileTest, LoadWithoutAWholeRecordFindsNoTarget)
{
    const Bytes record = RecordBytes(DECEMBER_8_2026_2130);
    for (size_t size = 0; size < TARGET_RECORD_SIZE; ++size) {
        WriteBytes(file_, Bytes(record.begin(), record.begin() + size));
        TargetRecord loaded = {};
        EXPECT_EQ(LoadTargetRecord(file_, &loaded), LOAD_NO_TARGET) << size << " bytes";
    }
}

TEST_F(TargetFileTest, InvalidLastRecordFindsNoTargetAndLeavesTheFile)
{
    const Bytes content = RecordBytes(DECEMBER_8_2026_2130) + RecordBytes({0, 0, 30, 2, 2028});
    WriteBytes(file_, content);
    TargetRecord loaded = {};
    EXPECT_EQ(LoadTargetRecord(file_, &loaded), LOAD_NO_TARGET);
    EXPECT_EQ(ReadBytes(file_), content);
}

TEST_F(TargetFileTest, LoadOfAMissingFileCreatesNothing)
{
    TargetRecord loaded = {};
    EXPECT_EQ(LoadTargetRecord(file_, &loaded), LOAD_MISSING);
    EXPECT_FALSE(FileExists(file_));
    EXPECT_EQ(LoadTargetRecord(TargetFilePath(dir_ + L"gone\\"), &loaded), LOAD_MISSING);
    EXPECT_TRUE(FileExists(root_));
}

TEST_F(TargetFileTest, LoadOfAHeldFileGivesUpAfterTheRetryTime)
{
    WriteBytes(file_, RecordBytes(DECEMBER_8_2026_2130));
    HANDLE held = HoldExclusively(file_);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    TargetRecord loaded = {};
    const DWORD start = GetTickCount();
    EXPECT_EQ(LoadTargetRecord(file_, &loaded, 300), LOAD_UNREADABLE);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 250u);
    EXPECT_LT(elapsed, 2000u);
    CloseHandle(held);
}

TEST_F(TargetFileTest, LoadWaitsForAFileReleasedDuringTheRetryTime)
{
    WriteBytes(file_, RecordBytes(DECEMBER_8_2026_2130));
    HANDLE held = HoldExclusively(file_);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread release([held] { Sleep(200); CloseHandle(held); });
    TargetRecord loaded = {};
    EXPECT_EQ(LoadTargetRecord(file_, &loaded, 3000), LOAD_OK);
    release.join();
    EXPECT_EQ(loaded, DECEMBER_8_2026_2130);
}

// Past 4 GiB, so a 32-bit length would find the wrong record. Sparse where
// the file system allows it.
TEST_F(TargetFileTest, LoadOfAFileBeyondFourGigabytesReadsItsEnd)
{
    WriteBytes(file_, RecordBytes(JANUARY_1_2030_0000));
    HANDLE file = CreateFileW(file_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER offset;
    offset.QuadPart = (0x100000000LL / TARGET_RECORD_SIZE + 2) * TARGET_RECORD_SIZE;
    const Bytes last = RecordBytes(DECEMBER_8_2026_2130) + Bytes{9, 9, 9};
    DWORD written = 0;
    const bool wrote = SetFilePointerEx(file, offset, nullptr, FILE_BEGIN)
        && WriteFile(file, last.data(), static_cast<DWORD>(last.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(wrote) << "error " << GetLastError();

    TargetRecord loaded = {};
    ASSERT_EQ(LoadTargetRecord(file_, &loaded), LOAD_OK);
    EXPECT_EQ(loaded, DECEMBER_8_2026_2130);
}

TEST_F(TargetFileTest, RemoveDeletesAReadOnlyHiddenFile)
{
    WriteBytes(file_, RecordBytes(DECEMBER_8_2026_2130));
    ASSERT_TRUE(SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    RemoveTargetFile(file_);
    EXPECT_FALSE(FileExists(file_));
    RemoveTargetFile(file_);  // nothing left: no error
}

// Only the record the countdown loaded goes; a newer one, or a file that
// cannot be read, stays as it is.
TEST_F(TargetFileTest, RemoveHoldingDeletesOnlyItsOwnRecord)
{
    const Bytes newer = RecordBytes(DECEMBER_8_2026_2130) + RecordBytes(JANUARY_1_2030_0000);
    WriteBytes(file_, newer);
    RemoveTargetFileHolding(file_, DECEMBER_8_2026_2130);
    EXPECT_EQ(ReadBytes(file_), newer);

    HANDLE held = HoldExclusively(file_);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    RemoveTargetFileHolding(file_, JANUARY_1_2030_0000);
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(file_), newer);

    ASSERT_TRUE(SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    RemoveTargetFileHolding(file_, JANUARY_1_2030_0000);
    EXPECT_FALSE(FileExists(file_));
    RemoveTargetFileHolding(file_, JANUARY_1_2030_0000);  // nothing left: no error
}

// A fresh file gets the record at 0; a 25-byte file at 20, over the partial one.
TEST_F(TargetFileTest, WriteAppendsAfterTheWholeRecords)
{
    StoreOutcome outcome = WriteTargetRecord(file_, JANUARY_1_2030_0000);
    EXPECT_FALSE(outcome.failed || outcome.openFailed);
    EXPECT_EQ(ReadBytes(file_), RecordBytes(JANUARY_1_2030_0000));

    const Bytes survivors = RecordBytes(JANUARY_1_2030_0000) + RecordBytes(JANUARY_1_2030_0000);
    WriteBytes(file_, survivors + Bytes{1, 2, 3, 4, 5});
    outcome = WriteTargetRecord(file_, DECEMBER_8_2026_2130);
    EXPECT_FALSE(outcome.failed || outcome.openFailed);
    EXPECT_EQ(ReadBytes(file_), survivors + RecordBytes(DECEMBER_8_2026_2130));
}

TEST_F(TargetFileTest, WriteReportsAnOpenThatFails)
{
    StoreOutcome outcome = WriteTargetRecord(TargetFilePath(dir_ + L"gone\\"), DECEMBER_8_2026_2130);
    EXPECT_TRUE(outcome.failed);
    EXPECT_TRUE(outcome.openFailed);
    EXPECT_EQ(outcome.systemError, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    WriteBytes(file_, RecordBytes(JANUARY_1_2030_0000));
    HANDLE held = HoldExclusively(file_);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    outcome = WriteTargetRecord(file_, DECEMBER_8_2026_2130);
    CloseHandle(held);
    EXPECT_TRUE(outcome.failed);
    EXPECT_TRUE(outcome.openFailed);
    EXPECT_EQ(outcome.systemError, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadBytes(file_), RecordBytes(JANUARY_1_2030_0000));
}

// Write, check, load and remove in folders an ANSI path cannot name.
TEST_F(TargetFileTest, WorksInUnicodeAndLongFolders)
{
    std::wstring longFolder = root_;
    while (longFolder.size() < 300) {
        longFolder += L"\\" + std::wstring(40, L'd');
        ASSERT_TRUE(CreateDirectoryW(longFolder.c_str(), nullptr)) << "error " << GetLastError();
    }
    const std::wstring unicodeFolder = root_ + L"\\\u65e5\u672c\u8a9e\u0436";
    ASSERT_TRUE(CreateDirectoryW(unicodeFolder.c_str(), nullptr));

    for (const std::wstring& folder : {longFolder, unicodeFolder}) {
        const std::wstring path = TargetFilePath(folder + L"\\");
        SCOPED_TRACE(testing::PrintToString(path));
        EXPECT_FALSE(WriteTargetRecord(path, DECEMBER_8_2026_2130).failed);
        EXPECT_TRUE(FileExists(path));
        TargetRecord loaded = {};
        EXPECT_EQ(LoadTargetRecord(path, &loaded), LOAD_OK);
        EXPECT_EQ(loaded, DECEMBER_8_2026_2130);
        RemoveTargetFile(path);
        EXPECT_FALSE(FileExists(path));
    }
}

// Run in a copy of this program: writes ProgramDirectory() to the file the
// environment names. Skipped in a normal run.
TEST(ProgramDirectoryChild, ReportsItsDirectory)
{
    const wchar_t* report = _wgetenv(L"DIMINUTO_REPORT_TO");
    if (report == nullptr)
        GTEST_SKIP() << "only run by ProgramDirectoryIsFoundInAUnicodeFolder";
    const std::wstring directory = ProgramDirectory();
    const auto* bytes = reinterpret_cast<const unsigned char*>(directory.data());
    WriteBytes(report, Bytes(bytes, bytes + directory.size() * sizeof(wchar_t)));
}

// A copy of this program in a non-ANSI folder, its path as long as the
// loader accepts (259 characters: Wine refuses to start anything longer).
TEST_F(TargetFileTest, ProgramDirectoryIsFoundInAUnicodeFolder)
{
    const std::wstring folder = root_.substr(4) + L"\\\u65e5\u672c\u8a9e\u0436";  // no \\?\ for the loader
    const std::wstring exeName = L"\\copy.exe";
    ASSERT_LT(folder.size() + 1 + exeName.size(), 259u);
    const std::wstring deep = folder + L"\\" + std::wstring(258 - folder.size() - exeName.size(), L'p');
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) && CreateDirectoryW(deep.c_str(), nullptr));
    const std::wstring exe = deep + exeName;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileW(self, exe.c_str(), FALSE)) << "error " << GetLastError();

    const std::wstring report = dir_ + L"report.bin";
    SetEnvironmentVariableW(L"DIMINUTO_REPORT_TO", report.c_str());
    std::wstring command = L"\"" + exe + L"\" --gtest_filter=ProgramDirectoryChild.*";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(L"DIMINUTO_REPORT_TO", nullptr);
    ASSERT_TRUE(started) << "error " << GetLastError();
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    const Bytes bytes = ReadBytes(report);
    const std::wstring reported(reinterpret_cast<const wchar_t*>(bytes.data()),
                                bytes.size() / sizeof(wchar_t));
    EXPECT_EQ(reported, deep + L"\\");
}
