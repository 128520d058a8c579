// Numbered file errors of a save and their texts.
#include "save_errors.h"

#include "number_text.h"

namespace {

// System error codes below 40 and the ones listed above it.
struct ErrorMapping {
    DWORD systemError;
    int errorNumber;
};

const ErrorMapping ERROR_TABLE[] = {
    {1, 75}, {2, 53}, {3, 76}, {4, 67}, {5, 70}, {6, 57},
    {7, ERROR_ENDS_PROCESS}, {8, 7}, {9, ERROR_ENDS_PROCESS}, {10, ERROR_ENDS_PROCESS},
    {11, 51}, {12, 51}, {13, 51}, {14, 7}, {15, 68}, {16, 75}, {17, 74}, {18, 53},
    {19, 70}, {20, 68}, {21, 71}, {22, 51}, {23, 72}, {24, 51}, {25, 72}, {26, 72},
    {27, 72}, {28, 72}, {29, 72}, {30, 72}, {31, 72}, {32, 70}, {33, 70}, {34, 72},
    {35, 72}, {36, 70}, {37, 75}, {38, 62}, {39, 61}, {87, 5}, {112, 61}};

const int PATH_FILE_ACCESS_ERROR = 75;

struct ErrorText {
    int errorNumber;
    const wchar_t* text;
};

const ErrorText ERROR_TEXTS[] = {
    {5, L"Illegal function call"}, {7, L"Out of memory"}, {51, L"Internal error"},
    {52, L"Bad file name or number"}, {53, L"File not found"}, {57, L"Device I/O error"},
    {61, L"Disk full"}, {62, L"Input past end"}, {67, L"Too many files"},
    {68, L"Device unavailable"}, {70, L"Permission denied"}, {71, L"Disk not ready"},
    {72, L"Disk media error"}, {74, L"Rename across disks"},
    {75, L"Path/file access error"}, {76, L"Path not found"}};

} // namespace

int SaveErrorNumber(DWORD systemError)
{
    for (const ErrorMapping& mapping : ERROR_TABLE) {
        if (mapping.systemError == systemError)
            return mapping.errorNumber;
    }
    return PATH_FILE_ACCESS_ERROR;
}

const wchar_t* SaveErrorText(int errorNumber)
{
    for (const ErrorText& entry : ERROR_TEXTS) {
        if (entry.errorNumber == errorNumber)
            return entry.text;
    }
    return L"";
}

std::wstring SaveErrorMessage(int errorNumber)
{
    const std::string number = NumberToText(errorNumber);  // ASCII only
    return L"Err: " + std::wstring(number.begin(), number.end()) + L" " + SaveErrorText(errorNumber);
}

SaveReport ReportOfStore(bool failed, bool openFailed, DWORD systemError)
{
    if (!failed)
        return {false, SAVED_TEXT, SAVED_TITLE};
    const int errorNumber = SaveErrorNumber(systemError);
    if (errorNumber == ERROR_ENDS_PROCESS)
        return {true, std::wstring(), ERROR_TITLE};
    return {false, SaveErrorMessage(openFailed ? ERROR_BAD_FILE_NUMBER : errorNumber), ERROR_TITLE};
}
