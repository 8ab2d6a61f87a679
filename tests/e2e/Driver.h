#pragma once
// Drives the installer the way a user does: finds its dialog by title, reads and
// clicks controls by id, answers message boxes. Shared by the end-to-end tests and
// by ./run.
#include <windows.h>

#include <string>
#include <vector>

#include "Version.h"

namespace Driver {

// Both carry the version set in the root CMakeLists.txt.
inline constexpr wchar_t kDialogTitle[] = L"Install  Vantrelle " VANTRELLE_VERSION_WIDE;
// The window of the stand-in Vantrelle.exe (payload/app) that the installer starts.
inline constexpr wchar_t kAppTitle[] = L"Vantrelle " VANTRELLE_VERSION_WIDE;

struct MessageBoxSeen {
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
    bool found = false;
};

class CInstallerProcess {
public:
    ~CInstallerProcess();
    // Starts the program with the given working directory (empty: inherit) and
    // arguments (as they follow the quoted program on its command line).
    bool Start(const std::wstring& exe, const std::wstring& workingDir = L"",
               const std::wstring& arguments = L"");
    // Waits for its dialog (the one with the install button), in any language; null on timeout.
    HWND WaitForDialog(DWORD timeoutMs = 20000);
    // Waits for the process to end; returns false on timeout.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    bool IsRunning() const;
    // Whether the process shows a top-level window now.
    bool ShowsWindow() const;
    void Kill();
    // Stops every thread of the process where it is (`suspend`), or lets them go on.
    void Suspend(bool suspend);
    DWORD Id() const { return m_Info.dwProcessId; }

private:
    PROCESS_INFORMATION m_Info{};
};

std::wstring WindowText(HWND hwnd);
std::wstring ControlText(HWND dialog, int id);
bool IsControlEnabled(HWND dialog, int id);
// Waits up to timeoutMs for the control to be enabled (`enabled`) or disabled,
// as a click the dialog has yet to handle makes it; whether it is.
bool WaitForEnabled(HWND dialog, int id, bool enabled = true, DWORD timeoutMs = 10000);
// Clicks a control the way a mouse click reaches it (BM_CLICK), without waiting
// for what the click starts.
void Click(HWND dialog, int id);
// A message box of the given process (class #32770 with a static text 65535);
// waits up to timeoutMs.
MessageBoxSeen WaitForMessageBox(DWORD processId, DWORD timeoutMs);
// Presses the box's OK (IDOK) button.
void PressOk(HWND box);
HWND FindMessageBox(DWORD processId);
// A top-level window with exactly this title, of any process; null when none.
HWND WaitForWindowTitled(const std::wstring& title, DWORD timeoutMs);
DWORD WindowProcessId(HWND hwnd);
DWORD ParentProcessId(DWORD pid);
// Whether a process of this file name (no folder) runs.
bool ProcessRuns(const wchar_t* name);
// Where the process loaded the module of this file name from; empty when not loaded.
std::wstring LoadedModulePath(DWORD pid, const wchar_t* name);
// Saves what the window shows as a 24-bit BMP file.
bool SaveScreenshot(HWND hwnd, const std::wstring& path);

}  // namespace Driver
