// countdown: a narrow window at the screen's top-left corner showing the
// time left until the moment stored in the target file.
#pragma once

#include <windows.h>
#include <string>

#include "remaining_time.h"

// Control and timer ids
constexpr int IDC_COUNTDOWN_LABEL = 1001;
constexpr UINT_PTR IDT_COUNTDOWN = 105;
constexpr UINT COUNTDOWN_PERIOD_MS = 1000;

// Program-wide state, defined in main.cpp
extern HWND g_hDlg;                 // the countdown window
extern std::wstring g_appDir;       // the program's directory, ending in '\'
extern HWND g_savedFocus;           // focus kept across deactivation
extern CountdownTarget g_target;    // the target moment
extern ATOM g_hotkeyAtom;           // id of the Alt+C hot key
extern int g_visible;               // 1 while shown, 0 while Alt+C hides it

// Builds the countdown window and runs it; returns its end result.
INT_PTR ShowCountdownWindow(HWND parent);

// The countdown window's event callback.
LRESULT CALLBACK CountdownProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
