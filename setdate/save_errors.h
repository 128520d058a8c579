// Numbered file errors of a save and the texts the user is shown.
#pragma once

#include <windows.h>
#include <string>

// Error number of an open that failed for any reason: the later file steps
// then meet no open file.
constexpr int ERROR_BAD_FILE_NUMBER = 52;

// Returned by SaveErrorNumber for the system errors that end the process.
constexpr int ERROR_ENDS_PROCESS = -1;
constexpr UINT EXIT_FILE_SYSTEM_FAILURE = 255;

// The error number of a failing file call's system error code (0 and
// unlisted codes give 75), or ERROR_ENDS_PROCESS for codes 7, 9 and 10.
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
