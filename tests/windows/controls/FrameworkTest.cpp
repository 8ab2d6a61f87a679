// The framework over real windows: routing tables, reflection to the child
// control, dialog data exchange, the wait cursor, the exception boundary.
#include <gtest/gtest.h>

#include "Framework.h"
#include "TestDialog.h"
#include "TestWindows.h"

namespace {

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kBaseOnly = WM_APP + 2;
constexpr UINT kThrow = WM_APP + 3;

class CBaseTarget : public CWnd {
public:
    int m_BaseCalls = 0;

protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageEntry entries[] = {
            OnMessage(kPing, &CBaseTarget::OnBasePing),
            OnMessage(kBaseOnly, &CBaseTarget::OnBaseOnly),
        };
        static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
        return &map;
    }
    LRESULT OnBasePing(WPARAM, LPARAM) { return 1; }
    LRESULT OnBaseOnly(WPARAM wParam, LPARAM) {
        ++m_BaseCalls;
        return static_cast<LRESULT>(wParam) * 2;
    }
};

class CDerivedTarget : public CBaseTarget {
public:
    WPARAM m_LastCommand = 0;

protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageEntry entries[] = {
            OnMessage(kPing, &CDerivedTarget::OnPing),
            OnCommand(BN_CLICKED, 5, &CDerivedTarget::OnFiveClicked),
            OnMessage(kThrow, &CDerivedTarget::OnThrow),
        };
        static const MessageMap map = MakeMessageMap(CBaseTarget::GetMessageMap(), entries);
        return &map;
    }
    LRESULT OnPing(WPARAM, LPARAM) { return 2; }
    LRESULT OnFiveClicked(WPARAM wParam, LPARAM) {
        m_LastCommand = wParam;
        return 0;
    }
    LRESULT OnThrow(WPARAM, LPARAM) { AfxThrowMemoryException(); }
};

struct WindowGuard {
    HWND hWnd;
    ~WindowGuard() {
        if (hWnd != nullptr && IsWindow(hWnd)) DestroyWindow(hWnd);
    }
};

TEST(Routing, MostDerivedEntryWins) {
    CDerivedTarget target;
    WindowGuard guard{CreateTestParent(target, 10, 10, 100, 100)};
    ASSERT_NE(guard.hWnd, nullptr);
    EXPECT_EQ(SendMessageW(guard.hWnd, kPing, 0, 0), 2);
}

TEST(Routing, BaseTableAnswersWhatDerivedDoesNot) {
    CDerivedTarget target;
    WindowGuard guard{CreateTestParent(target, 10, 10, 100, 100)};
    EXPECT_EQ(SendMessageW(guard.hWnd, kBaseOnly, 21, 0), 42);
    EXPECT_EQ(target.m_BaseCalls, 1);
}

TEST(Routing, CommandMatchesCodeAndId) {
    CDerivedTarget target;
    WindowGuard guard{CreateTestParent(target, 10, 10, 100, 100)};
    SendMessageW(guard.hWnd, WM_COMMAND, MAKEWPARAM(6, BN_CLICKED), 0);
    EXPECT_EQ(target.m_LastCommand, 0u);
    SendMessageW(guard.hWnd, WM_COMMAND, MAKEWPARAM(5, BN_SETFOCUS), 0);
    EXPECT_EQ(target.m_LastCommand, 0u);
    SendMessageW(guard.hWnd, WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), 0);
    EXPECT_EQ(target.m_LastCommand, MAKEWPARAM(5, BN_CLICKED));
}

TEST(Routing, UnlistedMessageGetsOriginalProcedure) {
    CDerivedTarget target;
    WindowGuard guard{CreateTestParent(target, 10, 10, 100, 100)};
    wchar_t text[64] = {};
    // WM_GETTEXT is in no table: DefWindowProc answers with the caption.
    SendMessageW(guard.hWnd, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"Hyperlink test");
    EXPECT_EQ(target.GetWindowText(), L"Hyperlink test");
}

TEST(Routing, ExceptionStopsAtWindowProcedure) {
    CDerivedTarget target;
    WindowGuard guard{CreateTestParent(target, 10, 10, 100, 100)};
    EXPECT_EQ(SendMessageW(guard.hWnd, kThrow, 0, 0), 0);
    EXPECT_EQ(SendMessageW(guard.hWnd, kPing, 0, 0), 2);  // still routed afterwards
}

