#include "countdown.h"

#include "dialog_layer.h"

// Program-wide state
HWND g_hDlg = NULL;
std::wstring g_appDir;
HWND g_savedFocus = NULL;
CountdownTarget g_target = {};
TargetRecord g_loadedRecord = {};
ATOM g_hotkeyAtom = 0;
int g_visible = 0;

namespace {

const COLORREF LABEL_TEXT_COLOR = RGB(192, 192, 192);
const COLORREF LABEL_BACK_COLOR = RGB(0, 0, 0);
const int LABEL_FONT_POINTS = 14;

}  // namespace

INT_PTR ShowCountdownWindow(HWND parent)
{
    g_hDlg = CreateDialogWindow(parent, L"0", 0, 0, 205, 15, 0, 0);
    SetDialogIcon(g_hDlg, L"#200");
    AddControl(CONTROL_LABEL, g_hDlg, IDC_COUNTDOWN_LABEL, L"", 0, 0, 205, 15,
               WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_CENTER, 0);
    SetControlColors(g_hDlg, IDC_COUNTDOWN_LABEL, LABEL_TEXT_COLOR, LABEL_BACK_COLOR);

    HFONT hCountdownFont = CreateControlFont(LABEL_FONT_POINTS, FW_NORMAL, FALSE);
    SendMessageW(GetDlgItem(g_hDlg, IDC_COUNTDOWN_LABEL), WM_SETFONT,
                 reinterpret_cast<WPARAM>(hCountdownFont), 0);

    INT_PTR result = ShowDialogModal(g_hDlg, CountdownProc);
    DeleteObject(hCountdownFont);
    return result;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ShowCountdownWindow(NULL);
    return 0;
}
