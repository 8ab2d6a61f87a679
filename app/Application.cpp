#include "Application.h"

#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>

#include "InstallProcedure.h"
#include "InstallationLock.h"
#include "Language.h"
#include "MainDlg.h"
#include "OpenPrograms.h"
#include "PayloadKey.h"
#include "Product.h"
#include "Report.h"
#include "Switches.h"

// The one application object; it exists before the entry point runs.
CApplication theApp;

namespace {

// The button's installation without a window: no box, no question, and
// Vantrelle started only where the run closed it; the exit code and the log
// tell the result. The lock is this run's already, taken as it began.
ExitCode InstallQuietly(const Switches& switches, CLog& log, CInstallationLock& lock) {
    CReport report(log);
    report.Step(L"Reading the switches");
    if (!switches.acceptCharityware) {
        report.Fail(kExitDeclined, Say(IDS_NOT_ACCEPTED));
        return report.Code();
    }
    // As the peers' quiet modes do, what is open is closed, and started again afterwards.
    if (switches.noClose)
        report.Note(L"/no-close: Vantrelle and its help are not closed where they are open.");
    // The shortcut and the start through the desktop shell need a COM apartment
    // on this thread; it lives as long as the process.
    CoInitialize(nullptr);
    Cabinet::CExtractResource engine;
    std::vector<std::wstring> closed;
    const bool installed =
        InstallVantrelle(InstallDirectory(), Cabinet::kPayloadKey, engine, report, !switches.noClose, closed);
    lock.Release();
    // The new release once the update stands; else the old one, as it was.
    StartAgain(closed, report);
    return installed ? kExitSuccess : report.Code();
}

}  // namespace

CApplication::CApplication() = default;
CApplication::~CApplication() = default;

const MessageMap* CApplication::GetMessageMap() const {
    static const MessageEntry entries[] = {
        OnCommand(0, kIdHelp, &CApplication::OnHelp),
    };
    static const MessageMap map = MakeMessageMap(CWinApp::GetMessageMap(), entries);
    return &map;
}

BOOL CApplication::InitInstance() {
    const Switches switches = ParseSwitches(__argc, __wargv, true);
    CLog log;
    CInstallationLock lock;
    // A quiet installation changes the machine at once; the dialog takes the
    // lock only when its button is pressed, and here says at once if another
    // run is at work.
    const LockAtStart atStart = !switches.quiet              ? LockAtStart::kCheck
                                : switches.acceptCharityware ? LockAtStart::kTake
                                                             : LockAtStart::kNone;
    if (!BeginRun(switches, log, L"installer", AfxGetAppName(), m_ExitCode, atStart, lock)) return FALSE;
    if (switches.quiet) {
        m_ExitCode = InstallQuietly(switches, log, lock);
        return FALSE;
    }
    m_ExitCode = RunDialog(log);
    // No message loop of our own: the installer ends with its dialog.
    return FALSE;
}

int CApplication::RunDialog(CLog& log) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = 0xFF;  // the eight classic control classes
    // Every DLL the program imports is one of the system's known DLLs, never
    // looked up in the program's folder; the common controls are not, so they
    // are loaded here, once the DLL search is narrowed (the manifest's version
    // from the side-by-side store), and stay loaded for the dialog's life.
    using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    // A bare name: the side-by-side lookup that finds the manifest's version needs one.
    if (HMODULE comctl = LoadLibraryW(L"comctl32.dll")) {
        auto init = reinterpret_cast<InitCommonControlsExFn>(
            reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx")));
        if (init) init(&controls);
    }
    CWinApp::InitInstance();

    CMainDlg dialog(log);
    m_pMainWnd = &dialog;
    const INT_PTR shown = dialog.DoModal();
    m_pMainWnd = nullptr;
    if (shown != -1) return kExitSuccess;
    // Never an end without a word: the dialog could not be shown at all.
    const DWORD error = GetLastError();
    CBoxReport report(log, nullptr);
    report.Step(L"Showing the dialog");
    if (error == ERROR_RESOURCE_NAME_NOT_FOUND || error == ERROR_RESOURCE_LANG_NOT_FOUND ||
        error == ERROR_RESOURCE_TYPE_NOT_FOUND || error == ERROR_RESOURCE_DATA_NOT_FOUND)
        report.Fail(kExitDamaged, Say(IDS_DAMAGED));
    else
        report.Fail(kExitWriteFailed, Say(IDS_NO_WINDOW, {SystemErrorLine(error)}));
    report.ShowFailure();
    return report.Code();
}

int CApplication::ExitInstance() { return CWinApp::ExitInstance(); }
