// idle: does nothing but report its own peak private memory (as install_timer
// and cabx --peak measure it), the floor any program has under this Wine:
// "BARE WITH_DLLS", the second after loading the system DLLs the installer's
// process loads, without using them.
#include <windows.h>
// after windows.h
#include <psapi.h>

#include <cstdio>
#include <initializer_list>

static unsigned long long Peak() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakPagefileUsage;
}

int wmain() {
    unsigned long long bare = Peak();
    for (const wchar_t* dll : {L"user32.dll", L"gdi32.dll", L"advapi32.dll", L"ole32.dll", L"oleaut32.dll",
                               L"shell32.dll", L"comctl32.dll", L"uxtheme.dll", L"cabinet.dll", L"mpr.dll",
                               L"wininet.dll", L"urlmon.dll", L"ieframe.dll", L"actxprxy.dll"}) {
        if (!LoadLibraryW(dll)) return 1;
    }
    std::printf("%llu %llu\n", bare, Peak());
    return 0;
}
