// Process entry of both programs: the DLL search limited to the system
// folder, the version test, then the C runtime's start-up, which runs
// WinMain. A Windows 9x loader already refuses these programs for their
// imports before any entry runs; the test stays so that the refusal,
// wherever it does run, says why.
#include "nt_version.h"
#include "system_function.h"

extern "C" int WinMainCRTStartup(void);

namespace {

typedef BOOL (WINAPI *SetDefaultDllDirectoriesProc)(DWORD);

// DLLs loaded from here on come from the system folder only, never from
// the program's folder (a download folder may hold anything) or the
// current one. SetDefaultDllDirectories is missing on Vista and 7 without
// their update; SetDllDirectoryW(L"") then at least takes out the current
// folder. DLLs named by the manifest still come from WinSxS.
void LimitDllSearchToSystem()
{
    const SetDefaultDllDirectoriesProc setDefault = SystemFunction<SetDefaultDllDirectoriesProc>(
        GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefault != NULL)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    else
        SetDllDirectoryW(L"");
}

}  // namespace

extern "C" int CheckedStartup(void)
{
    LimitDllSearchToSystem();
    if (!IsNtFamilyVersion(GetVersion())) {
        MessageBoxW(NULL, L"Win98 No Support", L"", MB_SETFOREGROUND | MB_TASKMODAL);
        ExitProcess(EXIT_UNSUPPORTED_WINDOWS);
    }
    return WinMainCRTStartup();
}
