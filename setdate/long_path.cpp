// Paths longer than MAX_PATH for the wide file functions.
#include "long_path.h"

#include <windows.h>

std::wstring ExtendedLengthPath(const std::wstring& path)
{
    if (path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0)
        return path;
    const bool drivePath = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    if (drivePath)
        return L"\\\\?\\" + path;
    if (path.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    return path;
}
