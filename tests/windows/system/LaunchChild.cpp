// Writes "<own id> <parent id>" to the file named by its first argument.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const DWORD self = GetCurrentProcessId();
    DWORD parent = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
        CloseHandle(snapshot);
    }
    FILE* out = _wfopen(argv[1], L"w");
    if (out == nullptr) return 1;
    std::fprintf(out, "%lu %lu\n", static_cast<unsigned long>(self), static_cast<unsigned long>(parent));
    std::fclose(out);
    return 0;
}
