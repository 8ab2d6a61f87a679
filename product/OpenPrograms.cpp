#include "OpenPrograms.h"

#include <algorithm>
#include <cwchar>

#include "Language.h"
#include "PartialFiles.h"
#include "Product.h"
#include "system/DesktopShell.h"

namespace {

std::wstring FileName(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

// What the log says of a program's answer.
std::wstring Answered(CloseAnswer answer) {
    switch (answer) {
    case CloseAnswer::kEnded: return L"agreed and ended";
    case CloseAnswer::kRefused: return L"refused to close";
    case CloseAnswer::kNoAnswer: return L"did not answer";
    case CloseAnswer::kStillRunning: return L"agreed, but is still running";
    case CloseAnswer::kOtherSession: return L"runs in another session, where it cannot be asked";
    case CloseAnswer::kNoWindow: return L"has no window to ask, and is left as it is";
    case CloseAnswer::kNotAsked: break;
    }
    return L"was not asked, as another program could not be closed";
}

}  // namespace

std::vector<RunningProgram> FindOpenPrograms(const std::wstring& dir) {
    std::vector<std::wstring> help;
    for (const wchar_t* file : kHelpFiles) help.push_back(dir + file);
    std::vector<RunningProgram> programs = FindRunningPrograms(dir, help);
    // The uninstaller, under its name or moved aside, is one of the runs the lock
    // keeps apart, never a program to close: its question is its user's.
    programs.erase(std::remove_if(programs.begin(), programs.end(),
                                  [](const RunningProgram& program) {
                                      const std::wstring file = FileName(program.path);
                                      return program.heldFile.empty() &&
                                             (_wcsicmp(file.c_str(), kUninstallerFile) == 0 ||
                                              IsAsideFileName(file.c_str()));
                                  }),
                   programs.end());
    return programs;
}

std::wstring NamesToClose(const std::vector<RunningProgram>& programs) {
    std::wstring names;
    for (const RunningProgram& program : programs) {
        if (!program.CanBeAsked()) continue;
        const std::wstring file = FileName(program.path);
        const std::wstring name = !program.heldFile.empty()
                                      ? Text(IDS_OPEN_HELP, {FileName(program.heldFile)})
                                  : _wcsicmp(file.c_str(), kProgramFile) == 0 ? std::wstring(kDisplayName)
                                                                              : file;
        if (names.find(name) == std::wstring::npos) names += (names.empty() ? L"" : L", ") + name;
    }
    return names;
}

bool ClosesVantrelle(const std::vector<RunningProgram>& programs) {
    for (const RunningProgram& program : programs) {
        if (program.CanBeAsked() && program.heldFile.empty()) return true;
    }
    return false;
}

bool CloseOpenPrograms(const std::wstring& dir, CReport& report, std::vector<std::wstring>& closed) {
    report.Step(L"Closing Vantrelle and its help where they are open");
    const std::vector<RunningProgram> programs = FindOpenPrograms(dir);
    if (programs.empty()) return true;
    const std::vector<CloseOutcome> outcomes = ClosePolitely(programs, kCloseAnswerMs, kCloseLimitMs);
    bool all = true;
    for (size_t i = 0; i < programs.size(); ++i) {
        const RunningProgram& program = programs[i];
        const CloseOutcome& outcome = outcomes[i];
        wchar_t seconds[32];
        swprintf(seconds, 32, L" (%.1f s)", outcome.milliseconds / 1000.0);
        report.Note(program.path + L" (process " + std::to_wstring(program.id) + L")" +
                    (program.heldFile.empty() ? L"" : L", which holds " + program.heldFile + L",") + L" " +
                    Answered(outcome.answer) + seconds);
        if (outcome.answer == CloseAnswer::kEnded && program.heldFile.empty()) closed.push_back(program.path);
        all = all && outcome.answer == CloseAnswer::kEnded;
    }
    return all;
}

void StartAgain(const std::vector<std::wstring>& closed, CReport& report) {
    std::vector<std::wstring> started;
    for (const std::wstring& program : closed) {
        bool again = false;
        for (const std::wstring& done : started)
            again = again || _wcsicmp(done.c_str(), program.c_str()) == 0;
        if (again) continue;
        started.push_back(program);
        const HRESULT result = ShellExecuteViaDesktop(program.c_str(), L"", L"", L"open", SW_SHOWNORMAL);
        report.Note(L"Starting " + program + L" again: " +
                    (result == S_OK ? std::wstring(L"started") : SystemErrorLine(result).english));
    }
}
