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

// User texts
constexpr wchar_t MESSAGE_TITLE[] = L"Programador ...";
constexpr wchar_t COMPLETION_TEXT[] = L"Enhorabuena ya hemos llegado a la fecha deseada ...";
constexpr wchar_t UNREADABLE_TEXT[] =
    L"No se pudo leer el fichero diminuto.log; puede que otro programa lo este usando ...";
constexpr wchar_t NO_TARGET_TEXT[] =
    L"El fichero diminuto.log no guarda ninguna fecha valida; elija una con setdate ...";

// Program-wide state, defined in main.cpp
extern HWND g_hDlg;                 // the countdown window
extern std::wstring g_appDir;       // the program's directory, ending in '\'
extern HWND g_savedFocus;           // focus kept across deactivation
extern CountdownTarget g_target;    // the target moment
extern TargetRecord g_loadedRecord; // the record it was loaded from
extern ATOM g_hotkeyAtom;           // id of the Alt+C hot key
extern int g_visible;               // 1 while shown, 0 while Alt+C hides it

// Builds the countdown window and runs it; returns its end result.
INT_PTR ShowCountdownWindow(HWND parent);

// The countdown window's event callback.
LRESULT CALLBACK CountdownProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Unregisters Alt+C and deletes its atom; does nothing the second time.
void ReleaseHotkey();

// Releases the hot key and ends the countdown window with result 0.
void EndCountdown();

// The label text for the time left until g_target ("3d 4h 12m 37s "). When
// the target moment has come, first runs the completion sequence, which ends
// the window; the text then goes nowhere.
std::wstring RemainingTimeText();
