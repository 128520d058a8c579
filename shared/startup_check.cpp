#include "startup_check.h"

bool IsNtFamilyVersion(DWORD version)
{
    return (version & 0x80000000u) == 0;
}
