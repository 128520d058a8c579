// The time left until g_target, as the label shows it, and the completion
// sequence once the target moment has come.
#include "countdown.h"

#include "dialog_layer.h"

namespace {

// Time of day from a first clock reading, the date from a second one.
SYSTEMTIME ReadClock()
{
    SYSTEMTIME timeReading;
    GetLocalTime(&timeReading);
    SYSTEMTIME now;
    GetLocalTime(&now);
    now.wHour = timeReading.wHour;
    now.wMinute = timeReading.wMinute;
    now.wSecond = timeReading.wSecond;
    now.wMilliseconds = 0;
    return now;
}

// Final label, timer stopped, message, target file removed, window ended.
void CompleteCountdown(const RemainingTime& remaining)
{
    SetWindowTextW(GetDlgItem(g_hDlg, IDC_COUNTDOWN_LABEL), CompletionLabel(remaining).c_str());
    KillTimer(g_hDlg, IDT_COUNTDOWN);
    ShowMessageBox(COMPLETION_TEXT, MESSAGE_TITLE, MB_OK);
    RemoveTargetFile(TargetFilePath(g_appDir));
    EndCountdown();
}

}  // namespace

std::wstring RemainingTimeText()
{
    const RemainingTime remaining = SplitRemainingTime(ReadClock(), g_target);
    if (remaining.reached)
        CompleteCountdown(remaining);
    return RemainingTimeLabel(remaining);
}
