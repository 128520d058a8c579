// setdate's entry and its window: a time picker, a date picker, their
// labels, and the buttons "Guardar" and "Salir".
#include "setdate.h"

#include <commctrl.h>

#include "dialog_layer.h"
#include "resource.h"
#include "scoped_win.h"
#include "system_function.h"

HWND g_hDlg = NULL;

namespace {

typedef BOOL (WINAPI *InitCommonControlsExProc)(const INITCOMMONCONTROLSEX*);
typedef void (WINAPI *InitCommonControlsProc)(void);

// Win95 classes, date picker and IP address control: 0x9FF.
const DWORD COMMON_CONTROL_CLASSES = ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_INTERNET_CLASSES;

const wchar_t PICKER_CLASS[] = L"SysDateTimePick32";
const wchar_t PICKER_TEXT[] = L"SysDateTimePick32_1";
const DWORD TIME_PICKER_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP | DTS_TIMEFORMAT;
static_assert(TIME_PICKER_STYLE == 0x50010009, "time picker style");
const DWORD DATE_PICKER_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP | DTS_SHORTDATEFORMAT;
static_assert(DATE_PICKER_STYLE == 0x50010000, "date picker style");
const DWORD CENTERED_LABEL_STYLE = WS_CHILD | WS_VISIBLE | SS_CENTER;
static_assert(CENTERED_LABEL_STYLE == 0x50000001, "label style");
const DWORD BUTTON_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
static_assert(BUTTON_STYLE == 0x50010000, "button style");

// Loads COMCTL32.DLL by name (so the program does not import it) and calls
// InitCommonControlsEx, or the older InitCommonControls where the Ex entry
// is missing. The FreeLibrary at the end unloads the library again, as
// nothing else holds it; the pickers are still made because the manifest
// redirects their class to COMCTL32 6, which CreateWindowExW loads anew.
void RegisterCommonControls()
{
    HMODULE library = LoadLibraryA("COMCTL32.DLL");
    if (library == NULL)
        return;
    const InitCommonControlsExProc initEx =
        SystemFunction<InitCommonControlsExProc>(library, "InitCommonControlsEx");
    if (initEx != NULL) {
        INITCOMMONCONTROLSEX classes = {sizeof(INITCOMMONCONTROLSEX), COMMON_CONTROL_CLASSES};
        initEx(&classes);
    } else {
        const InitCommonControlsProc init =
            SystemFunction<InitCommonControlsProc>(library, "InitCommonControls");
        if (init != NULL)
            init();
    }
    FreeLibrary(library);
}

// The forms the countdown's caption uses, whatever the user's locale: the
// pickers then mean the same moment everywhere and fit their width.
const wchar_t TIME_PICKER_FORMAT[] = L"HH:mm";
const wchar_t DATE_PICKER_FORMAT[] = L"dd/MM/yyyy";

void SetPickerFormat(int id, const wchar_t* format)
{
    SendMessageW(GetDlgItem(g_hDlg, id), DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format));
}

void SetControlFont(int id, HFONT font)
{
    SendMessageW(GetDlgItem(g_hDlg, id), WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
}

INT_PTR ShowConfiguratorWindow(HWND parent)
{
    g_hDlg = CreateDialogWindow(parent, L"Configura tu Tiempo ...", 77, 73, 160, 60, 0, 0);
    SetDialogIcon(g_hDlg, MAKEINTRESOURCEW(IDI_SETDATE));

    // Creation order is the tab order.
    AddControl(PICKER_CLASS, g_hDlg, IDC_TIME_PICKER, PICKER_TEXT, 5, 15, 55, 20,
               TIME_PICKER_STYLE, WS_EX_CLIENTEDGE);
    AddControl(CONTROL_LABEL, g_hDlg, IDC_TIME_LABEL, L"Hora", 5, 0, 55, 15, CENTERED_LABEL_STYLE, 0);
    AddControl(PICKER_CLASS, g_hDlg, IDC_DATE_PICKER, PICKER_TEXT, 62, 15, 98, 20,
               DATE_PICKER_STYLE, WS_EX_CLIENTEDGE);
    AddControl(CONTROL_LABEL, g_hDlg, IDC_DATE_LABEL, L"Fecha", 62, 0, 98, 15, CENTERED_LABEL_STYLE, 0);
    AddControl(CONTROL_BUTTON, g_hDlg, IDC_SAVE_BUTTON, L"Guardar", 4, 40, 40, 15, BUTTON_STYLE, 0);
    AddControl(CONTROL_BUTTON, g_hDlg, IDC_EXIT_BUTTON, L"Salir", 118, 40, 40, 15, BUTTON_STYLE, 0);
    SetPickerFormat(IDC_TIME_PICKER, TIME_PICKER_FORMAT);
    SetPickerFormat(IDC_DATE_PICKER, DATE_PICKER_FORMAT);

    // Deleted once the window has gone.
    const ScopedFont hPickerFont(CreateControlFont(18, FW_NORMAL, FALSE));
    const ScopedFont hLabelFont(CreateControlFont(12, FW_NORMAL, FALSE));
    const ScopedFont hButtonFont(CreateControlFont(8, FW_BOLD, TRUE));
    SetControlFont(IDC_TIME_PICKER, hPickerFont.Get());
    SetControlFont(IDC_TIME_LABEL, hLabelFont.Get());
    SetControlFont(IDC_DATE_PICKER, hPickerFont.Get());
    SetControlFont(IDC_DATE_LABEL, hLabelFont.Get());
    SetControlFont(IDC_SAVE_BUTTON, hButtonFont.Get());
    SetControlFont(IDC_EXIT_BUTTON, hButtonFont.Get());

    return ShowDialogModal(g_hDlg, ConfiguratorProc);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RegisterCommonControls();
    ShowConfiguratorWindow(NULL);
    return 0;
}
