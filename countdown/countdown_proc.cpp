// CountdownProc: the countdown window's events (initialisation with the
// target file, timer, hot key, click, focus, clean-up).
#include "countdown.h"

#include "dialog_layer.h"

namespace {

constexpr UINT HOTKEY_KEY_C = 0x43;

// Alt+C, its id a global atom named after the time of day.
void RegisterCountdownHotkey(HWND window)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    g_hotkeyAtom = GlobalAddAtomA(HotkeyAtomName(now).c_str());
    RegisterHotKey(window, g_hotkeyAtom, MOD_ALT, HOTKEY_KEY_C);
}

// Tells the user why there is nothing to count, then ends unseen.
void EndWithMessage(const wchar_t* text)
{
    ShowMessageBox(text, MESSAGE_TITLE, MB_OK);
    EndCountdown();
}

// Fills g_target from the target file. Without a usable target the window
// is ended (silently when there is no file) and false comes back; the file
// is left as it is.
bool LoadCountdownTarget()
{
    const std::wstring path = TargetFilePath(g_appDir);
    TargetRecord record = {};
    const LoadStatus status = FileExists(path) ? LoadTargetRecord(path, &record) : LOAD_MISSING;
    if (status == LOAD_OK) {
        g_loadedRecord = record;
        g_target = CountdownTargetFromRecord(record);
        return true;
    }
    if (status == LOAD_UNREADABLE)
        EndWithMessage(UNREADABLE_TEXT);
    else if (status == LOAD_NO_TARGET)
        EndWithMessage(NO_TARGET_TEXT);
    else
        EndCountdown();
    return false;
}

// Runs while the window is still hidden; may end it before it is shown.
void InitialiseCountdown(HWND window)
{
    RegisterCountdownHotkey(window);
    g_visible = 1;
    g_appDir = ProgramDirectory();
    if (!LoadCountdownTarget())
        return;
    SetWindowTextW(g_hDlg, CountdownCaption(g_target).c_str());
    RemainingTimeText();  // a target already reached completes here
    if (IsWindow(g_hDlg))
        SetTimer(g_hDlg, IDT_COUNTDOWN, COUNTDOWN_PERIOD_MS, NULL);
}

// Keeps the focused control across deactivation and gives it back.
void KeepFocus(bool activating)
{
    if (!activating) {
        g_savedFocus = GetFocus();
    } else if (g_savedFocus) {
        SetFocus(g_savedFocus);
        g_savedFocus = NULL;
    }
}

void RefreshLabel()
{
    const std::wstring text = RemainingTimeText();
    if (IsWindow(g_hDlg))  // gone after the completion sequence
        SetWindowTextW(GetDlgItem(g_hDlg, IDC_COUNTDOWN_LABEL), text.c_str());
}

void ToggleVisible()
{
    SetDialogShowState(g_hDlg, g_visible ? SW_HIDE : SW_SHOW);
    g_visible = !g_visible;
}

void ReleaseTimerAndHotkey()
{
    KillTimer(g_hDlg, IDT_COUNTDOWN);
    ReleaseHotkey();
}

}  // namespace

// Idempotent: g_hotkeyAtom is 0 once released.
void ReleaseHotkey()
{
    if (!g_hotkeyAtom)
        return;
    UnregisterHotKey(g_hDlg, g_hotkeyAtom);
    GlobalDeleteAtom(g_hotkeyAtom);
    g_hotkeyAtom = 0;
}

// A window ended during initialisation never sees WM_DESTROY, so the hot key
// is given back here first.
void EndCountdown()
{
    ReleaseHotkey();
    EndDialogWindow(g_hDlg, 0);
}

LRESULT CALLBACK CountdownProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        InitialiseCountdown(window);
    else if (message == WM_NCACTIVATE)
        KeepFocus(wParam != 0);
    else if (message == WM_COMMAND && LOWORD(wParam) == IDC_COUNTDOWN_LABEL)
        EndDialogWindow(window, 0);
    else if (message == WM_TIMER && wParam == IDT_COUNTDOWN)
        RefreshLabel();
    else if (message == WM_HOTKEY && wParam == g_hotkeyAtom)
        ToggleVisible();
    else if (message == WM_DESTROY)
        ReleaseTimerAndHotkey();
    return 0;
}
