#include "MainDlg.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <utility>

#include "DisplayScale.h"
#include "InstallProcedure.h"
#include "InstallationLock.h"
#include "OpenPrograms.h"
#include "Language.h"
#include "PayloadKey.h"
#include "Product.h"
#include "resources/resource.h"
#include "system/DesktopShell.h"
#include "system/SpecialFolders.h"

namespace {
const UINT_PTR kInstallTimerId = 789;

// The picture drawn for 100 % (96 DPI) and each further 25 % up to 200 %.
const UINT kPictures[] = {IDB_PICTURE, IDB_PICTURE_125, IDB_PICTURE_150, IDB_PICTURE_175, IDB_PICTURE_200};

// The shell's failure codes the link names a reason for.
const struct {
    int code;
    UINT text;
} kLinkReasons[] = {
    {0, IDS_HYPERLINK_NO_RESOURCES},
    {SE_ERR_FNF, IDS_HYPERLINK_FILE_NOT_FOUND},
    {SE_ERR_PNF, IDS_HYPERLINK_PATH_NOT_FOUND},
    {SE_ERR_ACCESSDENIED, IDS_HYPERLINK_ACCESS_DENIED},
    {SE_ERR_OOM, IDS_HYPERLINK_OUT_OF_MEMORY},
    {ERROR_BAD_FORMAT, IDS_HYPERLINK_BAD_FORMAT},
    {SE_ERR_SHARE, IDS_HYPERLINK_SHARING},
    {SE_ERR_ASSOCINCOMPLETE, IDS_HYPERLINK_ASSOCIATION},
    {SE_ERR_DDETIMEOUT, IDS_HYPERLINK_DDE_TIMEOUT},
    {SE_ERR_DDEFAIL, IDS_HYPERLINK_DDE_FAILED},
    {SE_ERR_DDEBUSY, IDS_HYPERLINK_DDE_BUSY},
    {SE_ERR_NOASSOC, IDS_HYPERLINK_NO_ASSOCIATION},
    {SE_ERR_DLLNOTFOUND, IDS_HYPERLINK_DLL_NOT_FOUND},
};

// The nearest scale drawn (1.0 is 100 %); smaller ones get 100 %, larger ones 200 %.
UINT PictureForScale(double scale) {
    const int step = static_cast<int>(std::lround((scale - 1) / 0.25));
    return kPictures[std::clamp(step, 0, static_cast<int>(std::size(kPictures)) - 1)];
}
}  // namespace

CHyperLink::OpenErrorWords LinkOpenErrorWords() {
    CHyperLink::OpenErrorWords words;
    words.failed = Text(IDS_HYPERLINK_FAILED);
    words.unknown = Text(IDS_HYPERLINK_UNKNOWN);
    for (const auto& reason : kLinkReasons) words.reasons[reason.code] = Text(reason.text);
    return words;
}

// The template of the language the installer speaks.
CMainDlg::CMainDlg(CLog& log, CWnd* parent) : CDialog(IDD_MAIN, parent, CurrentLanguage()), m_Log(log) {
    static_assert(sizeof m_CipherKey == Cabinet::kPayloadKeyLength, "the payload key is ten bytes");
    std::memcpy(m_CipherKey, Cabinet::kPayloadKey, sizeof m_CipherKey);
    HINSTANCE module = GetModuleHandleW(nullptr);
    m_hIcon = LoadIconW(module, MAKEINTRESOURCEW(IDI_MAIN));
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
        OnMessage(WM_DPICHANGED, &CMainDlg::OnDpiChanged),
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
    ShowImagesFor(WindowDpi(GetSafeHwnd()));

    SetWindowText(Text(IDS_TITLE, {kVersionText}));

    m_InstallDir = InstallDirectory();
    m_InstallDirLabel.SetWindowText(m_InstallDir.substr(0, m_InstallDir.size() - 1));

    m_Link.SetTarget(std::wstring(kProductPage) + L"#Charityware");
    m_Link.SetOpenErrorWords(LinkOpenErrorWords());
    SetTimer(kInstallTimerId, 1000);
    return TRUE;
}

