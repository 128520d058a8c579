#include "nt_version.h"

bool IsNtFamilyVersion(DWORD version)
{
    return (version & 0x80000000u) == 0;
}
