#include "Links.h"

#include <windows.h>

#include <cwchar>

const wchar_t kLinkRefusedText[] =
    L"This is a link to another place, and the installer does not work through links in the folders it "
    L"installs into.\nPlease remove the link, then run the installer again.";

namespace {

bool IsLink(DWORD attributes, DWORD reparseTag) {
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || IsReparseTagNameSurrogate(reparseTag);
}

// A file's reparse tag comes only with its directory entry.
bool IsLinkAt(const wchar_t* path, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT) || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return IsLink(attributes, 0);
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(path, &entry);
    // Unreadable: it cannot be told from a symbolic link, so it counts as one.
    if (find == INVALID_HANDLE_VALUE) return true;
    FindClose(find);
    return IsLink(entry.dwFileAttributes, entry.dwReserved0);
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

size_t LinkOnPath(const wchar_t* base, const wchar_t* path) {
    const size_t baseLength = wcslen(base);
    const size_t length = wcslen(path);
    // A path outside the base has no part that may be followed: refused whole.
    if (length < baseLength || wcsncmp(path, base, baseLength) != 0) return length ? length : 1;
    std::wstring part(path, length);
    for (size_t end = baseLength; end <= length; ++end) {
        if (end < length && !IsSeparator(part[end])) continue;
        if (end == 0 || IsSeparator(part[end - 1])) continue;  // an empty part
        part[end] = 0;
        const DWORD attributes = GetFileAttributesW(part.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
        if (IsLinkAt(part.c_str(), attributes)) return end;
        if (end < length) part[end] = path[end];
    }
    return 0;
}

std::wstring FindLinkInTree(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return {};
    if (IsLinkAt(folder.c_str(), attributes)) return folder;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return {};
    std::wstring found;
    do {
        if (wcscmp(entry.cFileName, L".") == 0 || wcscmp(entry.cFileName, L"..") == 0) continue;
        const std::wstring path = folder + L"\\" + entry.cFileName;
        if (IsLink(entry.dwFileAttributes, entry.dwReserved0))
            found = path;
        else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            found = FindLinkInTree(path);
    } while (found.empty() && FindNextFileW(find, &entry));
    FindClose(find);
    return found;
}
