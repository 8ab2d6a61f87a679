#include "Switches.h"

#include <windows.h>

#include <cwchar>

#include "ExitCode.h"
#include "InstallationLock.h"
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
        } else if (_wcsicmp(a, L"/no-close") == 0) {
            s.noClose = true;
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

Words SwitchesText(const Switches& switches, const std::wstring& program, bool acceptsTerms) {
    Words text;
    if (!switches.unknown.empty()) text = Say(IDS_UNKNOWN_SWITCH, {switches.unknown}) + L"\n\n";
    text = text + Say(IDS_SWITCHES, {program}) + L"\n\n";
    if (acceptsTerms) {
        text = text + Say(IDS_SWITCH_QUIET_INSTALL) + L"\n" + Say(IDS_SWITCH_ACCEPT) + L"\n";
    } else {
        text = text + Say(IDS_SWITCH_QUIET_REMOVE) + L"\n";
    }
    return text + Say(IDS_SWITCH_NO_CLOSE) + L"\n" + Say(IDS_SWITCH_LOG) + L"\n" + Say(IDS_SWITCH_LANG) +
           L"\n" + Say(IDS_SWITCH_HELP);
}

bool BeginRun(const Switches& switches, CLog& log, const wchar_t* program, const std::wstring& name,
              unsigned long& exitCode, LockAtStart atStart, CInstallationLock& lock) {
    SelectLanguage(switches.language);
    const bool listsSwitches = switches.help || !switches.unknown.empty();
    DWORD lockError = 0;
    if (!listsSwitches && atStart == LockAtStart::kTake) lockError = lock.Take(kWaitForEndingRunMs);
    if (!listsSwitches && atStart == LockAtStart::kCheck)
        lockError = CInstallationLock::Check(kWaitForEndingRunMs);
    if (!switches.log.empty() && !log.Open(switches.log) && !lockError) {
        const std::wstring text = Text(IDS_LOG_FAILED, {switches.log, SystemErrorLine(GetLastError()).shown});
        if (!switches.quiet) ::MessageBoxW(nullptr, text.c_str(), Text(IDS_ERROR_CAPTION).c_str(), MB_OK);
        exitCode = kExitLogFailed;
        return false;
    }
    log.Write(std::wstring(L"Vantrelle ") + kVersionText + L" " + program +
              (switches.quiet ? L", quiet" : L"") + L", in " + CurrentLanguageName());
    if (lockError) {
        CReport quietReport(log);
        CBoxReport boxReport(log, nullptr);
        CReport& report = switches.quiet ? quietReport : boxReport;
        report.Step(L"Making sure no other installation or removal of Vantrelle is running");
        RefuseForLock(lockError, report);
        boxReport.ShowFailure();
        exitCode = report.Code();
        return false;
    }
    if (!listsSwitches) return true;
    const bool installer = wcscmp(program, L"installer") == 0;
    const Words text = SwitchesText(switches, name, installer);
    log.Write(text);
    if (!switches.quiet)
        ::MessageBoxW(nullptr, text.shown.c_str(), name.c_str(),
                      switches.help ? MB_ICONINFORMATION : MB_ICONERROR);
    exitCode = kExitBadSwitch;
    return false;
}
