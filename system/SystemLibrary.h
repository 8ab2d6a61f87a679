#pragma once
// Loading a system DLL by its full path in the system directory, never by a
// search that could find a file of the same name elsewhere (the program's own
// folder, say). At 32 bits on 64-bit Windows the system directory maps to the
// 32-bit one. The DLL's own imports are looked up from there too.
#include <windows.h>

// Null when it cannot be loaded; GetLastError tells why.
HMODULE LoadSystemLibrary(const wchar_t* name);
