#include "SpecialFolders.h"

#include <windows.h>
#include <shlobj.h>

std::wstring GetSpecialFolderPath(int csidl) {
    wchar_t path[MAX_PATH];
    path[0] = L'\0';
    PIDLIST_ABSOLUTE items = nullptr;
    SHGetSpecialFolderLocation(nullptr, csidl, &items);
    // No item list means nothing resolved: the path stays empty either way.
    if (items != nullptr) {
        // Writes at most MAX_PATH units, the size of path.
        SHGetPathFromIDListW(items, path);
        CoTaskMemFree(items);
    }
    path[MAX_PATH - 1] = L'\0';
    return AddTrailingBackslash(path);
}

std::wstring AddTrailingBackslash(const wchar_t* text) {
    std::wstring result = text != nullptr ? text : L"";
    if (!result.empty() && result.back() != L'\\') result += L'\\';
    return result;
}
