// idle: does nothing but report its own peak private memory (as install_timer
// and cabx --peak measure it), the floor any program has under this Wine.
#include <windows.h>
// after windows.h
#include <psapi.h>

#include <cstdio>

int wmain() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 1;
    std::printf("%llu\n", static_cast<unsigned long long>(counters.PeakPagefileUsage));
    return 0;
}
