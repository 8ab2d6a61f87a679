#pragma once
#include <windows.h>

// Registry results: 0 for success, otherwise the failing call's error code.

// value is set to 0 first; a stored value longer than 4 bytes gives ERROR_MORE_DATA.
LONG ReadRegistryDword(HKEY root, const wchar_t* subKey, const wchar_t* valueName, DWORD& value);
// Creates every missing key along subKey.
LONG WriteRegistryValue(HKEY root, const wchar_t* subKey, const wchar_t* valueName, BYTE type,
                        const BYTE* data, DWORD size);
LONG WriteRegistryDword(HKEY root, const wchar_t* subKey, const wchar_t* valueName, DWORD value);
