// CHyperLink in a test window of its own: attach, fitting, colours, underline
// and hover with real pointer moves and timers, the ".htm" fallback command
// against the prefix's HKEY_CLASSES_ROOT, and the error box.
#include <gtest/gtest.h>

#include "HyperLink.h"
#include "TestWindows.h"
#include "WinApp.h"

#include <shellapi.h>

#include <cstring>
#include <string>

namespace {

constexpr int kLinkId = 110;
constexpr COLORREF kNew = RGB(0, 0, 238);
constexpr COLORREF kVisited = RGB(85, 26, 139);
constexpr COLORREF kHover = RGB(255, 0, 0);
const wchar_t kPrefix[] = L"Unable to open hyperlink:\n\n";

class CHyperLinkFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_hParent = CreateTestParent(m_Parent, 100, 100, 400, 200);
        ASSERT_NE(m_hParent, nullptr);
        LOGFONTW logFont = {};
        logFont.lfHeight = -16;
        wcscpy(logFont.lfFaceName, L"Tahoma");
        m_hFont = CreateFontIndirectW(&logFont);
        ASSERT_NE(m_hFont, nullptr);
    }
    void TearDown() override {
        if (m_hParent != nullptr && IsWindow(m_hParent)) DestroyWindow(m_hParent);
        DeleteObject(m_hFont);
    }

    // A static label of the parent, with the test's font, bound to m_Link.
    HWND Attach(const wchar_t* text, DWORD style, int x = 20, int y = 20, int width = 200, int height = 40) {
        HWND label =
            CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, m_hParent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLinkId)), nullptr, nullptr);
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
        EXPECT_TRUE(m_Link.SubclassWindow(label));
        return label;
    }

    RECT RectInParent() const {
        RECT rect;
        GetWindowRect(m_Link, &rect);
        MapWindowPoints(nullptr, m_hParent, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    // Text extent of the label in the test's font with underline, plus the border.
    SIZE ExpectedSize() const {
        LOGFONTW logFont = {};
        GetObjectW(m_hFont, sizeof(logFont), &logFont);
        logFont.lfUnderline = 1;
        HFONT underlined = CreateFontIndirectW(&logFont);
        std::wstring text = m_Link.GetWindowText();
        HDC dc = GetDC(m_Link);
        HGDIOBJ old = SelectObject(dc, underlined);
        SIZE extent = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(dc, old);
        ReleaseDC(m_Link, dc);
        DeleteObject(underlined);
        RECT window, client;
        GetWindowRect(m_Link, &window);
        GetClientRect(m_Link, &client);
        return {extent.cx + (window.right - window.left) - client.right,
                extent.cy + (window.bottom - window.top) - client.bottom};
    }

    // The colour the label would paint with now, asked the way the control asks.
    COLORREF PaintColour() {
        HDC dc = CreateCompatibleDC(nullptr);
        SetTextColor(dc, RGB(9, 9, 9));
        LRESULT brush = SendMessageW(m_hParent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(m_Link.m_hWnd));
        EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
        COLORREF colour = GetTextColor(dc);
        DeleteDC(dc);
        return colour;
    }

    bool Underlined() const {
        LOGFONTW logFont = {};
        HFONT font = m_Link.GetFont();
        return font != nullptr && GetObjectW(font, sizeof(logFont), &logFont) != 0 &&
               logFont.lfUnderline != 0;
    }

    // Puts the pointer on the label's centre and lets it see the move.
    void PointerOnLink() {
        RECT rect;
        GetWindowRect(m_Link, &rect);
        SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        RECT client;
        GetClientRect(m_Link, &client);
        PostMessageW(m_Link, WM_MOUSEMOVE, 0, MAKELPARAM(client.right / 2, client.bottom / 2));
        PumpMessages(30);
    }

    void PointerAway() { SetCursorPos(5, 5); }

    CWnd m_Parent;
    HWND m_hParent = nullptr;
    HFONT m_hFont = nullptr;
    CHyperLink m_Link;
};

TEST_F(CHyperLinkFixture, AttachTakesTextAsTargetAndAddsNotify) {
    Attach(L"Charityware", SS_LEFT);
    EXPECT_EQ(m_Link.GetTarget(), L"Charityware");
    EXPECT_NE(m_Link.GetStyle() & SS_NOTIFY, 0u);
    EXPECT_EQ(m_Link.GetFont(), m_hFont);  // the label keeps its font until hovered
    EXPECT_EQ(PaintColour(), kNew);
}

TEST_F(CHyperLinkFixture, AttachShowsTargetWhenTextEmpty) {
    m_Link.SetTarget(L"https://example.org/index.php#Charityware");
    Attach(L"", SS_LEFT);
    EXPECT_EQ(m_Link.GetWindowText(), L"https://example.org/index.php#Charityware");
}

TEST_F(CHyperLinkFixture, FitsLeftLabel) {
    Attach(L"Charityware", SS_LEFT | WS_BORDER, 20, 20, 201, 41);
    SIZE expected = ExpectedSize();
    RECT rect = RectInParent();
    EXPECT_EQ(rect.left, 20);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right - rect.left, expected.cx);
    EXPECT_EQ(rect.bottom - rect.top, expected.cy);
}

