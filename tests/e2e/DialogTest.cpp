// The dialog as a user first meets it, before anything is installed.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "Driver.h"

namespace {

class Dialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(process.Start(VANTRELLE_INSTALLER));
        dlg = process.WaitForDialog();
        ASSERT_NE(nullptr, dlg);
    }
    void TearDown() override { process.Kill(); }
    Driver::CInstallerProcess process;
    HWND dlg = nullptr;
};

TEST_F(Dialog, ShowsTitleFolderAndPicture) {
    EXPECT_EQ(Driver::kDialogTitle, Driver::WindowText(dlg));
    wchar_t pf[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, pf);
    EXPECT_EQ(std::wstring(pf) + L"\\Vantrelle", Driver::ControlText(dlg, 106)) << "no trailing backslash";
    // The installer is a 32-bit program: on 64-bit Windows it installs into the 32-bit Program Files.
    EXPECT_EQ(sizeof(void*) == 4,
              Driver::ControlText(dlg, 106).find(L"\\Program Files (x86)\\") != std::wstring::npos);
    EXPECT_EQ(L"I&nstall / Update", Driver::ControlText(dlg, 104));
    RECT r;
    GetWindowRect(GetDlgItem(dlg, 108), &r);
    EXPECT_EQ(83, r.right - r.left);
    EXPECT_EQ(92, r.bottom - r.top);
    EXPECT_EQ(0, GetWindowLongW(dlg, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}

// The template's face is there (not a wider stand-in), so no text is cut or wrapped.
TEST_F(Dialog, TextsFitTheirControlsInTheTemplateFont) {
    HDC dc = GetDC(dlg);
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    wcscpy(lf.lfFaceName, L"MS Sans Serif");
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    EXPECT_STREQ(L"MS Sans Serif", face);
    std::vector<HWND> children;
    EnumChildWindows(dlg, CollectChild, reinterpret_cast<LPARAM>(&children));
    int measured = 0;
    for (HWND child : children) {
        std::wstring text = Driver::WindowText(child);
        if (text.empty() || (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) continue;
        text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
        RECT rc;
        GetClientRect(child, &rc);
        EXPECT_LE(size.cx, rc.right) << "\"" << text.c_str() << "\" is cut";
        ++measured;
    }
    EXPECT_GE(measured, 7);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(dlg, dc);
}

TEST_F(Dialog, ButtonFollowsTheTermsBox) {
    EXPECT_FALSE(Driver::IsControlEnabled(dlg, 104));
    for (bool expected : {true, false, true}) {
        Driver::Click(dlg, 105);
        EXPECT_TRUE(Driver::WaitForEnabled(dlg, 104, expected)) << expected;
    }
}

TEST_F(Dialog, EnterDoesNothingAndEscapeEnds) {
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    Sleep(500);
    EXPECT_TRUE(process.IsRunning());
    EXPECT_TRUE(IsWindow(dlg));
    EXPECT_EQ(nullptr, Driver::FindMessageBox(process.Id()));
    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    DWORD code = 99;
    EXPECT_TRUE(process.WaitForExit(10000, &code));
}

// An open dialog holds no lock: a quiet installation meanwhile installs. The
// button takes the lock; pressed while another run holds it, it says so and
// the dialog stays for another try.
TEST_F(Dialog, TakesTheInstallationLockOnlyAtTheButton) {
    Driver::CInstallerProcess quiet;
    ASSERT_TRUE(quiet.Start(VANTRELLE_INSTALLER, L"", L"/quiet /accept-charityware"));
    DWORD code = 1;
    EXPECT_TRUE(quiet.WaitForExit(60000, &code) && code == 0) << code;

    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAD:(A;;GA;;;WD)", SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    HANDLE lock = CreateMutexW(&security, TRUE, L"Global\\Tollanby.Vantrelle.Installation");
    LocalFree(descriptor);
    Driver::Click(dlg, 105);
    ASSERT_TRUE(Driver::WaitForEnabled(dlg, 104));
    Driver::Click(dlg, 104);
    const Driver::MessageBoxSeen box = Driver::WaitForMessageBox(process.Id(), 20000);
    CloseHandle(lock);
    EXPECT_EQ(
        L"Another installation or removal of Vantrelle is in progress.\nPlease try again when it has "
        L"finished.",
        box.text);
    Driver::PressOk(Driver::FindMessageBox(process.Id()));
    Sleep(500);
    EXPECT_TRUE(process.IsRunning() && IsWindowEnabled(dlg)) << "the dialog stays for another try";
}

TEST_F(Dialog, ComesToTheFrontAfterOneSecond) {
    // Another window takes the front; the one-shot timer brings the dialog back once.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    MSG m;
    // At one second; on a busy machine a little later.
    for (DWORD start = GetTickCount(); GetForegroundWindow() != dlg && GetTickCount() - start < 10000;
         Sleep(50))
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    EXPECT_EQ(dlg, GetForegroundWindow());
    // Once only: taking the front again stays taken.
    SetForegroundWindow(other);
    Sleep(1500);
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    EXPECT_EQ(other, GetForegroundWindow());
    DestroyWindow(other);
}

// A key as a user types it (Wine queues SendInput for the window in front); where the focus is then.
int Press(HWND dlg, WORD key) {
    INPUT in[2] = {};
    for (INPUT& i : in) i.type = INPUT_KEYBOARD, i.ki.wVk = key;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    Sleep(500);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dlg, nullptr), &info);
    return GetDlgCtrlID(info.hwndFocus);
}

// Last, as it installs (into this program's own fresh prefix: run-scenario).
TEST_F(Dialog, WorksByKeyboardAlone) {
    // Wine answers no accessibility query across processes (E_NOINTERFACE): the box's own
    // text, from which Windows names a check box, stands in for its name.
    EXPECT_EQ(L"I &accept that Vantrelle is", Driver::ControlText(dlg, 105));
    // The prefix's https handler records the address it is given.
    std::ofstream("C:\\link.js") << "new ActiveXObject('Scripting.FileSystemObject')"
                                    ".CreateTextFile('C:\\\\link.txt').Write(WScript.Arguments.Item(0));";
    ASSERT_EQ(0, RegSetValueW(HKEY_CLASSES_ROOT, L"https\\shell\\open\\command", REG_SZ,
                              L"wscript.exe C:\\link.js \"%1\"", 0));
    for (int i = 0; i < 50 && GetForegroundWindow() != dlg; ++i) Sleep(100);
    ASSERT_EQ(dlg, GetForegroundWindow());
    EXPECT_EQ(110, Press(dlg, VK_TAB));  // from the box, which has the focus first
    EXPECT_EQ(105, Press(dlg, VK_TAB));  // past the disabled button
    Press(dlg, VK_SPACE);
    EXPECT_EQ(BST_CHECKED, SendMessageW(GetDlgItem(dlg, 105), BM_GETCHECK, 0, 0));
    EXPECT_EQ(110, Press(dlg, VK_TAB));
    EXPECT_EQ(110, Press(dlg, VK_RETURN));
    std::string url;
    for (int i = 0; i < 300 && url.empty(); ++i, Sleep(100)) std::ifstream("C:\\link.txt") >> url;
    EXPECT_TRUE(url.rfind("https://", 0) == 0 && url.find("/index.php#Charityware") != url.npos) << url;
    EXPECT_EQ(nullptr, Driver::FindMessageBox(process.Id()));
    EXPECT_EQ(104, Press(dlg, VK_TAB));
    Press(dlg, VK_SPACE);
    EXPECT_EQ(L"Installation complete", Driver::WaitForMessageBox(process.Id(), 120000).caption);
}

}  // namespace
