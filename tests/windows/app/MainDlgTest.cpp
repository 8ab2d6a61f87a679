// The installer's dialog at the display scale of the prefix it runs in; CTest
// runs this once per scale (CMakeLists.txt here). In this process, where the
// dialog's bitmap, icons and fonts can be read: another process cannot.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Language.h"
#include "MainDlg.h"
#include "Version.h"
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

std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    return std::wstring(text, GetWindowTextW(window, text, 256));
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

// The text a control shows, as drawn in its own font and wrapped at its width
// where it wraps (a static text); '&' marks a mnemonic.
SIZE DrawnSize(HWND window, int width) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    wchar_t kind[16] = {};
    GetClassNameW(window, kind, 16);
    const bool wraps = _wcsicmp(kind, L"Static") == 0;
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
    RECT rect{0, 0, width, 0};
    DrawTextW(dc, text, -1, &rect, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return {rect.right, rect.bottom};
}

// In each language the installer speaks, in the template's face: the dialog's
// words are that language's and no text is cut; the check box's text and the
// link read as one sentence, the link a space after the box's last word; the
// link's hit area and focus rectangle (its client area) are exactly its text;
// the tab order holds.
TEST_F(MainDialogAtScale, EachLanguageFitsAndReadsAsOneSentence) {
    const struct {
        const wchar_t *name, *title, *button, *box;
    } languages[] = {
        {L"en", L"Install  Vantrelle " VANTRELLE_VERSION_WIDE, L"I&nstall / Update",
         L"I &accept that Vantrelle is"},
        {L"de", L"Vantrelle " VANTRELLE_VERSION_WIDE L" installieren", L"I&nstallieren / Aktualisieren",
         L"Ich &akzeptiere Vantrelle als"},
        {L"fr", L"Installation de Vantrelle " VANTRELLE_VERSION_WIDE, L"I&nstaller / Mettre \u00E0 jour",
         L"J'&accepte que Vantrelle soit un"},
    };
    long englishGap = -1;
    for (const auto& language : languages) {
        SelectLanguage(LanguageNamed(language.name));
        Inspect([&](HWND dlg) {
            EXPECT_EQ(language.title, WindowText(dlg));
            EXPECT_EQ(language.button, WindowText(GetDlgItem(dlg, IDC_INSTALL)));
            EXPECT_EQ(language.box, WindowText(GetDlgItem(dlg, IDC_ACCEPT)));
            HDC dc = GetDC(dlg);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dlg, WM_GETFONT, 0, 0)));
            wchar_t face[LF_FACESIZE] = {};
            GetTextFaceW(dc, LF_FACESIZE, face);
            SIZE space{};
            GetTextExtentPoint32W(dc, L" ", 1, &space);
            SelectObject(dc, old);
            ReleaseDC(dlg, dc);
            EXPECT_STREQ(L"MS Sans Serif", face);

            int measured = 0;
            RECT rc, other, overlap;
            for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                GetWindowRect(child, &rc);
                for (HWND next = GetWindow(child, GW_HWNDNEXT); next; next = GetWindow(next, GW_HWNDNEXT)) {
                    GetWindowRect(next, &other);
                    EXPECT_FALSE(IntersectRect(&overlap, &rc, &other))
                        << language.name << ": " << GetDlgCtrlID(child) << " \"" << WindowText(child).c_str()
                        << "\" overlaps " << GetDlgCtrlID(next) << " \"" << WindowText(next).c_str() << "\"";
                }
                if (GetWindowTextLengthW(child) == 0 || GetDlgCtrlID(child) == IDC_PICTURE) continue;
                GetClientRect(child, &rc);
                const SIZE drawn = DrawnSize(child, rc.right);
                EXPECT_TRUE(drawn.cx <= rc.right && drawn.cy <= rc.bottom)
                    << language.name << ": \"" << WindowText(child).c_str() << "\" is cut";
                ++measured;
            }
            EXPECT_GE(measured, 7);

            HWND link = GetDlgItem(dlg, IDC_LINK), box = GetDlgItem(dlg, IDC_ACCEPT);
            SIZE ideal{};
            SendMessageW(box, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
            RECT boxRect, linkRect;
            GetWindowRect(box, &boxRect);
            GetWindowRect(link, &linkRect);
            // Where the box's text ends, a space or a few before the link (the English dialog has always
            // had more); on the same line.
            const long gap = linkRect.left - (boxRect.left + ideal.cx);
            if (englishGap < 0) englishGap = gap;
            EXPECT_LE(ideal.cx, boxRect.right - boxRect.left) << language.name << ": the box cuts its text";
            EXPECT_TRUE(gap >= space.cx && gap <= englishGap) << language.name << ": " << gap << " pixels";
            EXPECT_EQ(boxRect.top, linkRect.top) << language.name;
            GetClientRect(link, &rc);
            const SIZE linkText = DrawnSize(link, 1000);
            EXPECT_TRUE(linkText.cx == rc.right && linkText.cy == rc.bottom) << language.name;
            EXPECT_EQ(link, GetNextDlgTabItem(dlg, box, FALSE));
            EXPECT_EQ(box, GetNextDlgTabItem(dlg, link, FALSE)) << "past the disabled button";
        });
    }
}

