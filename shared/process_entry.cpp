// Process entry of both programs: the version test, then the C runtime's
// start-up, which runs WinMain. A Windows 9x loader already refuses these
// programs for their imports before any entry runs; the test stays so that
// the refusal, wherever it does run, says why.
#include "nt_version.h"

extern "C" int WinMainCRTStartup(void);

extern "C" int CheckedStartup(void)
{
    if (!IsNtFamilyVersion(GetVersion())) {
        MessageBoxW(NULL, L"Win98 No Support", L"", MB_SETFOREGROUND | MB_TASKMODAL);
        ExitProcess(EXIT_UNSUPPORTED_WINDOWS);
    }
    return WinMainCRTStartup();
}
