#pragma once
// The switches of the installer and the uninstaller, case-insensitive:
//   /quiet               no window, no question; the exit code tells the result
//   /accept-charityware  (installer) accepts the charityware terms on the user's behalf
//   /log=PATH            writes what the run does to the file PATH
//   /lang=en|de|fr       speaks that language instead of the user's display language
//   /?                   lists the switches
#include <windows.h>

#include <string>

struct Switches {
    bool quiet = false;
    bool acceptCharityware = false;
    bool help = false;
    std::wstring log;
    LANGID language = 0;   // 0: the user's display language
    std::wstring unknown;  // the first argument that is none of the program's switches
};

// Reads arguments 1 to count-1; `acceptsTerms`: /accept-charityware is one of the program's.
Switches ParseSwitches(int count, const wchar_t* const* arguments, bool acceptsTerms);

// The box that lists the switches: `program` is the file name that was started.
std::wstring SwitchesText(const Switches& switches, const std::wstring& program, bool acceptsTerms);

class CLog;

// How a run of either program begins: the log it is asked for is opened and
// names the program (`program`: "installer" or "uninstaller"); /? and an
// unknown switch list the switches, in a box titled with the file's name
// (`name`, without extension) unless the run is quiet. Before anything is
// said, the run's language is picked. False, with the exit code, when the run
// ends there.
bool BeginRun(const Switches& switches, CLog& log, const wchar_t* program, const std::wstring& name,
              unsigned long& exitCode);
