// Stand-in for the Vantrelle application: a window that names the product and
// the folder it runs from, so an installation can be seen to have worked. Like
// the real program it holds work of its user's, which it saves when Windows
// (or an installer) ends the session, or when it is closed: to
// %LOCALAPPDATA%\Vantrelle\Work.txt, one line a save. So a test can see what a
// user with unsaved work would meet, it can be told to act as a program that
// refuses to end (/refuse-to-end) or one that stops answering once it is asked
// (/stop-answering); /open=PATH, last on the line, keeps PATH open as a help
// viewer keeps its document.
#include <windows.h>
#include <shlobj.h>

#include <cwchar>
#include <string>

#include "Version.h"

namespace {

constexpr wchar_t kClassName[] = L"VantrelleStandIn";
constexpr wchar_t kTitle[] = L"Vantrelle " VANTRELLE_VERSION_WIDE;

enum class Mode { kWilling, kRefusing, kHanging } s_Mode = Mode::kWilling;
bool s_Saved = false;

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

// Appends "work of process N, saved on WHEN" to the user's work file, once.
void SaveWork(const wchar_t* when) {
    if (s_Saved) return;
    wchar_t folder[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder)))
        return;
    const std::wstring dir = std::wstring(folder) + L"\\Vantrelle";
    CreateDirectoryW(dir.c_str(), nullptr);
    HANDLE file = CreateFileW((dir + L"\\Work.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char line[128];
    const int length =
        snprintf(line, sizeof line, "work of process %lu, saved on %ls\r\n", GetCurrentProcessId(), when);
    DWORD written = 0;
    s_Saved =
        WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr) && written == DWORD(length);
    CloseHandle(file);
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
    case WM_QUERYENDSESSION:
        if (s_Mode == Mode::kHanging) Sleep(INFINITE);
        return s_Mode == Mode::kWilling;
    case WM_ENDSESSION:
        if (wParam) SaveWork(L"WM_ENDSESSION");
        return 0;
    case WM_CLOSE:
        SaveWork(L"WM_CLOSE");
        DestroyWindow(hWnd);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hWnd, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR commandLine, int nCmdShow) {
    if (wcsstr(commandLine, L"/refuse-to-end")) s_Mode = Mode::kRefusing;
    if (wcsstr(commandLine, L"/stop-answering")) s_Mode = Mode::kHanging;
    if (const wchar_t* open = wcsstr(commandLine, L"/open=")) {
        // Held until the process ends.
        CreateFileW(open + 6, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    }
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
