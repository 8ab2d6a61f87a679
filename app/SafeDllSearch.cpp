// The process's first code. Installers are started from a download folder, and
// a DLL placed there under a system DLL's name would run with the installer's
// rights if the installer's own folder were searched. So before the runtime,
// the framework, COM or the common controls load anything, every later DLL
// lookup is limited to the system directory; then the runtime starts as usual.
#include <windows.h>

extern "C" int WinMainCRTStartup();

extern "C" int InstallerEntry() {
    // Present on every Windows the installer runs on; should it fail, the one
    // DLL the installer loads by name, Cabinet.dll, still comes by full path.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return WinMainCRTStartup();
}
