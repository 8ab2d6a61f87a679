// Planted beside the installer under the name of a DLL the installer may load:
// whoever loads it leaves a marker, C:\planted\<its file name>.
#include <windows.h>

#include <cwchar>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    const wchar_t* slash = wcsrchr(path, L'\\');
    wchar_t marker[MAX_PATH + 16];
    swprintf(marker, sizeof marker / sizeof *marker, L"C:\\planted\\%ls", slash ? slash + 1 : path);
    CreateDirectoryW(L"C:\\planted", nullptr);
    HANDLE h = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return TRUE;
}
