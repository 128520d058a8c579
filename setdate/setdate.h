// setdate: picks a time and a date and stores them in the target file.
#pragma once

#include <windows.h>

// Control ids of the configurator window
constexpr int IDC_TIME_PICKER = 1001;
constexpr int IDC_TIME_LABEL = 1002;
constexpr int IDC_DATE_PICKER = 1003;
constexpr int IDC_DATE_LABEL = 1004;
constexpr int IDC_SAVE_BUTTON = 1005;
constexpr int IDC_EXIT_BUTTON = 1006;

// The configurator window, set before it is shown (main.cpp)
extern HWND g_hDlg;

// The configurator window's event callback (configurator_proc.cpp).
LRESULT CALLBACK ConfiguratorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
