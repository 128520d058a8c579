/* A DLL that leaves a mark when a process loads it: an empty file named
   after itself with ".loaded" appended ("uxtheme.dll.loaded" for a copy
   named uxtheme.dll). It exports nothing, so a program that goes on to call
   into it fails; the mark is written first. */
#include <windows.h>

static void LeaveMark(HINSTANCE instance)
{
    static const wchar_t SUFFIX[] = L".loaded";
    wchar_t path[MAX_PATH + ARRAYSIZE(SUFFIX)];
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        HANDLE mark;
        lstrcpyW(path + length, SUFFIX);
        mark = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (mark != INVALID_HANDLE_VALUE)
            CloseHandle(mark);
    }
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMark(instance);
    return TRUE;
}
