#include "Files.h"

#include <windows.h>

bool FileExists(const wchar_t* path)
{
    if (path == nullptr || path[0] == L'\0')
        return false;
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void DeleteFileForced(const wchar_t* path)
{
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path);
}

bool CreateFolder(const wchar_t* path)
{
    if (CreateDirectoryW(path, nullptr))
        return true;
    return GetLastError() == ERROR_ALREADY_EXISTS;
}
