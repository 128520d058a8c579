// countdown's entry and its window: a strip at the screen's top-left corner
// holding one centred label, light grey on black.
#include "countdown.h"

#include "dialog_layer.h"
#include "resource.h"
#include "scoped_win.h"

HWND g_hDlg = NULL;

namespace {

const COLORREF LABEL_TEXT_COLOR = RGB(192, 192, 192);
const COLORREF LABEL_BACK_COLOR = RGB(0, 0, 0);
const int LABEL_FONT_POINTS = 14;
const DWORD LABEL_STYLE = WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_CENTER;
static_assert(LABEL_STYLE == 0x50000101, "countdown label style");

INT_PTR ShowCountdownWindow(HWND parent)
{
    g_hDlg = CreateDialogWindow(parent, L"0", 0, 0, 205, 15, 0, 0);
    SetDialogIcon(g_hDlg, MAKEINTRESOURCEW(IDI_COUNTDOWN));
    AddControl(CONTROL_LABEL, g_hDlg, IDC_COUNTDOWN_LABEL, L"", 0, 0, 205, 15, LABEL_STYLE, 0);
    SetControlColors(g_hDlg, IDC_COUNTDOWN_LABEL, LABEL_TEXT_COLOR, LABEL_BACK_COLOR);

    const ScopedFont hCountdownFont(CreateControlFont(LABEL_FONT_POINTS, FW_NORMAL, FALSE));
    SendMessageW(GetDlgItem(g_hDlg, IDC_COUNTDOWN_LABEL), WM_SETFONT,
                 reinterpret_cast<WPARAM>(hCountdownFont.Get()), 0);

    return ShowDialogModal(g_hDlg, CountdownProc);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ShowCountdownWindow(NULL);
    return 0;
}
