#pragma once
// A file being installed is written under a partial name in its own folder and
// renamed over its real name only once it is whole, so a run cut off at any
// moment (power loss, Task Manager) leaves no damaged file under a real name.
// What such a run leaves is a partial file, "~Vantrelle-XXXXXXXX.tmp" (eight
// hexadecimal digits), which the next run removes.
#include <cstdint>
#include <string>

std::wstring PartialFileName(uint32_t number);
// Exactly the shape PartialFileName makes, in either case; nothing else.
bool IsPartialFileName(const wchar_t* name);
// Deletes the partial files directly in `folder` (a path ending in a backslash),
// never a link of that name; returns how many went.
int RemovePartialFiles(const std::wstring& folder);
// Writes `path` whole: under a partial name beside it, renamed into place once
// written. False, with GetLastError, when it cannot; the old file then stays.
bool WriteWholeFile(const std::wstring& path, const void* data, unsigned long size);
