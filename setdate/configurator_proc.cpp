// The configurator window's events: directory, focus keeping, "Guardar"
// and "Salir".
#include "setdate.h"

#include "dialog_layer.h"
#include "long_path.h"
#include "picker_parse.h"
#include "save_errors.h"

namespace {

// One locale text of the user's locale; empty when it cannot be read.
std::wstring UserLocaleText(LCTYPE type)
{
    wchar_t text[LOCALE_NAME_MAX_LENGTH * 2] = L"";
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text, ARRAYSIZE(text)) == 0)
        return std::wstring();
    return text;
}

// The formats the pickers show their texts in (DTS_TIMEFORMAT and
// DTS_SHORTDATEFORMAT follow the user's locale).
PickerFormats UserPickerFormats()
{
    PickerFormats formats;
    formats.shortDate = UserLocaleText(LOCALE_SSHORTDATE);
    formats.timeFormat = UserLocaleText(LOCALE_STIMEFORMAT);
    formats.amDesignator = UserLocaleText(LOCALE_S1159);
    formats.pmDesignator = UserLocaleText(LOCALE_S2359);
    DWORD yearMax = 0;
    if (GetCalendarInfoEx(LOCALE_NAME_USER_DEFAULT, CAL_GREGORIAN, NULL,
                          CAL_ITWODIGITYEARMAX | CAL_RETURN_NUMBER, NULL, 0, &yearMax) != 0
        && yearMax >= 100 && yearMax <= 9999)
        formats.twoDigitYearMax = static_cast<int>(yearMax);
    else
        formats.twoDigitYearMax = DEFAULT_TWO_DIGIT_YEAR_MAX;
    return formats;
}

// The window text of a control of the configurator window.
std::wstring ControlText(int id)
{
    HWND control = GetDlgItem(g_hDlg, id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, &text[0], static_cast<int>(text.size()))));
    return text;
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

} // namespace

// The texts are read before the old file is touched, so a text that cannot
// be understood leaves it as it was.
void SaveTarget()
{
    TargetRecord record;
    if (!ParsePickerTexts(ControlText(IDC_TIME_PICKER), ControlText(IDC_DATE_PICKER),
                          UserPickerFormats(), &record)) {
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
