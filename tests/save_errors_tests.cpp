// The numbered errors of a save, the texts of its message boxes and the
// long form of the target's path.
#include <gtest/gtest.h>

#include "long_path.h"
#include "save_errors.h"

TEST(SaveErrors, EverySystemErrorCodeMapsAsTheTableSays)
{
    struct Row {
        DWORD first, last;
        int number;
    };
    const Row rows[] = {
        {1, 1, 75}, {2, 2, 53}, {3, 3, 76}, {4, 4, 67}, {5, 5, 70}, {6, 6, 57},
        {7, 7, SAVE_ENDS_PROCESS}, {8, 8, 7}, {9, 10, SAVE_ENDS_PROCESS}, {11, 13, 51},
        {14, 14, 7}, {15, 15, 68}, {16, 16, 75}, {17, 17, 74}, {18, 18, 53}, {19, 19, 70},
        {20, 20, 68}, {21, 21, 71}, {22, 22, 51}, {23, 23, 72}, {24, 24, 51}, {25, 31, 72},
        {32, 33, 70}, {34, 35, 72}, {36, 36, 70}, {37, 37, 75}, {38, 38, 62}, {39, 39, 61},
        {40, 86, 75}, {87, 87, 5}, {88, 111, 75}, {112, 112, 61}, {113, 20000, 75}};
    for (const Row& row : rows) {
        for (DWORD code = row.first; code <= row.last; ++code)
            EXPECT_EQ(row.number, SaveErrorNumber(code)) << "system error " << code;
    }
    EXPECT_EQ(75, SaveErrorNumber(0xFFFFFFFF));
}

// Each number's text, and its message "Err: " + the number with its
// leading blank + the text.
TEST(SaveErrors, EveryNumberHasItsTextAndMessage)
{
    const struct {
        int number;
        const wchar_t* text;
    } texts[] = {
        {5, L"Illegal function call"}, {7, L"Out of memory"}, {51, L"Internal error"},
        {52, L"Bad file name or number"}, {53, L"File not found"}, {57, L"Device I/O error"},
        {61, L"Disk full"}, {62, L"Input past end"}, {67, L"Too many files"},
        {68, L"Device unavailable"}, {70, L"Permission denied"}, {71, L"Disk not ready"},
        {72, L"Disk media error"}, {74, L"Rename across disks"},
        {75, L"Path/file access error"}, {76, L"Path not found"}};
    for (const auto& entry : texts) {
        EXPECT_STREQ(entry.text, SaveErrorText(entry.number)) << "error " << entry.number;
        EXPECT_EQ(L"Err:  " + std::to_wstring(entry.number) + L" " + entry.text,
                  SaveErrorMessage(entry.number));
    }
    // Every number the mapping can give has a text.
    for (DWORD code = 0; code < 200; ++code) {
        const int number = SaveErrorNumber(code);
        if (number != SAVE_ENDS_PROCESS) {
            EXPECT_STRNE(L"", SaveErrorText(number)) << "system error " << code;
        }
    }
}

// Each row: what the file steps did (failed, failed on the open, the last
// system error) and what the user is told. Any failed open shows 52,
// whatever its error; a failed write its own number, a short one "Disk
// full"; codes 7, 9 and 10 end the process, also on the open.
TEST(SaveErrors, ReportOfEachStoreOutcome)
{
    const wchar_t* const ENDS = nullptr;
    const struct {
        bool failed, openFailed;
        DWORD code;
        const wchar_t* text;  // ENDS: the process ends, nothing is shown
        const wchar_t* title;
    } rows[] = {
        {false, false, 0, L"Archivado fichero de configuracion ...\r\nGracias ...", L"Programador ..."},
        {true, true, ERROR_ACCESS_DENIED, L"Err:  52 Bad file name or number", L"Velto Soft"},
        {true, true, ERROR_PATH_NOT_FOUND, L"Err:  52 Bad file name or number", L"Velto Soft"},
        {true, true, ERROR_SHARING_VIOLATION, L"Err:  52 Bad file name or number", L"Velto Soft"},
        {true, true, ERROR_INVALID_NAME, L"Err:  52 Bad file name or number", L"Velto Soft"},
        {true, true, ERROR_WRITE_PROTECT, L"Err:  52 Bad file name or number", L"Velto Soft"},
        {true, false, ERROR_HANDLE_DISK_FULL, L"Err:  61 Disk full", L"Velto Soft"},
        {true, false, ERROR_DISK_FULL, L"Err:  61 Disk full", L"Velto Soft"},
        {true, false, ERROR_INVALID_HANDLE, L"Err:  57 Device I/O error", L"Velto Soft"},
        {true, false, ERROR_INVALID_PARAMETER, L"Err:  5 Illegal function call", L"Velto Soft"},
        {true, false, 7, ENDS, nullptr}, {true, true, 7, ENDS, nullptr},
        {true, false, 9, ENDS, nullptr}, {true, true, 9, ENDS, nullptr},
        {true, false, 10, ENDS, nullptr}, {true, true, 10, ENDS, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "failed " << row.failed << ", on the open "
                                        << row.openFailed << ", system error " << row.code);
        const SaveReport report = ReportOfStore(row.failed, row.openFailed, row.code);
        EXPECT_EQ(report.endsProcess, row.text == ENDS);
        if (row.text != ENDS) {
            EXPECT_EQ(report.text, row.text);
            EXPECT_STREQ(report.title, row.title);
        }
    }
}

// Each row: a path and its form for the file functions. Only absolute paths
// of MAX_PATH characters or more get the extended form.
TEST(LongPath, OnlyPathsOfMaxPathOrMoreGetTheExtendedForm)
{
    const std::wstring longTail(MAX_PATH, L'x');
    const std::wstring fits = L"C:\\" + std::wstring(MAX_PATH - 4, L'y');  // MAX_PATH - 1
    const struct {
        std::wstring path, extended;
    } rows[] = {
        {L"C:\\users\\diminuto.log", L"C:\\users\\diminuto.log"},
        {L"C:\\" + longTail, L"\\\\?\\C:\\" + longTail},
        {L"\\\\server\\share\\" + longTail, L"\\\\?\\UNC\\server\\share\\" + longTail},
        {L"\\\\?\\C:\\" + longTail, L"\\\\?\\C:\\" + longTail},
        {longTail, longTail},  // relative
        {fits, fits},
        {fits + L"z", L"\\\\?\\" + fits + L"z"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ExtendedLengthPath(row.path), row.extended) << row.path.size() << " characters";
}
