#pragma once
// CWnd: a window handle with the calls the installer uses. A CWnd takes over a
// window by subclassing it; messages then go through the class's routing table
// and otherwise to the window's original procedure.
#include "CmdTarget.h"

#include <string>

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The CWnd that has subclassed the window, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Takes over an existing window. PreSubclassWindow runs after m_hWnd is set
    // and before the first message reaches the routing table.
    bool SubclassWindow(HWND hWnd);
    bool SubclassDlgItem(int id, CWnd* parent);
    HWND UnsubclassWindow();

    virtual BOOL DestroyWindow();

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    BOOL IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }

    void SetWindowText(const std::wstring& text) { ::SetWindowTextW(m_hWnd, text.c_str()); }
    std::wstring GetWindowText() const;
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int show) { return ::ShowWindow(m_hWnd, show); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
        return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
    }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void ClientToScreen(RECT* rect) const;
    void ScreenToClient(POINT* point) const { ::ScreenToClient(m_hWnd, point); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs) { return ::SetTimer(m_hWnd, id, elapseMs, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    // Changes the style bits; with flags, also SetWindowPos(flags | SWP_FRAMECHANGED...) so
    // the frame is redrawn. Returns false if nothing changed.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void SetFont(HFONT font, BOOL redraw = TRUE) {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(redraw, 0));
    }
    int MessageBox(const std::wstring& text, const std::wstring& caption = L"", UINT type = MB_OK) {
        return ::MessageBoxW(m_hWnd, text.c_str(), caption.c_str(), type);
    }

protected:
    // Called once the window is attached and before its messages are routed.
    virtual void PreSubclassWindow() {}
    // Reflection, the routing table, then Default().
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The original procedure's answer to the message being handled now.
    LRESULT Default() { return DefWindowProc(m_Current.message, m_Current.wParam, m_Current.lParam); }
    // The original procedure's answer to any message, bypassing the routing table.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Offers a parent's notification to this child as kReflect | message.
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Called after the window is gone and detached (WM_NCDESTROY).
    virtual void PostNcDestroy() {}

    // Hooks the window procedure; used by SubclassWindow and by the dialog.
    bool Hook(HWND hWnd);
    static LRESULT CALLBACK StandardWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    WNDPROC m_OldProc = nullptr;
    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    CurrentMessage m_Current = {0, 0, 0};
};
