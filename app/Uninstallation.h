#pragma once
// What the installer leaves so that Vantrelle can be removed again: the list of
// the files it wrote, the uninstaller and the Apps & features entry.
#include <windows.h>

#include <string>

#include "Record.h"
#include "Staging.h"

// Stages the list in `dir` with `written` (relative names) added to what it
// lists; false, with GetLastError, when it cannot.
bool StageRecord(CStaging& staging, const std::wstring& dir, const FileList& written);
// Stages the uninstaller the installer carries, for `dir`; false, with
// GetLastError, when it cannot.
bool StageUninstaller(CStaging& staging, const std::wstring& dir);
// The size of the uninstaller the installer carries, in bytes.
unsigned long UninstallerSize();
// The Apps & features entry for an installation in `dir`; 0 or the registry's error.
LONG WriteUninstallEntry(const std::wstring& dir);
