// Stand-in for the Vantrelle application: a window that names the product and
// the folder it runs from, so an installation can be seen to have worked.
#include <windows.h>

#include <string>

#include "Version.h"

namespace {

constexpr wchar_t kClassName[] = L"VantrelleStandIn";
constexpr wchar_t kTitle[] = L"Vantrelle " VANTRELLE_VERSION_WIDE;

std::wstring OwnFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::wstring::size_type slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: {
        // Static children, so a test can read the texts back with GetWindowText.
        HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        HWND name = CreateWindowExW(0, L"STATIC", L"Vantrelle", WS_CHILD | WS_VISIBLE | SS_LEFT, 16, 16, 400,
                                    20, hWnd, reinterpret_cast<HMENU>(1), nullptr, nullptr);
        std::wstring folder = OwnFolder();
        HWND dir = CreateWindowExW(0, L"STATIC", folder.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 16, 44, 400,
                                   20, hWnd, reinterpret_cast<HMENU>(2), nullptr, nullptr);
        SendMessageW(name, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        SendMessageW(dir, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hWnd, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int nCmdShow) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) return 1;

    HWND hWnd = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 460,
                                140, nullptr, nullptr, hInstance, nullptr);
    if (!hWnd) return 1;
    ShowWindow(hWnd, nCmdShow);
    UpdateWindow(hWnd);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
