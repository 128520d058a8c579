// The configurator window's events: directory, focus keeping, "Guardar"
// and "Salir".
#include "setdate.h"

#include <commctrl.h>
#include <string>

#include "dialog_layer.h"
#include "long_path.h"
#include "save_errors.h"
#include "target_file.h"

namespace {

std::wstring g_appDir;          // the program's directory, ending in '\'
HWND g_savedFocus = NULL;       // focus kept across deactivation
TargetRecord g_target = {};     // the record built by the last save

// The value of a picker, false when it holds none. A message sent to no
// window returns 0, which reads as GDT_VALID and fills nothing: hence the
// check that the picker exists.
bool PickerValue(int id, SYSTEMTIME* value)
{
    HWND picker = GetDlgItem(g_hDlg, id);
    return picker != NULL
        && SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(value)) == GDT_VALID;
}

// The moment the pickers hold: hour and minute of the time picker, the
// date of the date picker (Gregorian, whatever calendar the user has).
// False unless both pickers exist and hold a value that makes a real
// calendar moment.
bool PickersMoment(TargetRecord* record)
{
    SYSTEMTIME time = {}, date = {};
    if (!PickerValue(IDC_TIME_PICKER, &time) || !PickerValue(IDC_DATE_PICKER, &date))
        return false;
    const TargetRecord moment = {static_cast<int16_t>(time.wMinute), static_cast<int16_t>(time.wHour),
                                 static_cast<int16_t>(date.wDay), static_cast<int16_t>(date.wMonth),
                                 static_cast<int16_t>(date.wYear)};
    if (!IsValidTargetMoment(moment))
        return false;
    *record = moment;
    return true;
}

void InitializeConfigurator()
{
    g_appDir = ProgramDirectory();
}

// Keeps the focused control while the window is inactive and gives it the
// focus back on activation.
void KeepFocus(WPARAM active)
{
    if (!active) {
        g_savedFocus = GetFocus();
    } else if (g_savedFocus != NULL) {
        SetFocus(g_savedFocus);
        g_savedFocus = NULL;
    }
}

// BN_CLICKED (0) or an accelerator (1) from the given button.
bool IsButtonCommand(WPARAM wParam, int id)
{
    return LOWORD(wParam) == id && HIWORD(wParam) <= 1;
}

// Stores the pickers' moment in the target file and tells the user. The
// pickers are read before the old file is touched, so a picker without a
// valid moment leaves it as it was.
void SaveTarget()
{
    TargetRecord record;
    if (!PickersMoment(&record)) {
        ShowMessageBox(UNREADABLE_PICKERS_TEXT, ERROR_TITLE, MB_OK);
        return;
    }
    g_target = record;

    const std::wstring path = ExtendedLengthPath(TargetFilePath(g_appDir));
    RemoveTargetFile(path);
    const StoreOutcome outcome = WriteTargetRecord(path, g_target);
    const SaveReport report = ReportOfStore(outcome.failed, outcome.openFailed, outcome.systemError);
    if (report.endsProcess)
        ExitProcess(EXIT_FILE_SYSTEM_FAILURE);
    ShowMessageBox(report.text.c_str(), report.title, MB_OK);
}

} // namespace

LRESULT CALLBACK ConfiguratorProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        InitializeConfigurator();
    else if (message == WM_NCACTIVATE)
        KeepFocus(wParam);
    else if (message == WM_COMMAND && IsButtonCommand(wParam, IDC_SAVE_BUTTON))
        SaveTarget();
    else if (message == WM_COMMAND && IsButtonCommand(wParam, IDC_EXIT_BUTTON))
        EndDialogWindow(window, 0);
    return 0;
}
