// setdate: picks a time and a date and stores them in the target file.
#pragma once

#include <windows.h>
#include <string>

#include "target_file.h"

// Control ids of the configurator window
constexpr int IDC_TIME_PICKER = 1001;
constexpr int IDC_TIME_LABEL = 1002;
constexpr int IDC_DATE_PICKER = 1003;
constexpr int IDC_DATE_LABEL = 1004;
constexpr int IDC_SAVE_BUTTON = 1005;
constexpr int IDC_EXIT_BUTTON = 1006;

// Program-wide state, defined in main.cpp
extern HWND g_hDlg;              // the configurator window
extern std::wstring g_appDir;    // the program's directory, ending in '\'
extern HWND g_savedFocus;        // focus kept across deactivation
extern TargetRecord g_target;    // the record built by the last save

// Builds the configurator window and runs it; returns its end result.
INT_PTR ShowConfiguratorWindow(HWND parent);

// The configurator window's event callback.
LRESULT CALLBACK ConfiguratorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Stores the pickers' moment in the target file and tells the user.
void SaveTarget();
