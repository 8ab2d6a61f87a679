#include "Registry.h"

LONG ReadRegistryDword(HKEY root, const wchar_t* subKey, const wchar_t* valueName, DWORD& value) {
    value = 0;
    HKEY key = nullptr;
    LONG result = RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE, &key);
    if (result != ERROR_SUCCESS) return result;
    DWORD type = 0;
    DWORD size = sizeof(DWORD);
    result = RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return result;
}

LONG WriteRegistryValue(HKEY root, const wchar_t* subKey, const wchar_t* valueName, BYTE type,
                        const BYTE* data, DWORD size) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG result = RegCreateKeyExW(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                                  &key, &disposition);
    if (result != ERROR_SUCCESS) return result;
    result = RegSetValueExW(key, valueName, 0, type, data, size);
    RegCloseKey(key);
    return result;
}

LONG WriteRegistryDword(HKEY root, const wchar_t* subKey, const wchar_t* valueName, DWORD value) {
    return WriteRegistryValue(root, subKey, valueName, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                              sizeof(DWORD));
}
