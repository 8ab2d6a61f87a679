// Uninstall.exe: asks, removes what the installers wrote, says what stayed, and
// leaves nothing of itself behind. With /quiet it asks nothing and shows
// nothing; its exit code tells the result.
#include <windows.h>

#include <cstdlib>

#include "InstallationLock.h"
#include "Language.h"
#include "Product.h"
#include "Removal.h"
#include "Report.h"
#include "SelfRemoval.h"
#include "Switches.h"
#include "framework/WinApp.h"

namespace {

// The folder this program runs from, ending in a backslash: the install directory.
std::wstring OwnDirectory() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

}  // namespace

class CUninstallApp : public CWinApp {
protected:
    BOOL InitInstance() override {
        m_ExitCode = Uninstall();
        return FALSE;
    }

private:
    ExitCode Uninstall();
};

CUninstallApp theApp;

ExitCode CUninstallApp::Uninstall() {
    if (__argc == 4 && _wcsicmp(__wargv[1], kCleanupSwitch) == 0) {
        FinishSelfRemoval(__wargv[2], __wargv[3]);
        return kExitSuccess;
    }
    const Switches switches = ParseSwitches(__argc, __wargv, false);
    CLog log;
    unsigned long exitCode = kExitSuccess;
    if (!BeginRun(switches, log, L"uninstaller", AfxGetAppName(), exitCode))
        return static_cast<ExitCode>(exitCode);
    CReport quietReport(log);
    CBoxReport boxReport(log, nullptr);
    CReport& report = switches.quiet ? quietReport : boxReport;
    // Before the question: a removal that cannot run now is not offered.
    CInstallationLock lock;
    if (!TakeInstallationLock(lock, report)) return report.Code();
    if (!switches.quiet &&
        ::MessageBoxW(nullptr, Text(IDS_CONFIRM).c_str(), Text(IDS_UNINSTALL_CAPTION).c_str(),
                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        log.Write(L"Not removed: the user answered No.");
        return kExitDeclined;
    }

    const std::wstring dir = OwnDirectory();
    Removal removal;
    if (!RemoveVantrelle(dir, report, removal)) return report.Code();
    const std::wstring text = RemovedText(dir, removal);
    report.Note(text + L"\n" + std::to_wstring(removal.filesRemoved) + L" files removed.");
    if (!switches.quiet)
        ::MessageBoxW(nullptr, text.c_str(), Text(IDS_UNINSTALL_COMPLETE).c_str(), MB_ICONINFORMATION);
    // Last, and still under the lock: the copy that deletes this program waits only for its end.
    StartSelfRemoval(dir, report);
    return kExitSuccess;
}
