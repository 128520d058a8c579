#include "setdate.h"

#include "dialog_layer.h"

// Program-wide state
HWND g_hDlg = NULL;

INT_PTR ShowConfiguratorWindow(HWND parent)
{
    g_hDlg = CreateDialogWindow(parent, L"Configura tu Tiempo ...", 77, 73, 160, 60, 0, 0);
    SetDialogIcon(g_hDlg, L"#200");
    return ShowDialogModal(g_hDlg, ConfiguratorProc);
}

LRESULT CALLBACK ConfiguratorProc(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ShowConfiguratorWindow(NULL);
    return 0;
}
