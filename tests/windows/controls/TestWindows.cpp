#include "TestWindows.h"

#include <cwchar>

static const wchar_t kParentClass[] = L"VantrelleTestParent";

static void RegisterParentClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kParentClass;
    registered = RegisterClassW(&wc) != 0;
}

// One visible top-level window for the whole run: destroying a mapped top-level
// window costs Wine about two seconds on a display without a window manager.
static HWND Host() {
    static HWND host = nullptr;
    if (host == nullptr) {
        RegisterParentClass();
        host = CreateWindowExW(0, kParentClass, L"Test host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                               800, 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(host);
        UpdateWindow(host);
    }
    return host;
}

HWND CreateTestParent(CWnd& wrapper, int x, int y, int width, int height) {
    HWND hWnd = CreateWindowExW(0, kParentClass, L"Hyperlink test", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                x, y, width, height, Host(), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hWnd != nullptr) {
        wrapper.SubclassWindow(hWnd);
        UpdateWindow(hWnd);
    }
    return hWnd;
}

void PumpMessages(DWORD milliseconds) {
    PumpUntil(milliseconds, [] { return false; });
}

long PumpUntil(DWORD milliseconds, const std::function<bool()>& done) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        DWORD elapsed = GetTickCount() - start;
        if (done()) return static_cast<long>(elapsed);
        if (elapsed >= milliseconds) return -1;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

namespace {

// The box being waited for: its caption, and its text once read.
struct BoxWatch {
    const std::wstring* caption;
    std::wstring text;
    bool closed;
};
BoxWatch* g_watch = nullptr;

BOOL CALLBACK CloseIfTheBox(HWND hwnd, LPARAM) {
    wchar_t className[16] = {};
    wchar_t caption[256] = {};
    GetClassNameW(hwnd, className, 16);
    GetWindowTextW(hwnd, caption, 256);
    if (wcscmp(className, L"#32770") != 0 || *g_watch->caption != caption || !IsWindowVisible(hwnd))
        return TRUE;
    wchar_t buffer[1024] = {};
    // The message box's text control has the id 0xFFFF.
    GetDlgItemTextW(hwnd, 0xFFFF, buffer, 1024);
    g_watch->text = buffer;
    g_watch->closed = true;
    PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    return FALSE;
}

// Runs inside the box's own modal loop, so a box that is slow to appear is still
// found, and only a box of this thread is ever closed.
void CALLBACK LookForTheBox(HWND, UINT, UINT_PTR, DWORD) {
    if (g_watch != nullptr && !g_watch->closed) EnumThreadWindows(GetCurrentThreadId(), CloseIfTheBox, 0);
}

}  // namespace

std::wstring ReadAndCloseMessageBox(const std::wstring& caption, const std::function<void()>& show) {
    BoxWatch watch{&caption, L"", false};
    g_watch = &watch;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, LookForTheBox);
    show();
    KillTimer(nullptr, timer);
    g_watch = nullptr;
    return watch.text;
}
