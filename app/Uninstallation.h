#pragma once
// What the installer leaves so that Vantrelle can be removed again: the list of
// the files it wrote, the uninstaller and the Apps & features entry.
#include <windows.h>

#include <string>

#include "Record.h"

// Adds `written` (relative names) to the list in `dir`; false, with GetLastError, when it cannot.
bool AddToRecord(const std::wstring& dir, const FileList& written);
// Writes the uninstaller the installer carries into `dir` as a whole file;
// false, with GetLastError, when it cannot.
bool WriteUninstaller(const std::wstring& dir);
// The Apps & features entry for an installation in `dir`; 0 or the registry's error.
LONG WriteUninstallEntry(const std::wstring& dir);
