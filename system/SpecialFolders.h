#pragma once
#include <string>

// The shell folder's path ending in one backslash, or "" when it does not resolve.
std::wstring GetSpecialFolderPath(int csidl);
// "" stays ""; otherwise ends the text in exactly one added backslash if it had none.
std::wstring AddTrailingBackslash(const wchar_t* text);
