#pragma once
// Removing Vantrelle: exactly what its installers wrote, and nothing else.
#include <string>
#include <vector>

#include "Report.h"

struct Removal {
    unsigned filesRemoved = 0;
    // What stays in the install directory besides the uninstaller and its list:
    // files the installers did not write, and the folders that hold them.
    std::vector<std::wstring> kept;
};

// Removes from `dir` (the install directory, ending in a backslash) every file
// its list names, the start-menu shortcut, the registry values and the Apps &
// features entry, then every folder left empty and the list itself; the
// uninstaller's own file is left to the caller. With `closeOpen`, Vantrelle and
// its help are first closed where they are open (not started again). Refuses,
// removing nothing, while Vantrelle or its help is in use or a link is in a
// folder users may write.
bool RemoveVantrelle(const std::wstring& dir, CReport& report, Removal& removal, bool closeOpen);

// What the user reads at the end.
std::wstring RemovedText(const std::wstring& dir, const Removal& removal);
