// Uninstall.exe: asks, removes what the installers wrote, says what stayed, and
// leaves nothing of itself behind. With /quiet it asks nothing and shows
// nothing; its exit code tells the result.
#include <windows.h>

#include <cstdlib>

#include "InstallationLock.h"
#include "Language.h"
#include "OpenPrograms.h"
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
    if (__argc == 5 && _wcsicmp(__wargv[1], kCleanupSwitch) == 0) {
        FinishSelfRemoval(__wargv[2], __wargv[3], __wargv[4]);
        return kExitSuccess;
    }
    const Switches switches = ParseSwitches(__argc, __wargv, false);
    CLog log;
    unsigned long exitCode = kExitSuccess;
    // A quiet removal takes the lock at once; an interactive one first asks,
    // and before the question only checks that no other run is at work, so
    // that a removal that cannot run now is not offered.
    CInstallationLock lock;
    if (!BeginRun(switches, log, L"uninstaller", AfxGetAppName(), exitCode,
                  switches.quiet ? LockAtStart::kTake : LockAtStart::kCheck, lock))
        return static_cast<ExitCode>(exitCode);
    CReport quietReport(log);
    CBoxReport boxReport(log, nullptr);
    CReport& report = switches.quiet ? quietReport : boxReport;
    const std::wstring dir = OwnDirectory();
    if (!switches.quiet) {
        // What is open is named in the question: Yes closes it too.
        const std::vector<RunningProgram> open = FindOpenPrograms(dir);
        std::wstring question = Text(IDS_CONFIRM);
        if (const std::wstring names = NamesToClose(open); !names.empty()) {
            question += L"\n\n" + Text(IDS_CLOSE_FOR_REMOVAL, {names});
            if (ClosesVantrelle(open)) question += L"\n" + Text(IDS_CLOSE_SAVE);
            log.Write(L"Open: " + names);
        }
        if (::MessageBoxW(nullptr, question.c_str(), Text(IDS_UNINSTALL_CAPTION).c_str(),
                          MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
            log.Write(L"Not removed: the user answered No.");
            return kExitDeclined;
        }
        if (!TakeInstallationLock(lock, report)) {
            boxReport.ShowFailure();
            return report.Code();
        }
    }

    if (switches.noClose)
        report.Note(L"/no-close: Vantrelle and its help are not closed where they are open.");
    Removal removal;
    if (!RemoveVantrelle(dir, report, removal, !switches.noClose)) {
        lock.Release();
        boxReport.ShowFailure();
        return report.Code();
    }
    // Still under the lock, so that an installer after this run writes an
    // Uninstall.exe of its own that nothing of this removal touches.
    const std::wstring aside = MoveSelfAside(dir, report);
    lock.Release();
    const std::wstring text = RemovedText(dir, removal);
    report.Note(text + L"\n" + std::to_wstring(removal.filesRemoved) + L" files removed.");
    if (!switches.quiet)
        ::MessageBoxW(nullptr, text.c_str(), Text(IDS_UNINSTALL_COMPLETE).c_str(), MB_ICONINFORMATION);
    // Last: the copy that deletes this program waits only for its end.
    StartSelfRemoval(dir, aside, report);
    return kExitSuccess;
}
