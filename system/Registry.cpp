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

LONG DeleteRegistryValue(HKEY root, const wchar_t* subKey, const wchar_t* valueName) {
    HKEY key = nullptr;
    LONG result = RegOpenKeyExW(root, subKey, 0, KEY_SET_VALUE, &key);
    if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS) return result;
    result = RegDeleteValueW(key, valueName);
    RegCloseKey(key);
    return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

LONG DeleteRegistryTree(HKEY root, const wchar_t* subKey) {
    const LONG result = RegDeleteTreeW(root, subKey);
    return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

LONG DeleteEmptyRegistryKeys(HKEY root, const std::wstring& subKey, int keep) {
    std::wstring path = subKey;
    for (;;) {
        int depth = 1;
        for (wchar_t c : path) depth += c == L'\\';
        if (depth <= keep) return ERROR_SUCCESS;
        HKEY key = nullptr;
        LONG result = RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key);
        if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
        if (result != ERROR_SUCCESS) return result;
        DWORD keys = 0, values = 0;
        result = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr,
                                  nullptr, nullptr, nullptr);
        RegCloseKey(key);
        if (result != ERROR_SUCCESS) return result;
        if (keys != 0 || values != 0) return ERROR_SUCCESS;
        result = RegDeleteKeyW(root, path.c_str());
        if (result != ERROR_SUCCESS) return result;
        path.erase(path.find_last_of(L'\\') == std::wstring::npos ? 0 : path.find_last_of(L'\\'));
        if (path.empty()) return ERROR_SUCCESS;
    }
}
