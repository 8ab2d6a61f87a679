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
    InitCommonControlsEx(&controls);
    CWinApp::InitInstance();

    CMainDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    // No message loop of our own: the installer ends with its dialog.
    return FALSE;
}

int CApplication::ExitInstance() { return CWinApp::ExitInstance(); }
