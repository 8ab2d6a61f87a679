// install_timer INSTALLER.exe: one installation driven as a user drives it;
// prints "SECONDS PEAK_PRIVATE_BYTES": from pressing the button until the
// success message shows, and the installer's peak commit at that moment.
// Whatever the installer starts afterwards (Vantrelle, when the payload has
// it) is left running: ./bench ends every program of the prefix. The reference
// payload has no Vantrelle.exe, and waiting for its window took 10 s a run.
#include <cstdio>

#include "Driver.h"
// after windows.h, which Driver.h brings
#include <psapi.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    Driver::CInstallerProcess installer;
    if (!installer.Start(argv[1])) return 1;
    HWND dlg = installer.WaitForDialog();
    if (!dlg) return 1;
    Driver::Click(dlg, 105);
    Driver::WaitForEnabled(dlg, 104);
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t0);
    Driver::Click(dlg, 104);
    HWND box = nullptr;
    while (!(box = Driver::FindMessageBox(installer.Id()))) Sleep(5);
    QueryPerformanceCounter(&t1);
    bool success = Driver::WindowText(box) == L"Installation complete";
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, installer.Id());
    if (process) {
        GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
        CloseHandle(process);
    }
    Driver::PressOk(box);
    DWORD code = 1;
    installer.WaitForExit(20000, &code);
    std::printf("%.3f %llu\n", double(t1.QuadPart - t0.QuadPart) / double(f.QuadPart),
                static_cast<unsigned long long>(counters.PeakPagefileUsage));
    return success && code == 0 ? 0 : 1;
}
