#pragma once
#include <windows.h>

#include <string>

// Registry results: 0 for success, otherwise the failing call's error code.

// value is set to 0 first; a stored value longer than 4 bytes gives ERROR_MORE_DATA.
LONG ReadRegistryDword(HKEY root, const wchar_t* subKey, const wchar_t* valueName, DWORD& value);
// Creates every missing key along subKey.
LONG WriteRegistryValue(HKEY root, const wchar_t* subKey, const wchar_t* valueName, BYTE type,
                        const BYTE* data, DWORD size);
LONG WriteRegistryDword(HKEY root, const wchar_t* subKey, const wchar_t* valueName, DWORD value);

// Deletes a value; a missing key or value is no error.
LONG DeleteRegistryValue(HKEY root, const wchar_t* subKey, const wchar_t* valueName);
// Deletes the key with everything in it; a missing key is no error.
LONG DeleteRegistryTree(HKEY root, const wchar_t* subKey);
// Deletes the key when it holds neither values nor keys, then its parent in the
// same way, and so on; the first `keep` levels of the path always stay. 0 also
// when a key is missing, or stays because it is not empty.
LONG DeleteEmptyRegistryKeys(HKEY root, const std::wstring& subKey, int keep);
