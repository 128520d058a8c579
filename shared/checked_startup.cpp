// Process entry of both programs: the version test, then the C runtime's
// start-up, which runs WinMain.
#include "startup_check.h"

extern "C" int WinMainCRTStartup(void);

extern "C" int CheckedStartup(void)
{
    if (!IsNtFamilyVersion(GetVersion())) {
        MessageBoxW(NULL, L"Win98 No Support", L"", MB_SETFOREGROUND | MB_TASKMODAL);
        ExitProcess(EXIT_UNSUPPORTED_WINDOWS);
    }
    return WinMainCRTStartup();
}