void CMainDlg::ShowImagesFor(UINT dpi) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    // Each new image is in place before the one it replaces is freed.
    CBitmap picture;
    // Drawn for the DPI, but no larger than the layout has grown: the template's
    // font, MS Sans Serif 8 pt, is 13 pixels high at 100 % and, a bitmap font,
    // grows in steps and stops at its largest size. The picture keeps its share
    // of the dialog where the font stopped growing.
    const int fontHeight = FontHeight(GetSafeHwnd());
    double scale = double(dpi) / USER_DEFAULT_SCREEN_DPI;
    if (fontHeight > 0) scale = std::min(scale, fontHeight / 13.0);
    if (picture.Load(module, PictureForScale(scale))) {
        m_Picture.SetBitmap(picture);
        // The control keeps its place and takes the picture's size.
        const SIZE size = picture.GetSize();
        m_Picture.SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        m_Bitmap = std::move(picture);
    }
    CIcon bigIcon;
    CIcon smallIcon;
    bigIcon.Load(module, IDI_MAIN, SystemMetricForDpi(SM_CXICON, dpi));
    smallIcon.Load(module, IDI_MAIN, SystemMetricForDpi(SM_CXSMICON, dpi));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.GetSafeHandle()));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.GetSafeHandle()));
    m_BigIcon = std::move(bigIcon);
    m_SmallIcon = std::move(smallIcon);
}

// The dialog moved to a monitor of another scale. The system's default handling
// rescales the window, its controls and its font; the images are ours to pick.
LRESULT CMainDlg::OnDpiChanged(WPARAM dpi, LPARAM) {
    const LRESULT result = Default();
    ShowImagesFor(HIWORD(dpi));
    return result;
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

// The "I&nstall / Update" command. The lock is held only while the machine
// changes: a failure's box and the success box come after it is let go. A
// failure leaves the dialog open for another try; success starts Vantrelle and
// ends the installer, the engine and its cabinet library still there.
void CMainDlg::OnInstall() {
    CBoxReport report(m_Log, GetSafeHwnd());
    // What is open is closed only once the user has said so; Cancel changes nothing.
    const CloseChoice choice = AskToClose();
    if (choice == CloseChoice::kCancel) return;
    const bool closeOpen = choice == CloseChoice::kClose;
    CInstallationLock lock;
    if (!TakeInstallationLock(lock, report)) return report.ShowFailure();
    Cabinet::CExtractResource engine;
    std::vector<std::wstring> closed;
    const bool installed = InstallVantrelle(m_InstallDir, m_CipherKey, engine, report, closeOpen, closed);
    lock.Release();
    if (!installed) {
        StartAgain(closed, report);  // the old release, as it was
        return report.ShowFailure();
    }
    ::MessageBoxW(GetSafeHwnd(), Text(IDS_SUCCESS).c_str(), Text(IDS_SUCCESS_CAPTION).c_str(),
                  MB_ICONINFORMATION);
    // Vantrelle starts as after every installation; anything else that was closed, with it.
    const std::wstring program = m_InstallDir + kProgramFile;
    closed.erase(std::remove_if(
                     closed.begin(), closed.end(),
                     [&](const std::wstring& path) { return _wcsicmp(path.c_str(), program.c_str()) == 0; }),
                 closed.end());
    StartAgain(closed, report);
    ShellExecuteViaDesktop(program.c_str(), L"", L"", L"open", SW_SHOWNORMAL);
    ExitProcess(0);
}

// Where Vantrelle or its help is open, the box that says they will be closed.
CMainDlg::CloseChoice CMainDlg::AskToClose() {
    const std::vector<RunningProgram> open = FindOpenPrograms(m_InstallDir);
    const std::wstring names = NamesToClose(open);
    if (names.empty()) return CloseChoice::kNothingOpen;
    std::wstring text = Text(IDS_CLOSE_PROGRAMS, {names});
    if (ClosesVantrelle(open)) text += L"\n" + Text(IDS_CLOSE_RESTART) + L"\n" + Text(IDS_CLOSE_SAVE);
    text += L"\n\n" + Text(IDS_CLOSE_CHOICE);
    const bool agreed = ::MessageBoxW(GetSafeHwnd(), text.c_str(), Text(IDS_CLOSE_CAPTION).c_str(),
                                      MB_OKCANCEL | MB_ICONINFORMATION) == IDOK;
    m_Log.Write(L"Open: " + names +
                (agreed ? L"; the user chose to close them." : L"; the user chose not to close them."));
    return agreed ? CloseChoice::kClose : CloseChoice::kCancel;
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
