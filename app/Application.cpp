#include "Application.h"

#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>

#include "InstallProcedure.h"
#include "InstallationLock.h"
#include "Language.h"
#include "MainDlg.h"
#include "PayloadKey.h"
#include "Product.h"
#include "Report.h"
#include "Switches.h"

// The one application object; it exists before the entry point runs.
CApplication theApp;

namespace {

// The button's installation without a window: no box, no question, Vantrelle
// not started; the exit code and the log tell the result.
ExitCode InstallQuietly(const Switches& switches, CLog& log) {
    CReport report(log);
    report.Step(L"Reading the switches");
    if (!switches.acceptCharityware) {
        report.Fail(kExitDeclined, Text(IDS_NOT_ACCEPTED));
        return report.Code();
    }
    CInstallationLock lock;
    if (!TakeInstallationLock(lock, report)) return report.Code();
    // The shortcut needs a COM apartment on this thread; it lives as long as the process.
    CoInitialize(nullptr);
    Cabinet::CExtractResource engine;
    return InstallVantrelle(InstallDirectory(), Cabinet::kPayloadKey, engine, report) ? kExitSuccess
                                                                                      : report.Code();
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
    if (!BeginRun(switches, log, L"installer", AfxGetAppName(), m_ExitCode)) return FALSE;
    if (switches.quiet) {
        m_ExitCode = InstallQuietly(switches, log);
        return FALSE;
    }
    // Held while the dialog is open: a second installer started meanwhile is refused at once.
    CInstallationLock lock;
    CBoxReport report(log, nullptr);
    if (!TakeInstallationLock(lock, report)) {
        m_ExitCode = report.Code();
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
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return 0;
}

int CApplication::ExitInstance() { return CWinApp::ExitInstance(); }
