#include "MainDlg.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstring>

#include "InstallProcedure.h"
#include "PayloadKey.h"
#include "Product.h"
#include "resources/resource.h"
#include "system/DesktopShell.h"
#include "system/SpecialFolders.h"

namespace {
const UINT_PTR kInstallTimerId = 789;
const wchar_t kSuccessText[] =
    L"Vantrelle has been installed successfully.\nA shortcut has been created in the start menu.";
}  // namespace

CMainDlg::CMainDlg(CLog& log, CWnd* parent) : CDialog(IDD_MAIN, parent), m_Log(log) {
    static_assert(sizeof m_CipherKey == Cabinet::kPayloadKeyLength, "the payload key is ten bytes");
    std::memcpy(m_CipherKey, Cabinet::kPayloadKey, sizeof m_CipherKey);
    HINSTANCE module = GetModuleHandleW(nullptr);
    m_hIcon = LoadIconW(module, MAKEINTRESOURCEW(IDI_MAIN));
    m_hBitmap = LoadBitmapW(module, MAKEINTRESOURCEW(IDB_PICTURE));
    // The shortcut and the launch through the desktop shell need a COM apartment
    // on this thread; it lives as long as the process.
    CoInitialize(nullptr);
}

CMainDlg::~CMainDlg() = default;

const MessageMap* CMainDlg::GetMessageMap() const {
    static const MessageEntry entries[] = {
        OnMessage(WM_PAINT, &CMainDlg::OnPaint),
        OnMessage(WM_TIMER, &CMainDlg::OnTimer),
        OnMessage(WM_QUERYDRAGICON, &CMainDlg::OnQueryDragIcon),
        OnCommand(BN_CLICKED, IDC_ACCEPT, &CMainDlg::OnAcceptTerms),
        OnCommand(BN_CLICKED, IDC_INSTALL, &CMainDlg::OnInstallCommand),
    };
    static const MessageMap map = MakeMessageMap(CDialog::GetMessageMap(), entries);
    return &map;
}

void CMainDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PICTURE, m_Picture);
    DDX_Control(dx, IDC_ACCEPT, m_AcceptCheck);
    DDX_Control(dx, IDC_INSTALL, m_InstallButton);
    DDX_Control(dx, IDC_INSTALL_DIR, m_InstallDirLabel);
    DDX_Control(dx, IDC_LINK, m_Link);
}

BOOL CMainDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    ::SendMessageW(m_Picture.GetSafeHwnd(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_hBitmap));
    ::SetWindowPos(m_Picture.GetSafeHwnd(), nullptr, 0, 0, 83, 92, SWP_NOMOVE | SWP_NOZORDER);

    SetWindowText(std::wstring(L"Install  Vantrelle ") + kVersionText);

    m_InstallDir = InstallDirectory();
    m_InstallDirLabel.SetWindowText(m_InstallDir.substr(0, m_InstallDir.size() - 1));

    m_Link.SetTarget(std::wstring(kProductPage) + L"#Charityware");
    SetTimer(kInstallTimerId, 1000);
    return TRUE;
}

// Enter must never close the installer.
void CMainDlg::OnOK() {}

LRESULT CMainDlg::OnTimer(WPARAM id, LPARAM) {
    if (id != kInstallTimerId) return 0;
    KillTimer(kInstallTimerId);
    SetForegroundWindow();
    return 0;
}

LRESULT CMainDlg::OnAcceptTerms(WPARAM, LPARAM) {
    m_InstallButton.EnableWindow(m_AcceptCheck.GetCheck() != 0);
    return 0;
}

LRESULT CMainDlg::OnInstallCommand(WPARAM, LPARAM) {
    OnInstall();
    return 0;
}

// The "I&nstall / Update" command. A failure has shown its box and leaves the
// dialog open for another try; success starts Vantrelle and ends the installer,
// the engine and its cabinet library still there.
void CMainDlg::OnInstall() {
    CBoxReport report(m_Log, GetSafeHwnd());
    Cabinet::CExtractResource engine;
    if (!InstallVantrelle(m_InstallDir, m_CipherKey, engine, report)) return;
    ::MessageBoxW(GetSafeHwnd(), kSuccessText, L"Installation complete", MB_ICONINFORMATION);
    ShellExecuteViaDesktop((m_InstallDir + kProgramFile).c_str(), L"", L"", L"open", SW_SHOWNORMAL);
    ExitProcess(0);
}

LRESULT CMainDlg::OnPaint(WPARAM, LPARAM) {
    HWND hwnd = GetSafeHwnd();
    if (!::IsIconic(hwnd)) return Default();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    ::SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(hwnd, &client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(hwnd, &ps);
    return 0;
}

LRESULT CMainDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); }
