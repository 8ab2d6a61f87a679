#include "HyperLink.h"

#include "WinApp.h"

#include <shellapi.h>

#include <cwchar>
#include <vector>

static constexpr UINT kHoverPeriodMs = 100;
static constexpr int kLeaveRepaintMargin = 10;  // the underline may reach below the client area
// WM_DPICHANGED_AFTERPARENT (Windows 10 1703), newer than the headers' target.
static constexpr UINT kDpiChangedAfterParent = 0x02E3;

const MessageMap* CHyperLink::GetMessageMap() const {
    static const MessageEntry entries[] = {
        OnReflected(WM_CTLCOLORSTATIC, &CHyperLink::OnCtlColor),
        OnMessage(WM_SETCURSOR, &CHyperLink::OnSetCursor),
        OnMessage(WM_MOUSEMOVE, &CHyperLink::OnMouseMove),
        OnMessage(WM_TIMER, &CHyperLink::OnTimer),
        OnReflectedCommand(STN_CLICKED, &CHyperLink::OnClicked),
        OnMessage(WM_ERASEBKGND, &CHyperLink::OnEraseBkgnd),
        OnMessage(WM_PAINT, &CHyperLink::OnPaint),
        OnMessage(WM_SETFOCUS, &CHyperLink::OnFocusCueChanged),
        OnMessage(WM_KILLFOCUS, &CHyperLink::OnFocusCueChanged),
        OnMessage(WM_UPDATEUISTATE, &CHyperLink::OnFocusCueChanged),
        OnMessage(WM_GETDLGCODE, &CHyperLink::OnGetDlgCode),
        OnMessage(WM_KEYDOWN, &CHyperLink::OnKeyDown),
        OnMessage(kDpiChangedAfterParent, &CHyperLink::OnDpiChangedAfterParent),
    };
    static const MessageMap map = MakeMessageMap(CStatic::GetMessageMap(), entries);
    return &map;
}

void CHyperLink::PreSubclassWindow() {
    ModifyStyle(0, SS_NOTIFY);  // so the label reports clicks to its parent
    std::wstring text = GetWindowText();
    if (m_Target.empty()) m_Target = text;
    if (text.empty()) SetWindowText(m_Target);

    CreateFonts(GetFont());
    FitToText();
    LoadHandCursor();
}

void CHyperLink::CreateFonts(HFONT font) {
    if (font == nullptr) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (font == nullptr) font = static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT));
    LOGFONTW logFont = {};
    if (font != nullptr && ::GetObjectW(font, sizeof(logFont), &logFont) != 0) {
        m_PlainFont.CreateFontIndirect(&logFont);
        logFont.lfUnderline = 1;
        m_UnderlinedFont.CreateFontIndirect(&logFont);
    }
}

// The dialog moved to a monitor of another scale and has rescaled its font (and
// given it to its controls): the link's own fonts and size follow. The label
// holds the dialog's font while the old ones are deleted, then the font of its
// state, as SetUnderlineMode and the hover tracking give it.
LRESULT CHyperLink::OnDpiChangedAfterParent(WPARAM, LPARAM) {
    HWND parent = GetParent();
    HFONT dialogFont = parent ? reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
    SetFont(dialogFont, FALSE);
    CreateFonts(dialogFont);
    if (m_UnderlineMode == 1 || (m_UnderlineMode == -1 && m_IsHovering)) {
        SetFont(m_UnderlinedFont, FALSE);
    } else if (m_UnderlineMode != -1) {
        SetFont(m_PlainFont, FALSE);
    }
    FitToText();
    Invalidate(TRUE);
    return Default();
}

void CHyperLink::SetTarget(const std::wstring& target) {
    m_Target = target;
    if (m_hWnd != nullptr) FitToText();
}

void CHyperLink::MarkVisited(BOOL visited) {
    m_IsVisited = visited;
    if (m_hWnd != nullptr) Invalidate(TRUE);
}

void CHyperLink::SetUnderlineMode(int mode) {
    if (mode == m_UnderlineMode) return;
    if (m_hWnd != nullptr) {
        SetFont(mode == 1 ? m_UnderlinedFont : m_PlainFont, TRUE);
        Invalidate(TRUE);
    }
    m_UnderlineMode = mode;
}

