#include "DisplayScale.h"

namespace {
// Looked up, so that the installer still starts where user32 lacks them.
FARPROC User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}
}  // namespace

UINT WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    auto forWindow =
        reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(User32Function("GetDpiForWindow")));
    UINT dpi = forWindow ? forWindow(window) : 0;
    if (dpi != 0) return dpi;
    HDC screen = GetDC(nullptr);
    dpi = screen ? static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY)) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int SystemMetricForDpi(int index, UINT dpi) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    auto forDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(
        reinterpret_cast<void*>(User32Function("GetSystemMetricsForDpi")));
    return forDpi ? forDpi(index, dpi) : GetSystemMetrics(index);
}

int FontHeight(HWND window) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    HDC dc = font ? GetDC(window) : nullptr;
    if (!dc) return 0;
    TEXTMETRICW metrics{};
    HGDIOBJ old = SelectObject(dc, font);
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return metrics.tmHeight;
}
