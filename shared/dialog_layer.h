// The dialog layer: one window from an in-memory dialog template, its child
// controls, colours and icon, run modally with one event callback.
#pragma once

#include <windows.h>

// A window callback has the shape of a window procedure; returning 0 lets
// the layer's default processing follow.
typedef LRESULT (CALLBACK *DialogCallback)(HWND, UINT, WPARAM, LPARAM);

enum ControlKind {
    CONTROL_LABEL,   // STATIC
    CONTROL_BUTTON   // BUTTON
};

constexpr DWORD DIALOG_DEFAULT_STYLE = 0x80C000D4;  // WS_POPUP|WS_CAPTION|DS_MODALFRAME|DS_SETFONT|DS_NOFAILCREATE|DS_3DLOOK
constexpr DWORD DIALOG_ADDED_STYLE = 0x00000054;    // DS_SETFONT|DS_NOFAILCREATE|DS_3DLOOK
constexpr DWORD DIALOG_REMOVED_STYLE = 0x10000002;  // WS_VISIBLE|DS_SYSMODAL
constexpr DWORD LABEL_DEFAULT_STYLE = 0x50000000;   // WS_CHILD|WS_VISIBLE|SS_LEFT
constexpr DWORD BUTTON_DEFAULT_STYLE = 0x50010000;  // WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_PUSHBUTTON
constexpr DWORD CONTROL_ADDED_STYLE = 0x50000000;   // WS_CHILD|WS_VISIBLE
constexpr UINT FULL_REDRAW = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW;

// Creates a hidden top-level dialog window; x, y place its outer corner and
// cx, cy size its client area, in dialog units of 8-point "MS Sans Serif".
// style 0 means DIALOG_DEFAULT_STYLE.
HWND CreateDialogWindow(HWND owner, const wchar_t* caption, short x, short y,
                        short cx, short cy, DWORD style, DWORD exStyle);

// Loads icon resource `name` ("#200" names id 200) as the big (32x32) and
// small (16x16) icon. The layer owns and destroys the icons.
void SetDialogIcon(HWND window, const wchar_t* name);

// Adds a label or button (style 0 = the kind's default) or a control of a
// named class (style used as given). Call order is tab order.
void AddControl(ControlKind kind, HWND parent, int id, const wchar_t* text,
                short x, short y, short cx, short cy, DWORD style, DWORD exStyle);
void AddControl(const wchar_t* className, HWND parent, int id, const wchar_t* text,
                short x, short y, short cx, short cy, DWORD style, DWORD exStyle);

// Paints control `id` in textColor on a solid background brush; brushes of
// equal colour are shared and freed with the window.
void SetControlColors(HWND window, int id, COLORREF textColor, COLORREF backColor);

// Initialises the window through the callback, shows it and polls messages
// until it is destroyed. Returns the result given to EndDialogWindow, or 0.
INT_PTR ShowDialogModal(HWND window, DialogCallback callback);

// Ends the window: WM_CLOSE, then DestroyWindow, before returning.
void EndDialogWindow(HWND window, INT_PTR result);

// ShowWindow plus a full redraw once the window is shown; before that,
// only the show state the modal display will use changes.
void SetDialogShowState(HWND window, int command);

// A message box with no owner window.
int ShowMessageBox(const wchar_t* text, const wchar_t* title, UINT style);

// The dialog procedure of every layer window.
INT_PTR CALLBACK DialogLayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Height of a font of `points` at `dpi`: -(dpi * points) / 72, truncated.
int FontHeightForDpi(int dpi, int points);

// "MS Sans Serif" at `points` for the screen's LOGPIXELSY; the caller owns it.
HFONT CreateControlFont(int points, LONG weight, BYTE underline);

// The active layer window, as noted from WM_ACTIVATE (NULL when none).
HWND ActiveDialogWindow();
