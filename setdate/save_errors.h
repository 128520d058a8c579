// Numbered file errors of a save and the texts the user is shown.
#pragma once

#include <windows.h>
#include <string>

// The numbered errors a save can report.
enum SaveError {
    SAVE_ILLEGAL_FUNCTION_CALL = 5,
    SAVE_OUT_OF_MEMORY = 7,
    SAVE_INTERNAL_ERROR = 51,
    SAVE_BAD_FILE_NAME_OR_NUMBER = 52,  // any failed open: the later steps meet no file
    SAVE_FILE_NOT_FOUND = 53,
    SAVE_DEVICE_IO_ERROR = 57,
    SAVE_DISK_FULL = 61,
    SAVE_INPUT_PAST_END = 62,
    SAVE_TOO_MANY_FILES = 67,
    SAVE_DEVICE_UNAVAILABLE = 68,
    SAVE_PERMISSION_DENIED = 70,
    SAVE_DISK_NOT_READY = 71,
    SAVE_DISK_MEDIA_ERROR = 72,
    SAVE_RENAME_ACROSS_DISKS = 74,
    SAVE_PATH_FILE_ACCESS_ERROR = 75,
    SAVE_PATH_NOT_FOUND = 76,
    SAVE_ENDS_PROCESS = -1  // no message: the process ends at once
};

constexpr UINT EXIT_FILE_SYSTEM_FAILURE = 255;

// The error number of a failing file call's system error code (0 and
// unlisted codes give 75), or SAVE_ENDS_PROCESS for codes 7, 9 and 10.
int SaveErrorNumber(DWORD systemError);

// The fixed English text of an error number; empty for an unknown number.
const wchar_t* SaveErrorText(int errorNumber);

// "Err: " + number with its leading blank + " " + text, e.g.
// "Err:  52 Bad file name or number".
std::wstring SaveErrorMessage(int errorNumber);

// What the user is told after the file steps of a save.
struct SaveReport {
    bool endsProcess;       // a system error that ends the process at once
    std::wstring text;
    const wchar_t* title;
};

// Success box, or the error box: number 52 for any failed open (unless
// its code ends the process), else the number of the last failing step.
SaveReport ReportOfStore(bool failed, bool openFailed, DWORD systemError);

// Texts of the save's message boxes.
constexpr wchar_t SAVED_TEXT[] = L"Archivado fichero de configuracion ...\r\nGracias ...";
constexpr wchar_t SAVED_TITLE[] = L"Programador ...";
constexpr wchar_t ERROR_TITLE[] = L"Velto Soft";
constexpr wchar_t UNREADABLE_PICKERS_TEXT[] =
    L"Err: no se entiende la hora o la fecha elegida; no se ha guardado nada";
