// The floor of the benchmarks: the least a Win32 program with one window
// costs. One empty dialog from an in-memory template, shown at the screen's
// top-left. Without arguments it waits in GetMessage; with "poll" it runs a
// PeekMessage/SleepEx(1, TRUE) loop, the loop the programs themselves use.
#include <windows.h>

#include <cstddef>
#include <cwchar>

namespace {

const wchar_t FLOOR_CAPTION[] = L"Floor dialog";
const wchar_t FLOOR_FONT[] = L"MS Sans Serif";

// A DLGTEMPLATE with no menu, default class, caption and DS_SETFONT font,
// laid out as the system expects (WORD-aligned strings, no controls).
struct FloorTemplate {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    wchar_t caption[ARRAYSIZE(FLOOR_CAPTION)];
    WORD pointSize;
    wchar_t font[ARRAYSIZE(FLOOR_FONT)];
};
static_assert(offsetof(FloorTemplate, menu) == 18, "DLGTEMPLATE is 18 bytes, WORD-packed");

INT_PTR CALLBACK FloorProc(HWND window, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE) {
        DestroyWindow(window);
        return TRUE;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

HWND CreateFloorDialog()
{
    alignas(4) static FloorTemplate dialog = {};
    dialog.header.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
    dialog.header.cx = 205;
    dialog.header.cy = 15;
    dialog.menu = 0;         // no menu
    dialog.windowClass = 0;  // the dialog class
    wcscpy(dialog.caption, FLOOR_CAPTION);
    dialog.pointSize = 8;
    wcscpy(dialog.font, FLOOR_FONT);
    return CreateDialogIndirectParamW(GetModuleHandleW(NULL), &dialog.header, NULL, FloorProc, 0);
}

// Blocks in GetMessage between messages.
void RunWaitingLoop(HWND window)
{
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// Polls for messages, sleeping 1 ms whenever the queue is empty.
void RunPollingLoop(HWND window)
{
    MSG message;
    while (IsWindow(window)) {
        if (!PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
            SleepEx(1, TRUE);
            continue;
        }
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const bool polling = wcsstr(GetCommandLineW(), L" poll") != NULL;
    HWND window = CreateFloorDialog();
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOW);
    if (polling)
        RunPollingLoop(window);
    else
        RunWaitingLoop(window);
    return 0;
}
