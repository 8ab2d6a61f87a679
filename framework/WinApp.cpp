#include "WinApp.h"

#include "Wnd.h"

static CWinApp* s_pApp = nullptr;
static int s_WaitCount = 0;
static HCURSOR s_hRestoreCursor = nullptr;

CWinApp::CWinApp() {
    s_pApp = this;
    m_hInstance = ::GetModuleHandleW(nullptr);
}

CWinApp::~CWinApp() {
    if (s_pApp == this) s_pApp = nullptr;
}

CWinApp* AfxGetApp() { return s_pApp; }

const MessageMap* CWinApp::GetMessageMap() const {
    static const MessageEntry entries[] = {
        OnCommand(0, kIdHelp, &CWinApp::OnHelp),
    };
    static const MessageMap map = MakeMessageMap(CCmdTarget::GetMessageMap(), entries);
    return &map;
}

LRESULT CWinApp::OnHelp(WPARAM, LPARAM) { return 0; }

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return ExitInstance();
}

void CWinApp::BeginWaitCursor() {
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    if (s_WaitCount++ == 0) s_hRestoreCursor = previous;
}

void CWinApp::EndWaitCursor() {
    if (s_WaitCount == 0) return;
    if (--s_WaitCount == 0) {
        ::SetCursor(s_hRestoreCursor);
        s_hRestoreCursor = nullptr;
    }
}

std::wstring AfxGetAppName() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length < MAX_PATH ? length : MAX_PATH);
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot != 0) name.erase(dot);
    return name;
}

int AfxMessageBox(const std::wstring& text, UINT type, UINT /*helpId: no help file*/) {
    HWND owner = nullptr;
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd != nullptr && ::IsWindow(app->m_pMainWnd->m_hWnd))
        owner = app->m_pMainWnd->m_hWnd;
    else
        owner = ::GetActiveWindow();
    std::wstring caption = AfxGetAppName();
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

void AfxThrowMemoryException() { throw CMemoryException(); }

// The program's entry point. It lives with CWinApp so that any program defining
// an application object pulls it from the library (the C runtime's reference to
// it comes later in the link than our library); programs with main() ignore it.
int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return 1;
    app->m_hInstance = hInstance;
    // No C++ exception leaves the entry point either.
    try {
        if (!app->InitInstance()) return app->ExitInstance();
        return app->Run();
    } catch (...) {
        return 1;
    }
}
