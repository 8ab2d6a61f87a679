#include "MainDlg.h"

#include <objbase.h>

#include <cstring>

#include "PayloadKey.h"
#include "resources/resource.h"
#include "system/SpecialFolders.h"

namespace {
const UINT_PTR kInstallTimerId = 789;
const wchar_t kVersionText[] = L"5.3.1";
const wchar_t kProductPage[] = L"https://www.tollanby.com/vantrelle/index.php#Charityware";
}  // namespace

CMainDlg::CMainDlg(CWnd* parent) : CDialog(IDD_MAIN, parent) {
    static_assert(sizeof m_CipherKey == Cabinet::kPayloadKeyLength, "the payload key is ten bytes");
    std::memcpy(m_CipherKey, Cabinet::kPayloadKey, sizeof m_CipherKey);
    m_hIcon = LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_MAIN));
    m_hBitmap = LoadBitmapW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDB_PICTURE));
    // The shortcut and the launch through the desktop shell need a COM apartment
    // on this thread; it lives as long as the process.
    CoInitialize(nullptr);
}

CMainDlg::~CMainDlg() = default;

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
    SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(GetSafeHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    SendMessageW(m_Picture.GetSafeHwnd(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_hBitmap));
    SetWindowPos(m_Picture.GetSafeHwnd(), nullptr, 0, 0, 83, 92, SWP_NOMOVE | SWP_NOZORDER);

    SetWindowTextW(GetSafeHwnd(), (std::wstring(L"Install  Vantrelle ") + kVersionText).c_str());

    m_InstallDir = GetSpecialFolderPath(CSIDL_PROGRAM_FILES) + L"Vantrelle";
    SetWindowTextW(m_InstallDirLabel.GetSafeHwnd(), m_InstallDir.c_str());
    m_InstallDir += L"\\";

    m_Link.SetTarget(kProductPage);
    ::SetTimer(GetSafeHwnd(), kInstallTimerId, 1000, nullptr);
    return TRUE;
}

// Enter must never close the installer.
void CMainDlg::OnOK() {}

void CMainDlg::OnTimer(UINT_PTR id) {
    if (id != kInstallTimerId) return;
    ::KillTimer(GetSafeHwnd(), kInstallTimerId);
    SetForegroundWindow(GetSafeHwnd());
}

void CMainDlg::OnAcceptTerms() {
    bool ticked = SendMessageW(m_AcceptCheck.GetSafeHwnd(), BM_GETCHECK, 0, 0) != 0;
    EnableWindow(m_InstallButton.GetSafeHwnd(), ticked);
}

void CMainDlg::OnPaint() {
    HWND hwnd = GetSafeHwnd();
    if (!IsIconic(hwnd)) return Default();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(hwnd, &client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(hwnd, &ps);
}

HCURSOR CMainDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
