// CountdownProc: the countdown window's events (initialization with the
// target file, timer, hot key, click, focus, clean-up), the time left that
// the label shows, and the completion sequence.
#include "countdown.h"

#include <string>

#include "dialog_layer.h"
#include "remaining_time.h"

namespace {

constexpr UINT_PTR IDT_COUNTDOWN = 105;
constexpr UINT COUNTDOWN_PERIOD_MS = 1000;
constexpr UINT HOTKEY_KEY = 'C';  // with MOD_ALT

const wchar_t MESSAGE_TITLE[] = L"Programador ...";
const wchar_t COMPLETION_TEXT[] = L"Enhorabuena ya hemos llegado a la fecha deseada ...";
const wchar_t UNREADABLE_TEXT[] =
    L"No se pudo leer el fichero diminuto.log; puede que otro programa lo este usando ...";
const wchar_t NO_TARGET_TEXT[] =
    L"El fichero diminuto.log no guarda ninguna fecha valida; elija una con setdate ...";

std::wstring g_appDir;          // the program's directory, ending in '\'
HWND g_savedFocus = NULL;       // focus kept across deactivation
CountdownTarget g_target = {};  // the target moment
TargetRecord g_loadedRecord = {};  // the record it was loaded from
ATOM g_hotkeyAtom = 0;          // id of the Alt+C hot key
int g_visible = 0;              // 1 while shown, 0 while Alt+C hides it

// Alt+C, its id a global atom named after the time of day.
void RegisterCountdownHotkey(HWND window)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    g_hotkeyAtom = GlobalAddAtomA(HotkeyAtomName(now).c_str());
    RegisterHotKey(window, g_hotkeyAtom, MOD_ALT, HOTKEY_KEY);
}

// Idempotent: g_hotkeyAtom is 0 once released.
void ReleaseHotkey()
{
    if (!g_hotkeyAtom)
        return;
    UnregisterHotKey(g_hDlg, g_hotkeyAtom);
    GlobalDeleteAtom(g_hotkeyAtom);
    g_hotkeyAtom = 0;
}

// A window ended during initialization never sees WM_DESTROY, so the hot
// key is given back here first.
void EndCountdown()
{
    ReleaseHotkey();
    EndDialogWindow(g_hDlg, 0);
}

// One reading of the clock, in UTC, per tick: the local date and time are
// derived from it, so midnight cannot pair one day's time with the next
// day's date, and an hour the clock repeats is not ambiguous.
FILETIME ReadClock()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return now;
}

// Final label, timer stopped, message, target file removed (unless it now
// holds another target, stored meanwhile), window ended.
void CompleteCountdown(const RemainingTime& remaining)
{
    SetWindowTextW(GetDlgItem(g_hDlg, IDC_COUNTDOWN_LABEL), CompletionLabel(remaining).c_str());
    KillTimer(g_hDlg, IDT_COUNTDOWN);
    ShowMessageBox(COMPLETION_TEXT, MESSAGE_TITLE, MB_OK);
    RemoveTargetFileHolding(TargetFilePath(g_appDir), g_loadedRecord);
    EndCountdown();
}

// The label text for the time left until g_target ("3d 4h 12m 37s "). When
// the target moment has come, first runs the completion sequence, which
// ends the window; the text then goes nowhere.
std::wstring RemainingTimeText()
{
    const RemainingTime remaining = SplitRemainingTime(ReadClock(), g_target, NULL);
    if (remaining.reached)
        CompleteCountdown(remaining);
    return RemainingTimeLabel(remaining);
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
void InitializeCountdown(HWND window)
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

LRESULT CALLBACK CountdownProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        InitializeCountdown(window);
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
