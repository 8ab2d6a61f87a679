#include "Switches.h"

#include <windows.h>

#include <cwchar>

#include "ExitCode.h"
#include "Log.h"
#include "Product.h"
#include "Report.h"

Switches ParseSwitches(int count, const wchar_t* const* arguments, bool acceptsTerms) {
    Switches s;
    const wchar_t kLog[] = L"/log=";
    const size_t kLogLength = wcslen(kLog);
    for (int i = 1; i < count; ++i) {
        const wchar_t* a = arguments[i];
        if (_wcsicmp(a, L"/quiet") == 0) {
            s.quiet = true;
        } else if (acceptsTerms && _wcsicmp(a, L"/accept-charityware") == 0) {
            s.acceptCharityware = true;
        } else if (_wcsnicmp(a, kLog, kLogLength) == 0 && a[kLogLength] != 0) {
            s.log = a + kLogLength;
        } else if (wcscmp(a, L"/?") == 0) {
            s.help = true;
        } else if (s.unknown.empty()) {
            s.unknown = a;
        }
    }
    return s;
}

std::wstring SwitchesText(const Switches& switches, const std::wstring& program, bool acceptsTerms) {
    std::wstring text;
    if (!switches.unknown.empty()) text = L"Unknown switch: " + switches.unknown + L"\n\n";
    text += program + L" takes these switches:\n\n";
    if (acceptsTerms) {
        text +=
            L"/quiet\tinstalls without a window or a question; needs /accept-charityware\n"
            L"/accept-charityware\taccepts on the user's behalf that Vantrelle is charityware\n";
    } else {
        text += L"/quiet\tremoves Vantrelle without a window or a question\n";
    }
    text +=
        L"/log=PATH\twrites what happens to the file PATH (quote a path with spaces: \"/log=C:\\My "
        L"Logs\\setup.log\")\n"
        L"/?\tshows this list";
    return text;
}

bool BeginRun(const Switches& switches, CLog& log, const wchar_t* program, const std::wstring& name,
              unsigned long& exitCode) {
    if (!switches.log.empty() && !log.Open(switches.log)) {
        const std::wstring text =
            L"The log file cannot be written:\n" + switches.log + L"\n" + SystemErrorLine(GetLastError());
        if (!switches.quiet) ::MessageBoxW(nullptr, text.c_str(), L"Error", MB_OK);
        exitCode = kExitLogFailed;
        return false;
    }
    log.Write(std::wstring(L"Vantrelle ") + kVersionText + L" " + program +
              (switches.quiet ? L", quiet" : L""));
    if (!switches.help && switches.unknown.empty()) return true;
    const bool installer = wcscmp(program, L"installer") == 0;
    const std::wstring text = SwitchesText(switches, name, installer);
    log.Write(text);
    if (!switches.quiet)
        ::MessageBoxW(nullptr, text.c_str(), name.c_str(), switches.help ? MB_ICONINFORMATION : MB_ICONERROR);
    exitCode = kExitBadSwitch;
    return false;
}