BOOL CALLBACK CollectBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR blocks) {
    reinterpret_cast<std::vector<UINT>*>(blocks)->push_back(
        static_cast<UINT>(reinterpret_cast<UINT_PTR>(name)));
    return TRUE;
}

// Each program holds every English text in German and French too: one that a
// translation lacks fails here, not in front of a user.
TEST(Texts, EveryEnglishTextIsInGermanAndFrench) {
    HMODULE uninstaller = LoadLibraryExW(VANTRELLE_UNINSTALLER, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, uninstaller);
    const LANGID english = LanguageNamed(L"en");
    for (HMODULE module : {GetModuleHandleW(nullptr), uninstaller}) {
        std::vector<UINT> blocks;
        EnumResourceNamesW(module, RT_STRING, CollectBlock, reinterpret_cast<LONG_PTR>(&blocks));
        int texts = 0;
        for (UINT block : blocks) {
            for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
                if (TextIn(module, english, id).empty()) continue;
                ++texts;
                for (const wchar_t* language : {L"de", L"fr"})
                    EXPECT_FALSE(TextIn(module, LanguageNamed(language), id).empty())
                        << (module == uninstaller ? "Uninstall.exe" : "Installer.exe") << ": text " << id
                        << " has no " << language;
            }
        }
        EXPECT_GE(texts, module == uninstaller ? 20 : 40);
    }
    FreeLibrary(uninstaller);
}

// A language without a template of its own gets the English one, not nothing;
// a template in no language at all is a failure the caller can tell.
TEST(Texts, DialogTemplateFallsBackToEnglish) {
    class CButtonReader : public CDialog {
    public:
        CButtonReader(UINT id, LANGID language) : CDialog(id, nullptr, language) {}
        std::wstring button;

    protected:
        BOOL OnInitDialog() override {
            wchar_t text[64] = {};
            GetDlgItemTextW(GetSafeHwnd(), IDC_INSTALL, text, 64);
            button = text;
            EndDialog(IDCANCEL);
            return TRUE;
        }
    };
    const struct {
        UINT id;
        LANGID language;
        INT_PTR result;
        const wchar_t* button;
    } rows[] = {
        {IDD_MAIN, LanguageNamed(L"de"), IDCANCEL, L"I&nstallieren / Aktualisieren"},
        {IDD_MAIN, MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN), IDCANCEL, L"I&nstall / Update"},
        {IDD_MAIN + 100, LanguageNamed(L"en"), -1, L""},
    };
    // In a German session: what the system finds for a language it lacks would be German.
    const LCID session = GetThreadLocale();
    SetThreadLocale(MAKELCID(LanguageNamed(L"de"), SORT_DEFAULT));
    for (const auto& row : rows) {
        CButtonReader dialog(row.id, row.language);
        EXPECT_EQ(row.result, dialog.DoModal()) << row.language;
        EXPECT_EQ(row.button, dialog.button) << row.language;
        if (row.result == -1) {
            EXPECT_EQ(DWORD(ERROR_RESOURCE_NAME_NOT_FOUND), GetLastError());
        }
    }
    SetThreadLocale(session);
}

// The link's box in the installer's words, for each failure of the shell.
TEST(Texts, LinkErrorsInTheInstallersWords) {
    SelectLanguage(LanguageNamed(L"en"));
    CHyperLink link;
    link.SetOpenErrorWords(LinkOpenErrorWords());
    const struct {
        int code;
        const wchar_t* text;
    } table[] = {
        {0, L"The operating system is out\nof memory or resources."},
        {2, L"The specified file was not found."},
        {3, L"The specified path was not found."},
        {5, L"The operating system denied\naccess to the specified file."},
        {8, L"There was not enough memory to complete the operation."},
        {11, L"The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, L"A sharing violation occurred. "},
        {27, L"The filename association is\nincomplete or invalid."},
        {28, L"The DDE transaction could not\nbe completed because the request timed out."},
        {29, L"The DDE transaction failed."},
        {30,
         L"The DDE transaction could not\nbe completed because other DDE transactions\nwere being "
         L"processed."},
        {31, L"There is no application associated\nwith the given filename extension."},
        {32, L"The specified dynamic-link library was not found."},
        {-7, L"Unknown Error (-7) occurred."},
        {33, L"Unknown Error (33) occurred."},
    };
    for (const auto& row : table)
        EXPECT_EQ(std::wstring(L"Unable to open hyperlink:\n\n") + row.text, link.OpenErrorText(row.code))
            << row.code;
}

}  // namespace
