// The Windows version test that the process entry runs before the C runtime.
#pragma once

#include <windows.h>

constexpr int EXIT_UNSUPPORTED_WINDOWS = 255;

// True for a GetVersion() value of the NT family (high bit clear).
bool IsNtFamilyVersion(DWORD version);
