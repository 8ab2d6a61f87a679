#pragma once
// A running program cannot delete its own file, but it can move it. So the
// uninstaller, while it still holds the installation lock, moves its file aside
// under a name of its own run ("~Vantrelle-XXXXXXXX.old"): the name
// Uninstall.exe is then free, and an installer that runs later writes a new
// one there that nothing of this run ever touches. It leaves a copy of itself
// in a folder of its own under the Windows folder's Temp, which only
// administrators may write (so nobody can plant a DLL beside it), and starts
// it. The copy waits for the uninstaller to end, then, under the installation
// lock (so never while an installer works in the folder), deletes the
// moved-aside files in the install directory, the uninstaller's among them
// (and the one an installer moved aside while this uninstaller waited for the
// lock), and the directory itself if that is then empty; it has itself and
// its folder deleted at the next restart. It waits for the lock a bounded time
// only; after that it leaves the uninstaller's moved-aside file and the
// directory to the next restart, as when it cannot start.
#include <string>

#include "Report.h"

// The switch that starts the copy; its arguments are internal.
inline constexpr wchar_t kCleanupSwitch[] = L"/cleanup";
// How long the copy waits for an installation at work to end: several times
// the longest installation.
inline constexpr unsigned long kCleanupLockWaitMs = 5 * 60 * 1000;

// Moves the running uninstaller in `dir` aside, under the lock; the name it
// now has, or empty (noted in the report's log) when it cannot move.
std::wstring MoveSelfAside(const std::wstring& dir, CReport& report);
// Starts the copy that deletes the moved-aside file `aside` in `dir` once this
// program has ended, or has it deleted at the next restart; what cannot be
// done is noted in the report's log.
void StartSelfRemoval(const std::wstring& dir, const std::wstring& aside, CReport& report);
// The copy's work: arguments 2 to 4 of its command line.
void FinishSelfRemoval(const wchar_t* process, const wchar_t* dir, const wchar_t* aside);
