#include "countdown.h"

#include "dialog_layer.h"

LRESULT CALLBACK CountdownProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_COUNTDOWN_LABEL)
        EndDialogWindow(window, 0);
    return 0;
}
