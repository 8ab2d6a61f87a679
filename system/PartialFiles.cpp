#include "PartialFiles.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace {
const wchar_t kPrefix[] = L"~Vantrelle-";
const wchar_t kPartialSuffix[] = L".tmp";
const wchar_t kAsideSuffix[] = L".old";
constexpr size_t kPrefixLength = sizeof kPrefix / sizeof kPrefix[0] - 1;
constexpr size_t kDigits = 8;

std::wstring NumberedName(uint32_t number, const wchar_t* suffix) {
    wchar_t name[32];
    swprintf(name, 32, L"%ls%08X%ls", kPrefix, number, suffix);
    return name;
}

bool IsNumberedName(const wchar_t* name, const wchar_t* suffix) {
    if (wcslen(name) != kPrefixLength + kDigits + wcslen(suffix)) return false;
    if (_wcsnicmp(name, kPrefix, kPrefixLength) != 0) return false;
    for (size_t i = kPrefixLength; i < kPrefixLength + kDigits; ++i) {
        if (!iswxdigit(name[i])) return false;
    }
    return _wcsicmp(name + kPrefixLength + kDigits, suffix) == 0;
}
}  // namespace

std::wstring PartialFileName(uint32_t number) { return NumberedName(number, kPartialSuffix); }
std::wstring AsideFileName(uint32_t number) { return NumberedName(number, kAsideSuffix); }
bool IsPartialFileName(const wchar_t* name) { return IsNumberedName(name, kPartialSuffix); }
bool IsAsideFileName(const wchar_t* name) { return IsNumberedName(name, kAsideSuffix); }

bool DeleteOwnFile(const std::wstring& path) {
    if (DeleteFileW(path.c_str())) return true;
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (error != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES ||
        !(attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(error);
        return false;
    }
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileW(path.c_str()) != 0;
}

int RemovePartialFiles(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + kPrefix + L"*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    do {
        // A link of that name is someone else's: nothing is done through it.
        if (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        if (!IsPartialFileName(entry.cFileName) && !IsAsideFileName(entry.cFileName)) continue;
        // Cut off after its stamp, a partial file may already be read-only.
        if (DeleteOwnFile(folder + entry.cFileName)) ++removed;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return removed;
}

bool WritePartialFile(const std::wstring& path, const void* data, unsigned long size, std::wstring& partial) {
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
    static uint32_t number = GetTickCount() ^ GetCurrentProcessId();
    HANDLE file = INVALID_HANDLE_VALUE;
    // Made only if new: whatever someone put under such a name is never opened.
    for (int tries = 0; tries < 64 && file == INVALID_HANDLE_VALUE; ++tries) {
        partial = folder + PartialFileName(number++);
        file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, data, size, &written, nullptr) && written == size;
    const DWORD error = whole ? 0 : GetLastError();
    CloseHandle(file);
    if (whole) return true;
    DeleteFileW(partial.c_str());
    SetLastError(error ? error : ERROR_WRITE_FAULT);
    return false;
}

bool WriteWholeFile(const std::wstring& path, const void* data, unsigned long size) {
    std::wstring partial;
    if (!WritePartialFile(path, data, size, partial)) return false;
    if (MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    const DWORD error = GetLastError();
    DeleteFileW(partial.c_str());
    SetLastError(error);
    return false;
}
