#include "PartialFiles.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace {
const wchar_t kPrefix[] = L"~Vantrelle-";
const wchar_t kSuffix[] = L".tmp";
constexpr size_t kPrefixLength = sizeof kPrefix / sizeof kPrefix[0] - 1;
constexpr size_t kDigits = 8;
}  // namespace

std::wstring PartialFileName(uint32_t number) {
    wchar_t name[32];
    swprintf(name, 32, L"%ls%08X%ls", kPrefix, number, kSuffix);
    return name;
}

bool IsPartialFileName(const wchar_t* name) {
    if (wcslen(name) != kPrefixLength + kDigits + wcslen(kSuffix)) return false;
    if (_wcsnicmp(name, kPrefix, kPrefixLength) != 0) return false;
    for (size_t i = kPrefixLength; i < kPrefixLength + kDigits; ++i) {
        if (!iswxdigit(name[i])) return false;
    }
    return _wcsicmp(name + kPrefixLength + kDigits, kSuffix) == 0;
}

int RemovePartialFiles(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + kPrefix + L"*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    do {
        // A link of that name is someone else's: nothing is done through it.
        if (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        if (!IsPartialFileName(entry.cFileName)) continue;
        const std::wstring path = folder + entry.cFileName;
        // Cut off after its stamp, a partial file may already be read-only.
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (DeleteFileW(path.c_str())) ++removed;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return removed;
}

bool WriteWholeFile(const std::wstring& path, const void* data, unsigned long size) {
    const std::wstring partial = path.substr(0, path.find_last_of(L'\\') + 1) +
                                 PartialFileName(GetTickCount() ^ GetCurrentProcessId());
    HANDLE file =
        CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, data, size, &written, nullptr) && written == size;
    DWORD error = whole ? 0 : GetLastError();
    CloseHandle(file);
    if (whole && MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    if (whole) error = GetLastError();
    DeleteFileW(partial.c_str());
    SetLastError(error ? error : ERROR_WRITE_FAULT);
    return false;
}
