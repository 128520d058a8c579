// The Windows version test run before either program's entry.
#pragma once

#include <windows.h>

constexpr int EXIT_UNSUPPORTED_WINDOWS = 255;

// True for a GetVersion() value of the NT family (high bit clear).
bool IsNtFamilyVersion(DWORD version);
