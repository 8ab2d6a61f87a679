// The process's first code. Installers are started from a download folder, and
// a DLL placed there under a system DLL's name would run with the installer's
// rights if the installer's own folder were searched. So before the runtime,
// the framework, COM or the common controls load anything, every later DLL
// lookup is limited to the system directory; then the runtime starts as usual.
#include <windows.h>

#include "system/SystemLibrary.h"

extern "C" int WinMainCRTStartup();

namespace {
// Not known DLLs, and loaded later by the system's own DLLs by bare name,
// through paths that not every loader narrows (Wine's delay-loading does not):
// loaded now from the system directory, a later lookup finds them loaded.
const wchar_t* const kLoadedEarly[] = {L"uxtheme.dll", L"msimg32.dll"};
}  // namespace

extern "C" int InstallerEntry() {
    // Present on every Windows the installer runs on; should it fail, the DLLs
    // the installer itself loads still come by full path.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    for (const wchar_t* name : kLoadedEarly) LoadSystemLibrary(name);
    return WinMainCRTStartup();
}
