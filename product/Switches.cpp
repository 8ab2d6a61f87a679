#include "Switches.h"

#include <windows.h>

#include <cwchar>

#include "ExitCode.h"
#include "Language.h"
#include "Log.h"
#include "Product.h"
#include "Report.h"

Switches ParseSwitches(int count, const wchar_t* const* arguments, bool acceptsTerms) {
    Switches s;
    const wchar_t kLog[] = L"/log=", kLang[] = L"/lang=";
    const size_t kLogLength = wcslen(kLog), kLangLength = wcslen(kLang);
    for (int i = 1; i < count; ++i) {
        const wchar_t* a = arguments[i];
        if (_wcsicmp(a, L"/quiet") == 0) {
            s.quiet = true;
        } else if (acceptsTerms && _wcsicmp(a, L"/accept-charityware") == 0) {
            s.acceptCharityware = true;
        } else if (_wcsnicmp(a, kLog, kLogLength) == 0 && a[kLogLength] != 0) {
            s.log = a + kLogLength;
        } else if (_wcsnicmp(a, kLang, kLangLength) == 0 && LanguageNamed(a + kLangLength)) {
            s.language = LanguageNamed(a + kLangLength);
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
    if (!switches.unknown.empty()) text = Text(IDS_UNKNOWN_SWITCH, {switches.unknown}) + L"\n\n";
    text += Text(IDS_SWITCHES, {program}) + L"\n\n";
    if (acceptsTerms) {
        text += Text(IDS_SWITCH_QUIET_INSTALL) + L"\n" + Text(IDS_SWITCH_ACCEPT) + L"\n";
    } else {
        text += Text(IDS_SWITCH_QUIET_REMOVE) + L"\n";
    }
    return text + Text(IDS_SWITCH_LOG) + L"\n" + Text(IDS_SWITCH_LANG) + L"\n" + Text(IDS_SWITCH_HELP);
}

bool BeginRun(const Switches& switches, CLog& log, const wchar_t* program, const std::wstring& name,
              unsigned long& exitCode) {
    SelectLanguage(switches.language);
    if (!switches.log.empty() && !log.Open(switches.log)) {
        const std::wstring text = Text(IDS_LOG_FAILED, {switches.log, SystemErrorLine(GetLastError())});
        if (!switches.quiet) ::MessageBoxW(nullptr, text.c_str(), Text(IDS_ERROR_CAPTION).c_str(), MB_OK);
        exitCode = kExitLogFailed;
        return false;
    }
    log.Write(std::wstring(L"Vantrelle ") + kVersionText + L" " + program +
              (switches.quiet ? L", quiet" : L"") + L", in " + CurrentLanguageName());
    if (!switches.help && switches.unknown.empty()) return true;
    const bool installer = wcscmp(program, L"installer") == 0;
    const std::wstring text = SwitchesText(switches, name, installer);
    log.Write(text);
    if (!switches.quiet)
        ::MessageBoxW(nullptr, text.c_str(), name.c_str(), switches.help ? MB_ICONINFORMATION : MB_ICONERROR);
    exitCode = kExitBadSwitch;
    return false;
}
