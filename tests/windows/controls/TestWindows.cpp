#include "TestWindows.h"

#include <atomic>
#include <thread>

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

std::wstring ReadAndCloseMessageBox(const std::wstring& caption, const std::function<void()>& show) {
    std::wstring text;
    std::atomic<bool> stop{false};
    std::thread watcher([&] {
        for (int i = 0; i < 1000 && !stop; ++i) {
            HWND box = FindWindowW(L"#32770", caption.c_str());
            if (box != nullptr && IsWindowVisible(box)) {
                wchar_t buffer[1024] = {};
                // The message box's text control has the id 0xFFFF.
                GetDlgItemTextW(box, 0xFFFF, buffer, 1024);
                text = buffer;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(10);
        }
    });
    show();
    stop = true;
    watcher.join();
    return text;
}
