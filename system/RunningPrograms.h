#pragma once
// The programs that use an installation: found by their program file or by a
// file they hold open, and asked to close as Windows asks them when the user
// signs out. Each top-level window of each gets WM_QUERYENDSESSION
// (ENDSESSION_CLOSEAPP); only if every one agrees do they get WM_ENDSESSION
// and then WM_CLOSE, and the programs are waited for. Nothing is ever ended by
// force: a program that refuses, does not answer or does not end keeps
// running, with its user's work.
#include <windows.h>

#include <string>
#include <vector>

struct RunningProgram {
    DWORD id = 0;
    std::wstring path;          // its program file
    std::wstring heldFile;      // the file it holds open; empty when found by its program file
    bool otherSession = false;  // out of reach of this session's window messages
    std::vector<HWND> windows;  // its top-level windows, hidden ones too

    // Whether window messages can ask it to close.
    bool CanBeAsked() const { return !otherSession && !windows.empty(); }
};

// Every process but this one whose program file lies in `dir` (a folder path
// ending in a backslash) or below, and every one that holds one of `files` open.
std::vector<RunningProgram> FindRunningPrograms(const std::wstring& dir,
                                                const std::vector<std::wstring>& files);

enum class CloseAnswer {
    kEnded,         // agreed and ended
    kRefused,       // said no to WM_QUERYENDSESSION
    kNoAnswer,      // did not answer in time: hung, or busy
    kStillRunning,  // agreed, but had not ended when the time was up
    kOtherSession,  // runs in another session: it cannot be asked
    kNoWindow,      // has no window to ask: left as it is
    kNotAsked,      // another program refused first, or could not be asked
};

struct CloseOutcome {
    CloseAnswer answer = CloseAnswer::kNotAsked;
    DWORD milliseconds = 0;  // from the first question until its answer or its end
};

// Asks the programs to close; one outcome for each, in their order. Each
// window has `answerMs` to answer, the whole at most `limitMs`. A program in
// another session counts as a refusal: then none is asked. A program without
// a window is not asked and does not stop the others.
std::vector<CloseOutcome> ClosePolitely(const std::vector<RunningProgram>& programs, DWORD answerMs,
                                        DWORD limitMs);
