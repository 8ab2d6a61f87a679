// The installer's dialog at the display scale of the prefix it runs in; CTest
// runs this once per scale (CMakeLists.txt here). In this process, where the
// dialog's bitmap, icons and fonts can be read: another process cannot.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>

#include "MainDlg.h"
#include "resources/resource.h"

namespace {

// The installer's dialog, ended as soon as it is set up, after `inspect` has looked at it.
class CInspectedDialog : public CMainDlg {
public:
    explicit CInspectedDialog(std::function<void(HWND)> inspect)
        : CMainDlg(m_Log), m_Inspect(std::move(inspect)) {}

protected:
    BOOL OnInitDialog() override {
        BOOL result = CMainDlg::OnInitDialog();
        m_Inspect(GetSafeHwnd());
        EndDialog(IDCANCEL);
        return result;
    }

private:
    CLog m_Log;  // never opened
    std::function<void(HWND)> m_Inspect;
};

class MainDialogAtScale : public ::testing::Test {
protected:
    void SetUp() override {
        LoadLibraryW(L"comctl32.dll");  // version 6, as the installer loads it: the manifest is the same
        HDC screen = GetDC(nullptr);
        dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        // Else every row of the table would check 100 %.
        if (const char* asked = std::getenv("VANTRELLE_LOG_PIXELS")) {
            ASSERT_EQ(std::atoi(asked), dpi);
        }
    }
    static void Inspect(std::function<void(HWND)> inspect) {
        CInspectedDialog dialog(std::move(inspect));
        EXPECT_EQ(IDCANCEL, dialog.DoModal());
    }
    int dpi = 0;
};

// The window's text as drawn in its own font ('&' marks a mnemonic).
SIZE TextExtent(HWND window) {
    wchar_t text[256] = {};
    std::wstring shown(text, GetWindowTextW(window, text, 256));
    shown.erase(std::remove(shown.begin(), shown.end(), L'&'), shown.end());
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size;
}

// Drawn for this scale, not stretched: the picture, round(83 s) x round(92 s),
// and the caption and taskbar icons at the sizes the system asks for. Wine's MS
// Sans Serif has no size above 20 pixels, so at 192 DPI the dialog is laid out
// as at 144, and so is its picture: 200 % would cover the texts beside it.
TEST_F(MainDialogAtScale, PictureAndIconsAreDrawnForThisScale) {
    const int kDrawn[][3] = {{96, 83, 92}, {120, 104, 115}, {144, 125, 138}, {192, 125, 138}};
    auto row = std::find_if(std::begin(kDrawn), std::end(kDrawn), [&](auto& r) { return r[0] == dpi; });
    ASSERT_NE(std::end(kDrawn), row) << "no picture size listed for " << dpi << " DPI";
    const int width = (*row)[1], height = (*row)[2];
    Inspect([&](HWND dlg) {
        HWND picture = GetDlgItem(dlg, IDC_PICTURE);
        BITMAP bitmap{};
        GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0)),
                   sizeof bitmap, &bitmap);
        EXPECT_EQ(width, bitmap.bmWidth);
        EXPECT_EQ(height, bitmap.bmHeight);
        RECT rect, client;
        GetWindowRect(picture, &rect);
        GetClientRect(dlg, &client);
        EXPECT_EQ(width, rect.right - rect.left);
        EXPECT_EQ(height, rect.bottom - rect.top);
        // At 100 % it takes 83 x 92 of the client's 431 x 265 pixels, and that share at every scale.
        EXPECT_NEAR(83.0 / 431, double(width) / client.right, 83.0 / 431 * 0.08);
        EXPECT_NEAR(92.0 / 265, double(height) / client.bottom, 92.0 / 265 * 0.08);
        for (auto [which, size] : {std::pair{ICON_SMALL, SM_CXSMICON}, std::pair{ICON_BIG, SM_CXICON}}) {
            ICONINFO icon{};
            ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(SendMessageW(dlg, WM_GETICON, which, 0)), &icon));
            GetObjectW(icon.hbmMask, sizeof bitmap, &bitmap);
            EXPECT_EQ(GetSystemMetrics(size), bitmap.bmWidth) << (which == ICON_SMALL ? "small" : "big");
            DeleteObject(icon.hbmMask);
            DeleteObject(icon.hbmColor);
        }
    });
}

// In the template's face no text is cut; the link's hit area and focus
// rectangle (its client area) are exactly its text; the tab order holds.
TEST_F(MainDialogAtScale, TextsFitAndTabOrderHolds) {
    Inspect([&](HWND dlg) {
        HDC dc = GetDC(dlg);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dlg, WM_GETFONT, 0, 0)));
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, face);
        SelectObject(dc, old);
        ReleaseDC(dlg, dc);
        EXPECT_STREQ(L"MS Sans Serif", face);

        int measured = 0;
        RECT rc;
        for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (GetWindowTextLengthW(child) == 0 || GetDlgCtrlID(child) == IDC_PICTURE) continue;
            GetClientRect(child, &rc);
            EXPECT_LE(TextExtent(child).cx, rc.right)
                << "control " << GetDlgCtrlID(child) << " cuts its text";
            ++measured;
        }
        EXPECT_GE(measured, 7);

        HWND link = GetDlgItem(dlg, IDC_LINK), box = GetDlgItem(dlg, IDC_ACCEPT);
        GetClientRect(link, &rc);
        EXPECT_EQ(TextExtent(link).cx, rc.right);
        EXPECT_EQ(TextExtent(link).cy, rc.bottom);
        EXPECT_EQ(link, GetNextDlgTabItem(dlg, box, FALSE));
        EXPECT_EQ(box, GetNextDlgTabItem(dlg, link, FALSE)) << "past the disabled button";
    });
}

}  // namespace