TEST(Routing, DestroyDetachesWrapper) {
    CDerivedTarget target;
    HWND hWnd = CreateTestParent(target, 10, 10, 100, 100);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), &target);
    EXPECT_TRUE(target.DestroyWindow());
    EXPECT_EQ(target.m_hWnd, nullptr);
}

class CReflectingStatic : public CStatic {
public:
    int m_ColourCalls = 0;
    int m_Clicks = 0;

protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageEntry entries[] = {
            OnReflected(WM_CTLCOLORSTATIC, &CReflectingStatic::OnColour),
            OnReflectedCommand(STN_CLICKED, &CReflectingStatic::OnClicked),
        };
        static const MessageMap map = MakeMessageMap(CStatic::GetMessageMap(), entries);
        return &map;
    }
    LRESULT OnColour(WPARAM wParam, LPARAM) {
        ++m_ColourCalls;
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(1, 2, 3));
        return reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH));
    }
    LRESULT OnClicked(WPARAM, LPARAM) {
        ++m_Clicks;
        return 0;
    }
};

class CCountingParent : public CWnd {
public:
    int m_Commands = 0;

protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageEntry entries[] = {OnCommand(STN_CLICKED, 0, &CCountingParent::OnAnyClick)};
        static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
        return &map;
    }
    LRESULT OnAnyClick(WPARAM, LPARAM) {
        ++m_Commands;
        return 0;
    }
};

TEST(Reflection, PaintColourReachesChild) {
    CCountingParent parent;
    WindowGuard guard{CreateTestParent(parent, 10, 10, 200, 100)};
    HWND label = CreateWindowExW(0, L"STATIC", L"Label", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 5, 5, 100, 20,
                                 guard.hWnd, reinterpret_cast<HMENU>(7), nullptr, nullptr);
    CReflectingStatic child;
    ASSERT_TRUE(child.SubclassWindow(label));
    // The static control asks its parent for colours while it paints itself.
    InvalidateRect(label, nullptr, TRUE);
    UpdateWindow(label);
    EXPECT_GE(child.m_ColourCalls, 1);

    HDC dc = CreateCompatibleDC(nullptr);
    LRESULT brush = SendMessageW(guard.hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH)));
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
    DeleteDC(dc);
}

TEST(Reflection, ClickReachesChildBeforeParent) {
    CCountingParent parent;
    WindowGuard guard{CreateTestParent(parent, 10, 10, 200, 100)};
    HWND label = CreateWindowExW(0, L"STATIC", L"Label", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 5, 5, 100, 20,
                                 guard.hWnd, reinterpret_cast<HMENU>(7), nullptr, nullptr);
    CReflectingStatic child;
    ASSERT_TRUE(child.SubclassWindow(label));
    SendMessageW(guard.hWnd, WM_COMMAND, MAKEWPARAM(7, STN_CLICKED), reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(child.m_Clicks, 1);
    EXPECT_EQ(parent.m_Commands, 0);

    // A control nobody subclassed leaves the notification to the parent's table.
    HWND other = CreateWindowExW(0, L"STATIC", L"Other", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 5, 30, 100, 20,
                                 guard.hWnd, reinterpret_cast<HMENU>(8), nullptr, nullptr);
    SendMessageW(guard.hWnd, WM_COMMAND, MAKEWPARAM(8, STN_CLICKED), reinterpret_cast<LPARAM>(other));
    EXPECT_EQ(parent.m_Commands, 1);
    EXPECT_EQ(child.m_Clicks, 1);
}

class CProbeButton : public CButton {
public:
    int m_PreSubclassCalls = 0;
    HWND m_HwndAtPreSubclass = nullptr;

protected:
    void PreSubclassWindow() override {
        ++m_PreSubclassCalls;
        m_HwndAtPreSubclass = m_hWnd;
    }
};

class CTestDialog : public CDialog {
public:
    CTestDialog() : CDialog(IDD_TEST_DIALOG) {}

    CStatic m_Label;
    CProbeButton m_Check;
    bool m_LabelBoundAtInit = false;
    bool m_CheckBoundAtInit = false;
    int m_CheckStateSeen = -1;
    int m_OkCalls = 0;
    bool m_PressEnter = false;

protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageEntry entries[] = {
            OnCommand(BN_CLICKED, IDC_TEST_CHECK, &CTestDialog::OnCheckClicked),
        };
        static const MessageMap map = MakeMessageMap(CDialog::GetMessageMap(), entries);
        return &map;
    }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_TEST_LABEL, m_Label);
        DDX_Control(pDX, IDC_TEST_CHECK, m_Check);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_LabelBoundAtInit = CWnd::FromHandlePermanent(GetDlgItem(IDC_TEST_LABEL)) == &m_Label;
        m_CheckBoundAtInit = CWnd::FromHandlePermanent(GetDlgItem(IDC_TEST_CHECK)) == &m_Check;
        if (m_PressEnter)
            PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        else
            ::PostMessageW(m_Check, BM_CLICK, 0, 0);  // a real click: the box ticks and notifies
        return TRUE;
    }
    void OnOK() override {
        ++m_OkCalls;
        CDialog::OnOK();
    }
    LRESULT OnCheckClicked(WPARAM, LPARAM) {
        m_CheckStateSeen = m_Check.GetCheck();
        EndDialog(100 + m_CheckStateSeen);
        return 0;
    }
};

