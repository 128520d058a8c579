// setdate: picks a time and a date and stores them in the target file.
#pragma once

#include <windows.h>

// Program-wide state, defined in main.cpp
extern HWND g_hDlg;  // the configurator window

// Builds the configurator window and runs it; returns its end result.
INT_PTR ShowConfiguratorWindow(HWND parent);

// The configurator window's event callback.
LRESULT CALLBACK ConfiguratorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
