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

bool CanDeleteFile(const wchar_t* path) {
    HANDLE file = CreateFileW(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_SHARING_VIOLATION;
    // A running program's file opens for deletion but refuses it; the mark is
    // taken back at once. A read-only file refuses it too, and is no such file.
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        CloseHandle(file);
        return true;
    }
    FILE_DISPOSITION_INFO mark{TRUE};
    const bool deletable = SetFileInformationByHandle(file, FileDispositionInfo, &mark, sizeof mark) != 0;
    if (deletable) {
        mark.DeleteFile = FALSE;
        SetFileInformationByHandle(file, FileDispositionInfo, &mark, sizeof mark);
    }
    CloseHandle(file);
    return deletable;
}
