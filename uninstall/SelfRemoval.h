#pragma once
// A running program cannot delete its own file. So the uninstaller leaves a
// copy of itself in a folder of its own under the Windows folder's Temp, which
// only administrators may write (so nobody can plant a DLL beside it), and
// starts it; the copy waits for the uninstaller to end, deletes its file and
// the install directory if that is then empty, and has itself and its folder
// deleted at the next restart.
#include <string>

// The switch that starts the copy; its arguments are internal.
inline constexpr wchar_t kCleanupSwitch[] = L"/cleanup";

// Starts the copy for the uninstaller in `dir`; false, with GetLastError, when it cannot.
bool StartSelfRemoval(const std::wstring& dir);
// The copy's work: arguments 2 and 3 of its command line.
void FinishSelfRemoval(const wchar_t* process, const wchar_t* dir);
