#pragma once
// How a run tells what happens. Every run writes its steps and its failure to
// the log (when one is asked for); an interactive run shows the failure in a
// box as well, and a quiet one ends with the failure's exit code.
#include <windows.h>

#include <string>

#include "ExitCode.h"
#include "Language.h"
#include "Log.h"

// "Error N: " and the system's text for the code, as the failure boxes put it.
Words SystemErrorLine(unsigned long code);

class CReport {
public:
    explicit CReport(CLog& log) : m_Log(log) {}
    virtual ~CReport() = default;

    void Step(const wchar_t* step);
    void Note(const std::wstring& text) { m_Log.Write(text); }
    // What went wrong, in the words a box shows; the log has them in English
    // too. The first failure's code is the run's. False, so that a step that
    // fails can end with `return report.Fail(...)`.
    virtual bool Fail(ExitCode code, const Words& text);
    ExitCode Code() const { return m_Code; }

protected:
    CLog& m_Log;

private:
    std::wstring m_Step;
    ExitCode m_Code = kExitSuccess;
};

// A run with a window: the first failure is shown in a box when the run asks
// for it (ShowFailure), once the installation lock is let go, so that a box
// left open never holds up another run.
class CBoxReport : public CReport {
public:
    CBoxReport(CLog& log, HWND owner) : CReport(log), m_hOwner(owner) {}
    bool Fail(ExitCode code, const Words& text) override;
    void ShowFailure();

private:
    HWND m_hOwner;
    std::wstring m_Failure;
};
