// walkthrough INSTALLER.exe SHOTDIR: one whole installation as a user makes it,
// printing each step it sees and saving screenshots (BMP) into SHOTDIR.
#include <cstdio>
#include <string>

#include "Driver.h"

namespace {
// UTF-8, each line end shown as \n.
std::string Narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) {
        char bytes[8] = {};
        const int n =
            c == L'\n' ? 0 : WideCharToMultiByte(CP_UTF8, 0, &c, 1, bytes, sizeof bytes, nullptr, nullptr);
        s += c == L'\n' ? std::string("\\n") : std::string(bytes, n);
    }
    return s;
}

void Step(const char* what, const std::string& detail = "") {
    std::printf("  %-28s %s\n", what, detail.c_str());
    std::fflush(stdout);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: walkthrough INSTALLER.exe SHOTDIR\n");
        return 2;
    }
    std::wstring shots = argv[2];
    Driver::CInstallerProcess installer;
    if (!installer.Start(argv[1])) {
        Step("start installer", "FAILED");
        return 1;
    }
    HWND dlg = installer.WaitForDialog();
    if (!dlg) {
        Step("dialog", "did not appear");
        installer.Kill();
        return 1;
    }
    Sleep(1200);  // past the one-second bring-to-front timer
    // Wine's virtual desktop draws the caption of a program's first window as
    // inactive although the window is in front; passing the front to the desktop
    // and back draws it as Windows shows it.
    SetForegroundWindow(GetDesktopWindow());
    SetForegroundWindow(dlg);
    Sleep(300);
    Step("dialog appeared", "\"" + Narrow(Driver::WindowText(dlg)) + "\"");
    Step("install directory shown", Narrow(Driver::ControlText(dlg, 106)));
    Step("install button",
         Driver::IsControlEnabled(dlg, 104) ? "enabled" : "disabled until the box is ticked");
    Driver::SaveScreenshot(dlg, shots + L"\\1-dialog.bmp");

    Driver::Click(dlg, 105);
    Driver::WaitForEnabled(dlg, 104);
    Step("ticked the terms box",
         Driver::IsControlEnabled(dlg, 104) ? "install button enabled" : "button STILL DISABLED");
    Driver::SaveScreenshot(dlg, shots + L"\\2-ticked.bmp");

    Driver::Click(dlg, 104);
    Step("pressed", "\"" + Narrow(Driver::ControlText(dlg, 104)) + "\"");
    Driver::MessageBoxSeen box = Driver::WaitForMessageBox(installer.Id(), 120000);
    if (!box.found) {
        Step("message", "none within two minutes");
        installer.Kill();
        return 1;
    }
    HWND boxWnd = Driver::FindMessageBox(installer.Id());
    Driver::SaveScreenshot(boxWnd, shots + L"\\3-message.bmp");
    Step("message box", "[" + Narrow(box.caption) + "] " + Narrow(box.text));
    Driver::PressOk(boxWnd);
    Step("pressed OK");

    DWORD code = 0;
    if (!installer.WaitForExit(30000, &code)) {
        Step("installer", "still running (the dialog stays open after a failure)");
        installer.Kill();
        return 1;
    }
    Step("installer exit code", std::to_string(code));
    HWND app = Driver::WaitForWindowTitled(Driver::kAppTitle, 20000);
    if (!app) {
        Step("Vantrelle window", "did not appear");
        return 1;
    }
    Sleep(500);
    Driver::SaveScreenshot(app, shots + L"\\4-vantrelle.bmp");
    DWORD pid = Driver::WindowProcessId(app);
    Step("Vantrelle started", "window \"Vantrelle " VANTRELLE_VERSION_TEXT "\", process " +
                                  std::to_string(pid) + ", parent " +
                                  std::to_string(Driver::ParentProcessId(pid)) + " (the installer was " +
                                  std::to_string(installer.Id()) + ")");
    PostMessageW(app, WM_CLOSE, 0, 0);
    return code == 0 ? 0 : 1;
}