void CHyperLink::FitToText() {
    if (m_hWnd == nullptr || !m_AutoFit) return;
    RECT window;
    RECT client;
    GetWindowRect(&window);
    GetClientRect(&client);
    ClientToScreen(&client);
    HWND parent = GetParent();
    if (parent != nullptr) {
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&client), 2);
    }

    std::wstring text = GetWindowText();
    SIZE extent = {0, 0};
    HDC dc = ::GetDC(m_hWnd);
    if (dc == nullptr) return;
    HGDIOBJ previous = ::SelectObject(dc, m_UnderlinedFont.GetSafeHandle());
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, previous);
    ::ReleaseDC(m_hWnd, dc);

    const LONG windowWidth = window.right - window.left;
    const LONG windowHeight = window.bottom - window.top;
    const LONG width = extent.cx + (windowWidth - (client.right - client.left));
    const LONG height = extent.cy + (windowHeight - (client.bottom - client.top));

    const DWORD style = GetStyle();
    if (style & SS_CENTERIMAGE) {
        const LONG shrink = (windowHeight - height) / 2;
        window.top += shrink;
        window.bottom -= shrink;
    } else {
        window.bottom = window.top + height;
    }
    if (style & SS_CENTER) {
        const LONG shrink = (windowWidth - width) / 2;
        window.left += shrink;
        window.right -= shrink;
    } else if (style & SS_RIGHT) {
        window.left = window.right - width;
    } else {
        window.right = window.left + width;
    }
    SetWindowPos(nullptr, window.left, window.top, window.right - window.left, window.bottom - window.top,
                 SWP_NOZORDER);
}

void CHyperLink::LoadHandCursor() {
    if (m_hHandCursor == nullptr) m_hHandCursor = ::LoadCursorW(nullptr, IDC_HAND);
}

BOOL CHyperLink::DestroyWindow() {
    KillTimer(static_cast<UINT_PTR>(m_HoverTimerId));
    return CStatic::DestroyWindow();
}

LRESULT CHyperLink::OnCtlColor(WPARAM wParam, LPARAM) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    COLORREF colour = m_IsHovering ? m_TextColourHover : m_IsVisited ? m_TextColourVisited : m_TextColourNew;
    ::SetTextColor(dc, colour);
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

LRESULT CHyperLink::OnSetCursor(WPARAM, LPARAM) {
    if (m_hHandCursor == nullptr) return FALSE;
    ::SetCursor(m_hHandCursor);
    return TRUE;
}

LRESULT CHyperLink::OnMouseMove(WPARAM, LPARAM) {
    if (!m_IsHovering) {
        m_IsHovering = TRUE;
        if (m_UnderlineMode == -1) SetFont(m_UnderlinedFont, TRUE);
        Invalidate(TRUE);
        SetTimer(static_cast<UINT_PTR>(m_HoverTimerId), kHoverPeriodMs);
    }
    return Default();
}

LRESULT CHyperLink::OnTimer(WPARAM, LPARAM) {
    DWORD position = ::GetMessagePos();
    POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ScreenToClient(&point);
    RECT client;
    GetClientRect(&client);
    if (!::PtInRect(&client, point)) {
        m_IsHovering = FALSE;
        KillTimer(static_cast<UINT_PTR>(m_HoverTimerId));
        if (m_UnderlineMode != 1) SetFont(m_PlainFont, TRUE);
        client.bottom += kLeaveRepaintMargin;
        InvalidateRect(&client, TRUE);
    }
    return Default();
}

LRESULT CHyperLink::OnClicked(WPARAM, LPARAM) {
    Follow();
    return 0;
}

void CHyperLink::Follow() {
    m_IsHovering = FALSE;
    int result = OpenTarget(m_Target, SW_SHOW);
    m_IsVisited = Opened(result);
    if (m_IsVisited) {
        MarkVisited(TRUE);
    } else {
        ::MessageBeep(MB_ICONEXCLAMATION);
        ShowOpenError(result);
    }
}

LRESULT CHyperLink::OnEraseBkgnd(WPARAM wParam, LPARAM) {
    RECT client;
    GetClientRect(&client);
    ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
}

// The focus rectangle follows the system's rule for every control: shown while
// the link has the focus, unless the window hides focus cues (mouse-only use).
bool CHyperLink::ShowsFocus() const {
    return ::GetFocus() == m_hWnd && (SendMessage(WM_QUERYUISTATE) & UISF_HIDEFOCUS) == 0;
}

