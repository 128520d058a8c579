// countdown: a narrow window at the screen's top-left corner showing the
// time left until the moment stored in the target file.
#pragma once

#include <windows.h>

// The window's only control, the label
constexpr int IDC_COUNTDOWN_LABEL = 1001;

// The countdown window, set before it is shown (main.cpp)
extern HWND g_hDlg;

// The countdown window's event callback (countdown_proc.cpp).
LRESULT CALLBACK CountdownProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