TEST(DialogDataExchange, BindsControlsBySubclassing) {
    CTestDialog dialog;
    INT_PTR result = dialog.DoModal();
    EXPECT_TRUE(dialog.m_LabelBoundAtInit);
    EXPECT_TRUE(dialog.m_CheckBoundAtInit);
    EXPECT_EQ(dialog.m_Check.m_PreSubclassCalls, 1);
    EXPECT_NE(dialog.m_Check.m_HwndAtPreSubclass, nullptr);
    EXPECT_EQ(dialog.m_CheckStateSeen, BST_CHECKED);
    EXPECT_EQ(result, 100 + BST_CHECKED);
    // The windows are gone with the dialog; the wrappers let go of them.
    EXPECT_EQ(dialog.m_Label.m_hWnd, nullptr);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST(DialogDataExchange, DefaultCommandRunsOnOk) {
    CTestDialog dialog;
    dialog.m_PressEnter = true;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_OkCalls, 1);
    EXPECT_EQ(dialog.m_Check.m_PreSubclassCalls, 1);  // the second exchange did not rebind
}

TEST(WaitCursor, ShowsWaitCursorForItsLifeAndNests) {
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    SetCursor(arrow);
    {
        CWaitCursor outer;
        EXPECT_EQ(GetCursor(), wait);
        {
            CWaitCursor inner;
            EXPECT_EQ(GetCursor(), wait);
        }
        EXPECT_EQ(GetCursor(), wait);
    }
    EXPECT_EQ(GetCursor(), arrow);
}

TEST(AppMessageBox, CaptionIsProgramNameWithoutExtension) {
    EXPECT_EQ(AfxGetAppName(), kProgramName);
    std::wstring text =
        ReadAndCloseMessageBox(kProgramName, [] { AfxMessageBox(L"Hello from the framework"); });
    EXPECT_EQ(text, L"Hello from the framework");
}

TEST(AppMessageBox, ABoxThatComesLateIsStillReadAndClosed) {
    // Later than the 10 s after which a watcher that polled for it once gave up.
    std::wstring text = ReadAndCloseMessageBox(kProgramName, [] {
        PumpMessages(12000);
        AfxMessageBox(L"Late, but there");
    });
    EXPECT_EQ(text, L"Late, but there");
}

TEST(Font, OwnsItsHandle) {
    LOGFONTW logFont = {};
    logFont.lfHeight = -13;
    wcscpy(logFont.lfFaceName, L"Tahoma");
    HFONT handle = nullptr;
    {
        CFont font;
        ASSERT_TRUE(font.CreateFontIndirect(&logFont));
        handle = font;
        LOGFONTW back = {};
        EXPECT_TRUE(font.GetLogFont(&back));
        EXPECT_EQ(back.lfHeight, -13);
    }
    LOGFONTW after = {};
    EXPECT_EQ(GetObjectW(handle, sizeof(after), &after), 0);  // deleted with the object
}

}  // namespace
