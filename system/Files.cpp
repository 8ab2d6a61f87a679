#include "Files.h"

#include <windows.h>

bool FileExists(const wchar_t* path) {
    if (path == nullptr || path[0] == L'\0') return false;
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void DeleteFileForced(const wchar_t* path) {
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path);
}

bool CreateFolder(const wchar_t* path) {
    if (CreateDirectoryW(path, nullptr)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    // CreateDirectoryW says "already exists" for a file of that name too; only an
    // existing folder is one the caller can go on with.
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