LRESULT CHyperLink::OnPaint(WPARAM, LPARAM) {
    if (!ShowsFocus()) return Default();
    // The label paints itself into the paint context, so the rectangle is drawn
    // over exactly what was just painted and never toggled twice.
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    DefWindowProc(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    RECT client;
    GetClientRect(&client);
    ::DrawFocusRect(dc, &client);
    ::EndPaint(m_hWnd, &paint);
    return 0;
}

LRESULT CHyperLink::OnFocusCueChanged(WPARAM, LPARAM) {
    Invalidate(TRUE);
    return Default();
}

// Enter opens the focused link; without this the dialog would take it as its
// default command.
LRESULT CHyperLink::OnGetDlgCode(WPARAM wParam, LPARAM lParam) {
    LRESULT code = Default();
    if (wParam == VK_RETURN && lParam != 0) code |= DLGC_WANTMESSAGE;
    return code;
}

LRESULT CHyperLink::OnKeyDown(WPARAM wParam, LPARAM lParam) {
    const bool repeated = (lParam & (1 << 30)) != 0;  // a held key opens the link once
    if ((wParam != VK_RETURN && wParam != VK_SPACE) || repeated) return Default();
    Follow();
    return 0;
}

LONG CHyperLink::ReadClassesRootDefault(HKEY root, const wchar_t* subKey, wchar_t* out, size_t outCapacity) {
    HKEY key = nullptr;
    LONG status = ::RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS) return status;
    wchar_t value[MAX_PATH] = {};
    LONG size = sizeof(value);
    status = ::RegQueryValueW(key, nullptr, value, &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) return status;
    // The stored string need not carry its own terminator.
    size_t length = wcsnlen(value, MAX_PATH);
    if (length == MAX_PATH) return ERROR_MORE_DATA;
    if (length + 1 > outCapacity) return ERROR_INSUFFICIENT_BUFFER;
    wmemcpy(out, value, length + 1);
    return ERROR_SUCCESS;
}

LONG CHyperLink::BuildFallbackCommand(const std::wstring& target, wchar_t (&command)[kCommandCapacity]) {
    command[0] = L'\0';
    LONG status = ReadClassesRootDefault(HKEY_CLASSES_ROOT, L".htm", command, kCommandCapacity);
    if (status != ERROR_SUCCESS) return status;

    static const wchar_t kOpenCommand[] = L"\\shell\\open\\command";
    size_t length = wcslen(command);
    if (length + wcslen(kOpenCommand) + 1 > kCommandCapacity) {
        command[0] = L'\0';
        return ERROR_INSUFFICIENT_BUFFER;
    }
    wmemcpy(command + length, kOpenCommand, wcslen(kOpenCommand) + 1);
    status = ReadClassesRootDefault(HKEY_CLASSES_ROOT, command, command, kCommandCapacity);
    if (status != ERROR_SUCCESS) {
        command[0] = L'\0';
        return status;
    }

    wchar_t* placeholder = wcsstr(command, L"\"%1\"");
    if (placeholder == nullptr) placeholder = wcsstr(command, L"%1");
    if (placeholder != nullptr) *placeholder = L'\0';

    length = wcslen(command);
    if (length + 1 + target.size() + 1 > kCommandCapacity) {
        command[0] = L'\0';
        return ERROR_INSUFFICIENT_BUFFER;
    }
    command[length] = L' ';
    wmemcpy(command + length + 1, target.c_str(), target.size() + 1);
    return ERROR_SUCCESS;
}

int CHyperLink::OpenTarget(const std::wstring& target, int showCommand) {
    int result = static_cast<int>(reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, showCommand)));
    if (Opened(result)) return result;

    wchar_t command[kCommandCapacity];
    LONG status = BuildFallbackCommand(target, command);
    if (status == ERROR_INSUFFICIENT_BUFFER) return SE_ERR_OOM;
    if (status != ERROR_SUCCESS) return result;

    int bytes = ::WideCharToMultiByte(CP_ACP, 0, command, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return result;
    std::vector<char> narrow(static_cast<size_t>(bytes));
    ::WideCharToMultiByte(CP_ACP, 0, command, -1, narrow.data(), bytes, nullptr, nullptr);
    return static_cast<int>(::WinExec(narrow.data(), static_cast<UINT>(showCommand)));
}

namespace {
// `text` with its %1 replaced by `insert`.
std::wstring WithInsert(std::wstring text, const std::wstring& insert) {
    const size_t at = text.find(L"%1");
    return at == std::wstring::npos ? text : text.replace(at, 2, insert);
}
}  // namespace

std::wstring CHyperLink::OpenErrorText(int code) const {
    const auto reason = m_OpenErrorWords.reasons.find(code);
    return WithInsert(m_OpenErrorWords.failed,
                      reason != m_OpenErrorWords.reasons.end()
                          ? reason->second
                          : WithInsert(m_OpenErrorWords.unknown, std::to_wstring(code)));
}

void CHyperLink::ShowOpenError(int code) const {
    AfxMessageBox(OpenErrorText(code), MB_ICONEXCLAMATION | MB_OK);
}
