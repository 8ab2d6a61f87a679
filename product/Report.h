#pragma once
// How a run tells what happens. Every run writes its steps and its failure to
// the log (when one is asked for); an interactive run shows the failure in a
// box as well, and a quiet one ends with the failure's exit code.
#include <windows.h>

#include <string>

#include "ExitCode.h"
#include "Log.h"

// "Error N: " and the system's text for the code, as the failure boxes put it.
std::wstring SystemErrorLine(unsigned long code);

class CReport {
public:
    explicit CReport(CLog& log) : m_Log(log) {}
    virtual ~CReport() = default;

    void Step(const wchar_t* step);
    void Note(const std::wstring& text) { m_Log.Write(text); }
    // What went wrong, in the words a box shows. The first failure's code is the
    // run's. False, so that a step that fails can end with `return report.Fail(...)`.
    virtual bool Fail(ExitCode code, const std::wstring& text);
    ExitCode Code() const { return m_Code; }

protected:
    CLog& m_Log;

private:
    std::wstring m_Step;
    ExitCode m_Code = kExitSuccess;
};

class CBoxReport : public CReport {
public:
    CBoxReport(CLog& log, HWND owner) : CReport(log), m_hOwner(owner) {}
    bool Fail(ExitCode code, const std::wstring& text) override;

private:
    HWND m_hOwner;
};
