// System functions looked up by name: a program then imports nothing a
// Windows version may lack, and still starts where a function is missing.
#pragma once

#include <windows.h>

// `name` in `module` as a pointer of type Function; NULL where the module
// or the function is missing. The cast goes through void(*)(void), the one
// cast that names no function type.
template <typename Function>
Function SystemFunction(HMODULE module, const char* name)
{
    const FARPROC entry = module != NULL ? GetProcAddress(module, name) : NULL;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(entry));
}
