#include "Wnd.h"

#include "WinApp.h"

#include <vector>

static const wchar_t kWndProperty[] = L"Vantrelle.CWnd";

CWnd::~CWnd() {
    // The window may outlive its wrapper (a control of a dialog destroyed later):
    // give it back its own procedure so nothing calls into freed memory.
    if (m_hWnd != nullptr) UnsubclassWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    return static_cast<CWnd*>(::GetPropW(hWnd, kWndProperty));
}

bool CWnd::Hook(HWND hWnd) {
    if (hWnd == nullptr || m_hWnd != nullptr || FromHandlePermanent(hWnd) != nullptr) return false;
    if (!::SetPropW(hWnd, kWndProperty, this)) return false;
    m_hWnd = hWnd;
    PreSubclassWindow();
    m_OldProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StandardWndProc)));
    return true;
}

bool CWnd::SubclassWindow(HWND hWnd) { return Hook(hWnd); }

bool CWnd::SubclassDlgItem(int id, CWnd* parent) {
    if (parent == nullptr || parent->m_hWnd == nullptr) return false;
    return SubclassWindow(::GetDlgItem(parent->m_hWnd, id));
}

HWND CWnd::UnsubclassWindow() {
    HWND hWnd = m_hWnd;
    if (hWnd == nullptr) return nullptr;
    if (m_OldProc != nullptr && ::IsWindow(hWnd))
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OldProc));
    ::RemovePropW(hWnd, kWndProperty);
    m_OldProc = nullptr;
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

std::wstring CWnd::GetWindowText() const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int got = ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    return std::wstring(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void CWnd::ClientToScreen(RECT* rect) const {
    POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    ::MapWindowPoints(m_hWnd, nullptr, corners, 2);
    *rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
    DWORD style = GetStyle();
    DWORD changed = (style & ~remove) | add;
    if (changed == style) return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (flags != 0)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_OldProc == nullptr) return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
    return ::CallWindowProcW(m_OldProc, m_hWnd, message, wParam, lParam);
}

bool CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return Dispatch(kReflect | message, wParam, lParam, result);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    // Notifications first go back to the control that sent them, so a control
    // class can own its colours and clicks.
    if ((message == WM_CTLCOLORSTATIC || message == WM_COMMAND) && lParam != 0) {
        CWnd* child = FromHandlePermanent(reinterpret_cast<HWND>(lParam));
        if (child != nullptr && child != this && child->OnChildNotify(message, wParam, lParam, result))
            return result;
    }
    if (Dispatch(message, wParam, lParam, result)) return result;
    // Commands nobody in the window handled go to the application's table.
    if (message == WM_COMMAND) {
        CWinApp* app = AfxGetApp();
        if (app != nullptr && app->Dispatch(message, wParam, lParam, result)) return result;
    }
    return Default();
}

LRESULT CALLBACK CWnd::StandardWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandlePermanent(hWnd);
    if (wnd == nullptr) return ::DefWindowProcW(hWnd, message, wParam, lParam);

    CurrentMessage saved = wnd->m_Current;
    wnd->m_Current = {message, wParam, lParam};
    LRESULT result = 0;
    if (message == WM_NCDESTROY) {
        // The last message: let the original procedure clean up, then let go.
        result = wnd->Default();
        wnd->UnsubclassWindow();
        try {
            wnd->PostNcDestroy();
        } catch (...) {
        }
        return result;
    }
    // No C++ exception may cross into the window system.
    try {
        result = wnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        result = 0;
    }
    wnd->m_Current = saved;
    return result;
}
