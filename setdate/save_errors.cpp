// Numbered file errors of a save and their texts.
#include "save_errors.h"

#include "number_text.h"

namespace {

// System error codes below 40 and the ones listed above it; every other
// code is a path/file access error.
struct ErrorMapping {
    DWORD systemError;
    SaveError saveError;
};

const ErrorMapping ERROR_TABLE[] = {
    {ERROR_INVALID_FUNCTION, SAVE_PATH_FILE_ACCESS_ERROR},              // 1
    {ERROR_FILE_NOT_FOUND, SAVE_FILE_NOT_FOUND},                       // 2
    {ERROR_PATH_NOT_FOUND, SAVE_PATH_NOT_FOUND},                       // 3
    {ERROR_TOO_MANY_OPEN_FILES, SAVE_TOO_MANY_FILES},                  // 4
    {ERROR_ACCESS_DENIED, SAVE_PERMISSION_DENIED},                     // 5
    {ERROR_INVALID_HANDLE, SAVE_DEVICE_IO_ERROR},                      // 6
    {ERROR_ARENA_TRASHED, SAVE_ENDS_PROCESS},                          // 7
    {ERROR_NOT_ENOUGH_MEMORY, SAVE_OUT_OF_MEMORY},                     // 8
    {ERROR_INVALID_BLOCK, SAVE_ENDS_PROCESS},                          // 9
    {ERROR_BAD_ENVIRONMENT, SAVE_ENDS_PROCESS},                        // 10
    {ERROR_BAD_FORMAT, SAVE_INTERNAL_ERROR},                           // 11
    {ERROR_INVALID_ACCESS, SAVE_INTERNAL_ERROR},                       // 12
    {ERROR_INVALID_DATA, SAVE_INTERNAL_ERROR},                         // 13
    {ERROR_OUTOFMEMORY, SAVE_OUT_OF_MEMORY},                           // 14
    {ERROR_INVALID_DRIVE, SAVE_DEVICE_UNAVAILABLE},                    // 15
    {ERROR_CURRENT_DIRECTORY, SAVE_PATH_FILE_ACCESS_ERROR},            // 16
    {ERROR_NOT_SAME_DEVICE, SAVE_RENAME_ACROSS_DISKS},                 // 17
    {ERROR_NO_MORE_FILES, SAVE_FILE_NOT_FOUND},                        // 18
    {ERROR_WRITE_PROTECT, SAVE_PERMISSION_DENIED},                     // 19
    {ERROR_BAD_UNIT, SAVE_DEVICE_UNAVAILABLE},                         // 20
    {ERROR_NOT_READY, SAVE_DISK_NOT_READY},                            // 21
    {ERROR_BAD_COMMAND, SAVE_INTERNAL_ERROR},                          // 22
    {ERROR_CRC, SAVE_DISK_MEDIA_ERROR},                                // 23
    {ERROR_BAD_LENGTH, SAVE_INTERNAL_ERROR},                           // 24
    {ERROR_SEEK, SAVE_DISK_MEDIA_ERROR},                               // 25
    {ERROR_NOT_DOS_DISK, SAVE_DISK_MEDIA_ERROR},                       // 26
    {ERROR_SECTOR_NOT_FOUND, SAVE_DISK_MEDIA_ERROR},                   // 27
    {ERROR_OUT_OF_PAPER, SAVE_DISK_MEDIA_ERROR},                       // 28
    {ERROR_WRITE_FAULT, SAVE_DISK_MEDIA_ERROR},                        // 29
    {ERROR_READ_FAULT, SAVE_DISK_MEDIA_ERROR},                         // 30
    {ERROR_GEN_FAILURE, SAVE_DISK_MEDIA_ERROR},                        // 31
    {ERROR_SHARING_VIOLATION, SAVE_PERMISSION_DENIED},                 // 32
    {ERROR_LOCK_VIOLATION, SAVE_PERMISSION_DENIED},                    // 33
    {ERROR_WRONG_DISK, SAVE_DISK_MEDIA_ERROR},                         // 34
    {35, SAVE_DISK_MEDIA_ERROR},                                       // 35 (unnamed)
    {ERROR_SHARING_BUFFER_EXCEEDED, SAVE_PERMISSION_DENIED},           // 36
    {37, SAVE_PATH_FILE_ACCESS_ERROR},                                 // 37 (unnamed)
    {ERROR_HANDLE_EOF, SAVE_INPUT_PAST_END},                           // 38
    {ERROR_HANDLE_DISK_FULL, SAVE_DISK_FULL},                          // 39
    {ERROR_INVALID_PARAMETER, SAVE_ILLEGAL_FUNCTION_CALL},             // 87
    {ERROR_DISK_FULL, SAVE_DISK_FULL},                                 // 112
};

struct ErrorText {
    SaveError saveError;
    const wchar_t* text;
};

const ErrorText ERROR_TEXTS[] = {
    {SAVE_ILLEGAL_FUNCTION_CALL, L"Illegal function call"},
    {SAVE_OUT_OF_MEMORY, L"Out of memory"},
    {SAVE_INTERNAL_ERROR, L"Internal error"},
    {SAVE_BAD_FILE_NAME_OR_NUMBER, L"Bad file name or number"},
    {SAVE_FILE_NOT_FOUND, L"File not found"},
    {SAVE_DEVICE_IO_ERROR, L"Device I/O error"},
    {SAVE_DISK_FULL, L"Disk full"},
    {SAVE_INPUT_PAST_END, L"Input past end"},
    {SAVE_TOO_MANY_FILES, L"Too many files"},
    {SAVE_DEVICE_UNAVAILABLE, L"Device unavailable"},
    {SAVE_PERMISSION_DENIED, L"Permission denied"},
    {SAVE_DISK_NOT_READY, L"Disk not ready"},
    {SAVE_DISK_MEDIA_ERROR, L"Disk media error"},
    {SAVE_RENAME_ACROSS_DISKS, L"Rename across disks"},
    {SAVE_PATH_FILE_ACCESS_ERROR, L"Path/file access error"},
    {SAVE_PATH_NOT_FOUND, L"Path not found"},
};

} // namespace

int SaveErrorNumber(DWORD systemError)
{
    for (const ErrorMapping& mapping : ERROR_TABLE) {
        if (mapping.systemError == systemError)
            return mapping.saveError;
    }
    return SAVE_PATH_FILE_ACCESS_ERROR;
}

const wchar_t* SaveErrorText(int errorNumber)
{
    for (const ErrorText& entry : ERROR_TEXTS) {
        if (entry.saveError == errorNumber)
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
    if (errorNumber == SAVE_ENDS_PROCESS)
        return {true, std::wstring(), ERROR_TITLE};
    return {false, SaveErrorMessage(openFailed ? SAVE_BAD_FILE_NAME_OR_NUMBER : errorNumber), ERROR_TITLE};
}
