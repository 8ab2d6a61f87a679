#pragma once

// True only for an existing entry that is not a directory; null or empty gives false.
bool FileExists(const wchar_t* path);
// Clears read-only/hidden/system marks, then deletes; reports nothing.
void DeleteFileForced(const wchar_t* path);
// True when the folder was created or already existed; only the last component is made.
bool CreateFolder(const wchar_t* path);
// Whether `path` could be deleted now, found out without deleting it: false when
// a program holds it open without letting it go, or runs from it. A missing
// file gives true.
bool CanDeleteFile(const wchar_t* path);