TEST_F(CHyperLinkFixture, FitsCentredLabel) {
    Attach(L"Charityware", SS_CENTER | WS_BORDER, 20, 20, 201, 41);
    SIZE expected = ExpectedSize();
    RECT rect = RectInParent();
    LONG shrink = (201 - expected.cx) / 2;
    EXPECT_EQ(rect.left, 20 + shrink);
    EXPECT_EQ(rect.right, 221 - shrink);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.bottom - rect.top, expected.cy);
}

TEST_F(CHyperLinkFixture, FitsRightLabel) {
    Attach(L"Charityware", SS_RIGHT | WS_BORDER, 20, 20, 201, 41);
    SIZE expected = ExpectedSize();
    RECT rect = RectInParent();
    EXPECT_EQ(rect.right, 221);
    EXPECT_EQ(rect.left, 221 - expected.cx);
}

TEST_F(CHyperLinkFixture, FitsCentredImageLabelAroundVerticalCentre) {
    Attach(L"Charityware", SS_LEFT | SS_CENTERIMAGE | WS_BORDER, 20, 20, 201, 41);
    SIZE expected = ExpectedSize();
    RECT rect = RectInParent();
    LONG shrink = (41 - expected.cy) / 2;
    EXPECT_EQ(rect.top, 20 + shrink);
    EXPECT_EQ(rect.bottom, 61 - shrink);
    EXPECT_EQ(rect.left, 20);
}

TEST_F(CHyperLinkFixture, FitGrowsSmallLabel) {
    Attach(L"Charityware", SS_LEFT, 20, 20, 5, 3);
    SIZE expected = ExpectedSize();
    RECT rect = RectInParent();
    EXPECT_EQ(rect.right - rect.left, expected.cx);
    EXPECT_EQ(rect.bottom - rect.top, expected.cy);
}

TEST_F(CHyperLinkFixture, SetTargetRefitsToNewText) {
    Attach(L"", SS_LEFT);
    m_Link.SetWindowText(L"A much longer label text");
    m_Link.SetTarget(L"https://example.org/index.php#Charityware");
    RECT rect = RectInParent();
    EXPECT_EQ(rect.right - rect.left, ExpectedSize().cx);
}

TEST_F(CHyperLinkFixture, HoverUnderlinesAndLeavingRestoresWithinOnePeriod) {
    Attach(L"Charityware", SS_LEFT);
    PointerOnLink();
    EXPECT_TRUE(Underlined());
    EXPECT_EQ(PaintColour(), kHover);

    // Timer ticks while the pointer stays on the label change nothing.
    PumpMessages(250);
    EXPECT_TRUE(Underlined());
    EXPECT_EQ(PaintColour(), kHover);

    PointerAway();
    long took = PumpUntil(1000, [&] { return !Underlined(); });
    ASSERT_GE(took, 0) << "the label stayed underlined after the pointer left";
    EXPECT_LE(took, 100 + 60);  // one timer period plus scheduling slack
    EXPECT_EQ(PaintColour(), kNew);
    // The plain font is the control's own copy of the label's font.
    EXPECT_NE(m_Link.GetFont(), m_hFont);
}

TEST_F(CHyperLinkFixture, AlwaysUnderlinedModeStaysUnderlined) {
    Attach(L"Charityware", SS_LEFT);
    m_Link.SetUnderlineMode(1);
    EXPECT_TRUE(Underlined());
    PointerOnLink();
    EXPECT_EQ(PaintColour(), kHover);
    PointerAway();
    ASSERT_GE(PumpUntil(1000, [&] { return PaintColour() == kNew; }), 0);
    EXPECT_TRUE(Underlined());
}

