// Paths longer than MAX_PATH for the wide file functions.
#pragma once

#include <string>

// The "\\?\" form of an absolute path of MAX_PATH characters or more
// ("C:\..." -> "\\?\C:\...", "\\server\share\..." -> "\\?\UNC\server\share\..."),
// so that the file functions take it whatever its length. Shorter paths,
// relative paths and paths already in that form come back unchanged.
std::wstring ExtendedLengthPath(const std::wstring& path);
