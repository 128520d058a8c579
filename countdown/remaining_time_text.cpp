// The time left until g_target, as the label shows it, and the completion
// sequence once the target moment has come.
#include "countdown.h"

#include "dialog_layer.h"

namespace {

// Date and time from one reading, so midnight cannot pair one day's time
// with the next day's date.
SYSTEMTIME ReadClock()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    now.wMilliseconds = 0;
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

}  // namespace

std::wstring RemainingTimeText()
{
    const RemainingTime remaining = SplitRemainingTime(ReadClock(), g_target, NULL);
    if (remaining.reached)
        CompleteCountdown(remaining);
    return RemainingTimeLabel(remaining);
}
