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

// Creates a hidden top-level dialog window; x, y place its outer corner and
// cx, cy size its client area, in dialog units of 8-point "MS Sans Serif".
// style 0 means WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT |
// DS_NOFAILCREATE | DS_3DLOOK; DS_SETFONT, DS_NOFAILCREATE and DS_3DLOOK are
// always added, WS_VISIBLE and DS_SYSMODAL always removed.
HWND CreateDialogWindow(HWND owner, const wchar_t* caption, short x, short y,
                        short cx, short cy, DWORD style, DWORD exStyle);

// Loads icon resource `name` (MAKEINTRESOURCEW(id), or "#200" for id 200)
// as the big (32x32) and small (16x16) icon. The layer owns and destroys
// the icons.
void SetDialogIcon(HWND window, const wchar_t* name);

// Adds a label (style 0 = WS_CHILD | WS_VISIBLE | SS_LEFT) or a button
// (style 0 = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON), both always
// WS_CHILD | WS_VISIBLE, or a control of a named class (style used as
// given). Call order is tab order.
void AddControl(ControlKind kind, HWND parent, int id, const wchar_t* text,
                short x, short y, short cx, short cy, DWORD style, DWORD exStyle);
void AddControl(const wchar_t* className, HWND parent, int id, const wchar_t* text,
                short x, short y, short cx, short cy, DWORD style, DWORD exStyle);

// Paints control `id` in textColor on a solid background brush; brushes of
// equal colour are shared and freed with the window.
void SetControlColors(HWND window, int id, COLORREF textColor, COLORREF backColor);

// Initializes the window through the callback, shows it and polls messages
// until it is destroyed. Returns the result given to EndDialogWindow, or 0.
INT_PTR ShowDialogModal(HWND window, DialogCallback callback);

// Ends the window: WM_CLOSE, then DestroyWindow, before returning.
void EndDialogWindow(HWND window, INT_PTR result);

// ShowWindow plus a full redraw once the window is shown; before that,
// only the show state the modal display will use changes.
void SetDialogShowState(HWND window, int command);

// A message box with no owner window.
int ShowMessageBox(const wchar_t* text, const wchar_t* title, UINT style);

// Height of a font of `points` at `dpi`: -(dpi * points) / 72, truncated.
int FontHeightForDpi(int dpi, int points);

// "MS Sans Serif" at `points` for the screen's LOGPIXELSY; the caller owns it.
HFONT CreateControlFont(int points, LONG weight, BYTE underline);
