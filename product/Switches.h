#pragma once
// The switches of the installer and the uninstaller, case-insensitive:
//   /quiet               no window, no question; the exit code tells the result
//   /accept-charityware  (installer) accepts the charityware terms on the user's behalf
//   /no-close            does not close Vantrelle when it is open: the run is refused
//   /log=PATH            writes what the run does to the file PATH
//   /lang=en|de|fr       speaks that language instead of the user's display language
//   /?                   lists the switches
#include <windows.h>

#include <string>

struct Switches {
    bool quiet = false;
    bool acceptCharityware = false;
    bool help = false;
    bool noClose = false;
    std::wstring log;
    LANGID language = 0;   // 0: the user's display language
    std::wstring unknown;  // the first argument that is none of the program's switches
};

// Reads arguments 1 to count-1; `acceptsTerms`: /accept-charityware is one of the program's.
Switches ParseSwitches(int count, const wchar_t* const* arguments, bool acceptsTerms);

#include "Language.h"

// The box that lists the switches: `program` is the file name that was started.
Words SwitchesText(const Switches& switches, const std::wstring& program, bool acceptsTerms);

class CLog;
class CInstallationLock;

// What a run does with the installation lock as it begins: nothing (it ends
// before it looks at the installation), checks that no other run is at work
// (it asks the user first), or takes it (a quiet run, which changes the
// machine at once).
enum class LockAtStart { kNone, kCheck, kTake };

// How a run of either program begins: the log it is asked for is opened and
// names the program (`program`: "installer" or "uninstaller"); /? and an
// unknown switch list the switches, in a box titled with the file's name
// (`name`, without extension) unless the run is quiet. Before anything is
// said, the run's language is picked. The lock is checked or taken as `atStart`
// says before the log is opened, so that a second run given the same log path
// is refused without emptying the log of the run at work. False, with the exit
// code, when the run ends there.
bool BeginRun(const Switches& switches, CLog& log, const wchar_t* program, const std::wstring& name,
              unsigned long& exitCode, LockAtStart atStart, CInstallationLock& lock);