TEST_F(CHyperLinkFixture, NeverUnderlinedModeShowsPlainFont) {
    Attach(L"Charityware", SS_LEFT);
    m_Link.SetUnderlineMode(0);
    EXPECT_NE(m_Link.GetFont(), m_hFont);
    EXPECT_FALSE(Underlined());
    PointerOnLink();
    EXPECT_FALSE(Underlined());
    EXPECT_EQ(PaintColour(), kHover);
}

TEST_F(CHyperLinkFixture, SetUnderlineModeWithCurrentModeChangesNothing) {
    Attach(L"Charityware", SS_LEFT);
    m_Link.SetUnderlineMode(-1);
    EXPECT_EQ(m_Link.GetFont(), m_hFont);
    m_Link.SetUnderlineMode(1);
    HFONT underlined = m_Link.GetFont();
    m_Link.SetWindowText(L"x");  // any font swap would show in the handle, not the text
    m_Link.SetUnderlineMode(1);
    EXPECT_EQ(m_Link.GetFont(), underlined);
}

TEST_F(CHyperLinkFixture, MarkVisitedPaintsVisitedColour) {
    Attach(L"Charityware", SS_LEFT);
    m_Link.MarkVisited(TRUE);
    EXPECT_EQ(PaintColour(), kVisited);
    m_Link.MarkVisited(FALSE);
    EXPECT_EQ(PaintColour(), kNew);
}

TEST_F(CHyperLinkFixture, ShowsHandCursor) {
    Attach(L"Charityware", SS_LEFT);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(SendMessageW(m_Link, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_Link.m_hWnd),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(CHyperLinkFixture, ErasesWithButtonFace) {
    Attach(L"Charityware", SS_LEFT);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 50, 50);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 50, 50};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(SendMessageW(m_Link, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), TRUE);
    EXPECT_EQ(GetPixel(dc, 1, 1), GetSysColor(COLOR_BTNFACE));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

// Wine keeps no focus-cue state: its DefWindowProc ignores WM_CHANGEUISTATE and
// WM_UPDATEUISTATE and answers WM_QUERYUISTATE with 0. So the link is made to
// answer for itself, as Windows answers for a window that hides focus cues.
WNDPROC s_LinkProc = nullptr;
LRESULT CALLBACK HidingFocusCues(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYUISTATE) return UISF_HIDEFOCUS;
    return CallWindowProcW(s_LinkProc, hWnd, message, wParam, lParam);
}

TEST_F(CHyperLinkFixture, FocusRectangleOnlyWhileFocused) {
    Attach(L"Charityware", SS_LEFT | WS_TABSTOP);
    auto dots = [&] {  // on the top row, above the text
        UpdateWindow(m_Link);
        HDC dc = GetDC(m_Link);
        int n = 0;
        for (int x = 0; x < 20; ++x) n += GetPixel(dc, x, 0) != GetSysColor(COLOR_BTNFACE);
        ReleaseDC(m_Link, dc);
        return n;
    };
    EXPECT_EQ(dots(), 0);
    SetFocus(m_Link);
    EXPECT_GT(dots(), 0);
    // Where the window hides focus cues (mouse-only use), the link shows none either.
    s_LinkProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_Link, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HidingFocusCues)));
    SendMessageW(m_Link, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    EXPECT_EQ(dots(), 0);
    SetWindowLongPtrW(m_Link, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_LinkProc));
    SendMessageW(m_Link, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    EXPECT_GT(dots(), 0);
    SetFocus(m_hParent);
    EXPECT_EQ(dots(), 0);
}

TEST_F(CHyperLinkFixture, DestroyWindowStopsHoverTimer) {
    Attach(L"Charityware", SS_LEFT);
    PointerOnLink();
    EXPECT_TRUE(m_Link.DestroyWindow());
    EXPECT_EQ(m_Link.m_hWnd, nullptr);
    PumpMessages(150);  // no timer message may reach the gone window
}

// ".htm" pointed at a class of the test's own in the prefix's HKEY_CLASSES_ROOT,
// restored afterwards.
class FallbackCommand : public ::testing::Test {
protected:
    static constexpr const wchar_t* kClass = L"VantrelleTest.htmfile";

