#include "SelfRemoval.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

#include "InstallationLock.h"
#include "PartialFiles.h"
#include "Product.h"
#include "Staging.h"
#include "system/FolderAccess.h"

namespace {

// A new folder of our own under the Windows folder's Temp; one that exists
// already, whoever made it, is never used.
std::wstring MakeOwnFolder() {
    wchar_t windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    PSECURITY_DESCRIPTOR descriptor = NewAdministratorsOnlyDescriptor();
    if (!descriptor) return {};
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    std::wstring folder;
    DWORD number = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (int tries = 0; tries < 16 && folder.empty(); ++tries) {
        wchar_t name[64];
        swprintf(name, 64, L"\\Temp\\Vantrelle-Uninstall-%08lX", static_cast<unsigned long>(number++));
        const std::wstring candidate = std::wstring(windows) + name;
        if (CreateDirectoryW(candidate.c_str(), &security))
            folder = candidate + L"\\";
        else if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    const DWORD error = GetLastError();
    LocalFree(descriptor);
    SetLastError(error);
    return folder;
}

// Moves the running file aside in its folder; its new name, or empty when it cannot move.
std::wstring MoveAside(const std::wstring& dir) {
    const std::wstring own = dir + kUninstallerFile;
    DWORD number = GetTickCount() ^ (GetCurrentProcessId() << 12);
    for (int tries = 0; tries < 16; ++tries) {
        const std::wstring aside = AsideFileName(number++);
        if (MoveFileExW(own.c_str(), (dir + aside).c_str(), 0)) return aside;
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return {};
}

// Starts the copy of `aside` in `dir` that deletes it and the folder; false,
// with GetLastError, when it cannot.
bool StartCopy(const std::wstring& dir, const std::wstring& aside) {
    const std::wstring folder = MakeOwnFolder();
    if (folder.empty()) return false;
    const std::wstring copy = folder + kUninstallerFile;
    if (!CopyFileW((dir + aside).c_str(), copy.c_str(), TRUE)) {
        const DWORD error = GetLastError();
        RemoveDirectoryW(folder.c_str());
        SetLastError(error);
        return false;
    }
    // The copy waits on this process through an inherited handle.
    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE,
                         TRUE, 0)) {
        return false;
    }
    // The directory's final backslash is doubled before the closing quote, so
    // the command line keeps it as one backslash.
    std::wstring command = L"\"" + copy + L"\" " + kCleanupSwitch + L" " +
                           std::to_wstring(reinterpret_cast<UINT_PTR>(self)) + L" \"" + dir + L"\\\" " +
                           aside;
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const BOOL ok = CreateProcessW(copy.c_str(), &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                   nullptr, system, &startup, &started);
    const DWORD error = GetLastError();
    CloseHandle(self);
    if (!ok) {
        DeleteFileW(copy.c_str());
        RemoveDirectoryW(folder.c_str());
        SetLastError(error);
        return false;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

}  // namespace

std::wstring MoveSelfAside(const std::wstring& dir, CReport& report) {
    const std::wstring aside = MoveAside(dir);
    if (aside.empty())
        report.Note(L"The uninstaller stays in " + dir + L": " + SystemErrorLine(GetLastError()).english);
    return aside;
}

void StartSelfRemoval(const std::wstring& dir, const std::wstring& aside, CReport& report) {
    if (aside.empty() || StartCopy(dir, aside)) return;
    // Not worth a failure: the file goes at the next restart instead.
    report.Note(L"The uninstaller will be deleted at the next restart: " +
                SystemErrorLine(GetLastError()).english);
    MoveFileExW((dir + aside).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void FinishSelfRemoval(const wchar_t* process, const wchar_t* dir, const wchar_t* aside) {
    // Only what the uninstaller left: the moved-aside files, then its folder if empty.
    const size_t length = wcslen(dir);
    if (length < 4 || dir[1] != L':' || dir[length - 1] != L'\\' || !IsAsideFileName(aside)) return;
    HANDLE uninstaller = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(wcstoull(process, nullptr, 10)));
    if (WaitForSingleObject(uninstaller, 60000) != WAIT_OBJECT_0) return;
    CloseHandle(uninstaller);
    WIN32_FIND_DATAW entry;
    auto partialFilesLeft = [&] {
        HANDLE find = FindFirstFileW((std::wstring(dir) + L"~Vantrelle-*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) FindClose(find);
        return find != INVALID_HANDLE_VALUE;
    };
    // The system may hold the uninstaller's file a moment after its process ended.
    for (int tries = 0; tries < 50; ++tries) {
        if (tries) Sleep(100);
        // An installer may be at work in the folder: its run ends first. One cut
        // off hard left its journal, and the moved-aside files it lists are the
        // next run's to put back.
        CInstallationLock lock;
        if (lock.Take(kCleanupLockWaitMs) != ERROR_SUCCESS) {
            // Its own file and the folder, not files an installer at work may still need.
            MoveFileExW((std::wstring(dir) + aside).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
            MoveFileExW(dir, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
            break;
        }
        if (GetFileAttributesW((std::wstring(dir) + kJournalFile).c_str()) != INVALID_FILE_ATTRIBUTES) break;
        RemovePartialFiles(dir);
        if (RemoveDirectoryW(dir) || !partialFilesLeft()) break;
    }

    wchar_t self[MAX_PATH];
    const DWORD got = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (got == 0 || got >= MAX_PATH) return;
    MoveFileExW(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    *wcsrchr(self, L'\\') = 0;
    MoveFileExW(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
