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

TEST(SaveErrors, EveryNumberHasItsText)
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
    for (const auto& entry : texts)
        EXPECT_STREQ(entry.text, SaveErrorText(entry.number)) << "error " << entry.number;
    // Every number the mapping can give has a text.
    for (DWORD code = 0; code < 200; ++code) {
        const int number = SaveErrorNumber(code);
        if (number != SAVE_ENDS_PROCESS) {
            EXPECT_STRNE(L"", SaveErrorText(number)) << "system error " << code;
        }
    }
}

TEST(SaveErrors, MessageHasTwoBlanksAfterTheColon)
{
    EXPECT_EQ(L"Err:  52 Bad file name or number", SaveErrorMessage(52));
    EXPECT_EQ(L"Err:  5 Illegal function call", SaveErrorMessage(5));
    EXPECT_EQ(L"Err:  61 Disk full", SaveErrorMessage(61));
}

TEST(SaveErrors, ReportOfEachStoreOutcome)
{
    const SaveReport saved = ReportOfStore(false, false, 0);
    EXPECT_FALSE(saved.endsProcess);
    EXPECT_EQ(L"Archivado fichero de configuracion ...\r\nGracias ...", saved.text);
    EXPECT_STREQ(L"Programador ...", saved.title);

    // Any failed open shows 52, whatever its system error.
    for (DWORD code : {ERROR_ACCESS_DENIED, ERROR_PATH_NOT_FOUND, ERROR_SHARING_VIOLATION,
                       ERROR_INVALID_NAME, ERROR_WRITE_PROTECT}) {
        const SaveReport report = ReportOfStore(true, true, code);
        EXPECT_FALSE(report.endsProcess) << code;
        EXPECT_EQ(L"Err:  52 Bad file name or number", report.text) << code;
        EXPECT_STREQ(L"Velto Soft", report.title);
    }

    // A failed write shows its own number; a short write is "Disk full".
    EXPECT_EQ(L"Err:  61 Disk full", ReportOfStore(true, false, ERROR_HANDLE_DISK_FULL).text);
    EXPECT_EQ(L"Err:  61 Disk full", ReportOfStore(true, false, ERROR_DISK_FULL).text);
    EXPECT_EQ(L"Err:  57 Device I/O error", ReportOfStore(true, false, ERROR_INVALID_HANDLE).text);

    // Codes 7, 9 and 10 end the process, also on the open.
    for (DWORD code : {7u, 9u, 10u}) {
        EXPECT_TRUE(ReportOfStore(true, false, code).endsProcess) << code;
        EXPECT_TRUE(ReportOfStore(true, true, code).endsProcess) << code;
    }
}

TEST(LongPath, OnlyPathsOfMaxPathOrMoreGetTheExtendedForm)
{
    const std::wstring shortPath = L"C:\\users\\diminuto.log";
    EXPECT_EQ(shortPath, ExtendedLengthPath(shortPath));
    const std::wstring longTail(MAX_PATH, L'x');
    EXPECT_EQ(L"\\\\?\\C:\\" + longTail, ExtendedLengthPath(L"C:\\" + longTail));
    EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\" + longTail,
              ExtendedLengthPath(L"\\\\server\\share\\" + longTail));
    EXPECT_EQ(L"\\\\?\\C:\\" + longTail, ExtendedLengthPath(L"\\\\?\\C:\\" + longTail));
    EXPECT_EQ(longTail, ExtendedLengthPath(longTail));  // relative: left alone
    // Exactly MAX_PATH - 1 characters still fit the plain form.
    const std::wstring fits = L"C:\\" + std::wstring(MAX_PATH - 4, L'y');
    EXPECT_EQ(fits, ExtendedLengthPath(fits));
    EXPECT_EQ(L"\\\\?\\" + fits + L"z", ExtendedLengthPath(fits + L"z"));
}