    void SetUp() override {
        wchar_t old[MAX_PATH] = {};
        LONG size = sizeof(old);
        m_HadHtm = RegQueryValueW(HKEY_CLASSES_ROOT, L".htm", old, &size) == ERROR_SUCCESS;
        m_OldHtm = old;
        ASSERT_EQ(SetDefault(L".htm", kClass), ERROR_SUCCESS);
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kClass);
        if (m_HadHtm)
            SetDefault(L".htm", m_OldHtm);
        else
            RegDeleteTreeW(HKEY_CLASSES_ROOT, L".htm");
    }
    static LONG SetDefault(const std::wstring& path, const std::wstring& value) {
        HKEY key = nullptr;
        LONG status = RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                      &key, nullptr);
        if (status != ERROR_SUCCESS) return status;
        status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        return status;
    }
    static LONG SetCommand(const std::wstring& command) {
        return SetDefault(std::wstring(kClass) + L"\\shell\\open\\command", command);
    }

    // The command buffer with a guard behind it, to see any write past its end.
    struct Guarded {
        wchar_t command[CHyperLink::kCommandCapacity];
        wchar_t guard[32];
    };
    static void Fill(Guarded& g) {
        wmemset(g.command, L'#', CHyperLink::kCommandCapacity);
        wmemset(g.guard, L'G', 32);
    }
    static bool GuardIntact(const Guarded& g) {
        for (wchar_t c : g.guard)
            if (c != L'G') return false;
        return true;
    }

    bool m_HadHtm = false;
    std::wstring m_OldHtm;
};

TEST_F(FallbackCommand, QuotedPlaceholderIsCutAtItsQuote) {
    ASSERT_EQ(SetCommand(L"\"C:\\Browser\\browser.exe\" -url \"%1\" -tail"), ERROR_SUCCESS);
    Guarded g;
    Fill(g);
    EXPECT_EQ(CHyperLink::BuildFallbackCommand(L"https://example.org/index.php#Charityware", g.command), 0);
    EXPECT_STREQ(g.command, L"\"C:\\Browser\\browser.exe\" -url  https://example.org/index.php#Charityware");
}

TEST_F(FallbackCommand, BarePlaceholderIsCutAtPercent) {
    ASSERT_EQ(SetCommand(L"C:\\Browser\\browser.exe -url %1 -tail"), ERROR_SUCCESS);
    Guarded g;
    Fill(g);
    EXPECT_EQ(CHyperLink::BuildFallbackCommand(L"https://x/index.php", g.command), 0);
    EXPECT_STREQ(g.command, L"C:\\Browser\\browser.exe -url  https://x/index.php");
}

TEST_F(FallbackCommand, NoPlaceholderAppendsTarget) {
    ASSERT_EQ(SetCommand(L"C:\\Browser\\browser.exe"), ERROR_SUCCESS);
    Guarded g;
    Fill(g);
    EXPECT_EQ(CHyperLink::BuildFallbackCommand(L"https://x/index.php", g.command), 0);
    EXPECT_STREQ(g.command, L"C:\\Browser\\browser.exe https://x/index.php");
}

TEST_F(FallbackCommand, CommandThatJustFitsIsBuilt) {
    std::wstring command(MAX_PATH - 1, L'c');  // the longest value the read accepts
    std::wstring target(CHyperLink::kCommandCapacity - command.size() - 2, L't');
    ASSERT_EQ(SetCommand(command), ERROR_SUCCESS);
    Guarded g;
    Fill(g);
    EXPECT_EQ(CHyperLink::BuildFallbackCommand(target, g.command), 0);
    EXPECT_EQ(wcslen(g.command), CHyperLink::kCommandCapacity - 1);
    EXPECT_EQ(std::wstring(g.command), command + L" " + target);
    EXPECT_TRUE(GuardIntact(g));
}

