#pragma once
// Vantrelle, another program of the installation, or a viewer of its help,
// open while the installation is to change. As Windows Installer and Inno
// Setup do, the run closes them politely (each may ask its user to save, or
// refuse), says in the log how each answered, and afterwards starts again what
// it closed of the installation: the new release once an update stands, the
// old one where it did not. What cannot be closed keeps running, and the run
// goes on to its check for files in use, which refuses with 32.
#include <string>

#include "Report.h"
#include "system/RunningPrograms.h"

// How long one window has to answer, and the whole closing at most: a hung
// Vantrelle costs no more than this.
inline constexpr unsigned long kCloseAnswerMs = 5000;
inline constexpr unsigned long kCloseLimitMs = 30000;

// Everything open that uses the installation in `dir`: its programs, and
// whatever holds one of its help files.
std::vector<RunningProgram> FindOpenPrograms(const std::wstring& dir);
// Those a user is asked about and the run can close: the ones with a window in
// this session, in the user's words ("Vantrelle, the help (Help.chm)"); empty
// when there are none.
std::wstring NamesToClose(const std::vector<RunningProgram>& programs);
// Whether Vantrelle, or another program of the installation, is among them.
bool ClosesVantrelle(const std::vector<RunningProgram>& programs);

// Closes what is open in `dir` (the step's log names each, its answer and how
// long it took) and adds to `closed` the program files of the installation
// that ended, to start again. False when something stays open.
bool CloseOpenPrograms(const std::wstring& dir, CReport& report, std::vector<std::wstring>& closed);
// Starts each of `closed` again through the desktop shell, as the user who
// runs it and never with this run's rights; the log says how it went.
void StartAgain(const std::vector<std::wstring>& closed, CReport& report);
