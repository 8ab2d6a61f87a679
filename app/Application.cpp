#include "Application.h"

#include <commctrl.h>

#include "MainDlg.h"

// The one application object; it exists before the entry point runs.
CApplication theApp;

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

    CMainDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    // No message loop of our own: the installer ends with its dialog.
    return FALSE;
}

int CApplication::ExitInstance() { return CWinApp::ExitInstance(); }
