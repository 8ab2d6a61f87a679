#pragma once
// A file being installed is written under a partial name in its own folder and
// renamed over its real name only once it is whole, so a run cut off at any
// moment (power loss, Task Manager) leaves no damaged file under a real name.
// What such a run leaves is a partial file, "~Vantrelle-XXXXXXXX.tmp" (eight
// hexadecimal digits), which the next run removes. An update moves each file it
// replaces aside first, to "~Vantrelle-XXXXXXXX.old" in the same folder, until
// the whole update is in place (Staging.h).
#include <cstdint>
#include <string>

std::wstring PartialFileName(uint32_t number);
std::wstring AsideFileName(uint32_t number);
// Exactly the shape PartialFileName makes, in either case; nothing else.
bool IsPartialFileName(const wchar_t* name);
// Exactly the shape AsideFileName makes.
bool IsAsideFileName(const wchar_t* name);
// Deletes the partial and moved-aside files directly in `folder` (a path ending
// in a backslash), a read-only one too, never a link of that name; returns how
// many went.
int RemovePartialFiles(const std::wstring& folder);
// Deletes a file the installers wrote, a read-only one too; false, with
// GetLastError, when it cannot.
bool DeleteOwnFile(const std::wstring& path);
// Writes `data` whole under a new partial name beside `path`, which it returns
// in `partial`; false, with GetLastError, when it cannot (nothing is left then).
bool WritePartialFile(const std::wstring& path, const void* data, unsigned long size, std::wstring& partial);
// Writes `path` whole: under a partial name beside it, renamed into place once
// written. False, with GetLastError, when it cannot; the old file then stays.
bool WriteWholeFile(const std::wstring& path, const void* data, unsigned long size);