TEST_F(FallbackCommand, OverlongCommandIsAnErrorNotAnOverrun) {
    std::wstring command(MAX_PATH - 1, L'c');
    std::wstring target(CHyperLink::kCommandCapacity - command.size() - 1, L't');  // one unit too many
    ASSERT_EQ(SetCommand(command), ERROR_SUCCESS);
    Guarded g;
    Fill(g);
    EXPECT_EQ(CHyperLink::BuildFallbackCommand(target, g.command), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(g.command[0], L'\0');
    EXPECT_TRUE(GuardIntact(g));
}

TEST_F(FallbackCommand, OverlongRegistryValueIsAReadError) {
    ASSERT_EQ(SetCommand(std::wstring(1000, L'c')), ERROR_SUCCESS);
    Guarded g;
    Fill(g);
    EXPECT_NE(CHyperLink::BuildFallbackCommand(L"https://x/index.php", g.command), 0);
    EXPECT_TRUE(GuardIntact(g));
}

TEST_F(FallbackCommand, ReadClassesRootDefaultReadsDefaultValue) {
    wchar_t out[CHyperLink::kCommandCapacity] = {};
    EXPECT_EQ(
        CHyperLink::ReadClassesRootDefault(HKEY_CLASSES_ROOT, L".htm", out, CHyperLink::kCommandCapacity), 0);
    EXPECT_STREQ(out, kClass);
    EXPECT_EQ(CHyperLink::ReadClassesRootDefault(HKEY_CLASSES_ROOT, L"VantrelleTest.no-such-class", out,
                                                 CHyperLink::kCommandCapacity),
              ERROR_FILE_NOT_FOUND);
}

const wchar_t kMissingTarget[] = L"C:\\vantrelle-no-such-folder\\no-such-file.vtlk";

TEST_F(FallbackCommand, OpenTargetReportsOverlongFallbackAsOutOfMemory) {
    ASSERT_EQ(SetCommand(std::wstring(MAX_PATH - 1, L'c')), ERROR_SUCCESS);
    std::wstring target = std::wstring(kMissingTarget) + std::wstring(300, L'x');
    EXPECT_EQ(CHyperLink::OpenTarget(target, SW_SHOW), SE_ERR_OOM);
}

TEST_F(FallbackCommand, OpenTargetWithoutUsableClassReportsShellResult) {
    // ".htm" names the test's class, which has no open command.
    int result = CHyperLink::OpenTarget(kMissingTarget, SW_SHOW);
    int shell = static_cast<int>(reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", kMissingTarget, nullptr, nullptr, SW_SHOW)));
    EXPECT_LE(shell, 32);
    EXPECT_EQ(result, shell);
}

TEST_F(FallbackCommand, FailedClickBeepsShowsErrorAndClearsVisited) {
    ASSERT_EQ(SetCommand(std::wstring(MAX_PATH - 1, L'c')), ERROR_SUCCESS);
    CWnd parent;
    HWND hParent = CreateTestParent(parent, 100, 100, 300, 100);
    HWND label =
        CreateWindowExW(0, L"STATIC", L"Charityware", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, hParent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLinkId)), nullptr, nullptr);
    CHyperLink link;
    ASSERT_TRUE(link.SubclassWindow(label));
    CHyperLink::OpenErrorWords words;
    words.reasons[SE_ERR_OOM] = L"There was not enough memory to complete the operation.";
    link.SetOpenErrorWords(words);
    link.SetTarget(std::wstring(kMissingTarget) + std::wstring(300, L'x'));
    link.MarkVisited(TRUE);

    std::wstring text = ReadAndCloseMessageBox(kProgramName, [&] {
        SendMessageW(hParent, WM_COMMAND, MAKEWPARAM(kLinkId, STN_CLICKED), reinterpret_cast<LPARAM>(label));
    });
    EXPECT_EQ(text, std::wstring(kPrefix) + L"There was not enough memory to complete the operation.");
    for (WPARAM key : {VK_RETURN, VK_SPACE}) {  // the keys open it as the click does, with the same box
        EXPECT_EQ(text,
                  ReadAndCloseMessageBox(kProgramName, [&] { SendMessageW(label, WM_KEYDOWN, key, 1); }));
        // Held down, the key repeats (bit 30: it was down already): no second open, no box.
        EXPECT_EQ(L"", ReadAndCloseMessageBox(kProgramName,
                                              [&] { SendMessageW(label, WM_KEYDOWN, key, 0x40000001); }));
    }

    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(hParent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(GetTextColor(dc), kNew);
    DeleteDC(dc);
    DestroyWindow(hParent);
}

TEST(OpenError, SuccessIsAboveThirtyTwo) {
    EXPECT_FALSE(CHyperLink::Opened(32));  // SE_ERR_DLLNOTFOUND
    EXPECT_TRUE(CHyperLink::Opened(33));
}

// The box says what its owner gives it, for a code it names a reason for and any other.
TEST(OpenError, TheOwnersWords) {
    CHyperLink link;
    EXPECT_EQ(std::wstring(kPrefix) + L"Unknown Error (26) occurred.", link.OpenErrorText(26))
        << "before any";
    link.SetOpenErrorWords({L"Der Link geht nicht:\n%1", {{26, L"Freigabeverletzung."}}, L"Fehler %1."});
    EXPECT_EQ(L"Der Link geht nicht:\nFreigabeverletzung.",
              ReadAndCloseMessageBox(kProgramName, [&] { link.ShowOpenError(26); }));
    EXPECT_EQ(L"Der Link geht nicht:\nFehler -7.", link.OpenErrorText(-7));
}

}  // namespace
