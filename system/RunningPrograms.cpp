#include "RunningPrograms.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <memory>

#include "Handle.h"

namespace {

// The system's list of every open handle (SystemExtendedHandleInformation):
// the one way to learn which process holds a file that Wine serves as well
// as Windows (Wine's Restart Manager reports nothing).
struct HandleEntry {
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT typeIndex;
    ULONG attributes;
    ULONG reserved;
};
struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};
const ULONG kSystemExtendedHandleInformation = 64;
const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

// The table, or empty when the system does not give it.
std::vector<char> HandleList() {
    using QueryFn = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    // Grown until the handles open at that moment fit; a system's whole list is a few megabytes.
    for (std::vector<char> table(1 << 16); query && table.size() <= (256u << 20);
         table.resize(table.size() * 2)) {
        const LONG status =
            query(kSystemExtendedHandleInformation, table.data(), static_cast<ULONG>(table.size()), nullptr);
        if (status >= 0) return table;
        if (status != kInfoLengthMismatch) break;
    }
    return {};
}

// The file's full path as the system resolves it, for comparing; empty when it cannot tell.
std::wstring FinalPath(HANDLE file) {
    wchar_t path[1024];
    const DWORD length = GetFinalPathNameByHandleW(file, path, 1024, FILE_NAME_NORMALIZED);
    return length && length < 1024 ? std::wstring(path, length) : std::wstring();
}

bool SamePath(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

// `path` lies in the folder `dir` (ending in a backslash) or below it.
bool InFolder(const std::wstring& path, const std::wstring& dir) {
    return path.size() > dir.size() && _wcsnicmp(path.c_str(), dir.c_str(), dir.size()) == 0;
}

// A handle the call gave, or null for its INVALID_HANDLE_VALUE.
HANDLE Valid(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }

std::wstring ProgramFile(DWORD processId) {
    cHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    wchar_t path[1024];
    DWORD length = 1024;
    if (!process.Get() || !QueryFullProcessImageNameW(process.Get(), 0, path, &length)) return {};
    return std::wstring(path, length);
}

// The processes that hold one of `files` open, each with the file.
std::map<DWORD, std::wstring> HoldersOf(const std::vector<std::wstring>& files) {
    std::map<DWORD, std::wstring> holders;
    std::vector<std::wstring> targets, named;  // final paths, as the handles report them; the files' own
    std::vector<std::unique_ptr<cHandle>> opened;
    for (const std::wstring& file : files) {
        auto handle = std::make_unique<cHandle>(Valid(CreateFileW(
            file.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)));
        if (!handle->Get()) continue;
        targets.push_back(FinalPath(handle->Get()));
        named.push_back(file);
        opened.push_back(std::move(handle));
    }
    if (opened.empty()) return holders;
    const std::vector<char> list = HandleList();
    if (list.empty()) return holders;
    const auto* table = reinterpret_cast<const HandleTable*>(list.data());
    const size_t fits = (list.size() - offsetof(HandleTable, entries)) / sizeof(HandleEntry);
    const size_t count = std::min<size_t>(table->count, fits);
    const DWORD self = GetCurrentProcessId();
    // A file's handles are of the type the system gave this process's own.
    USHORT fileType = 0;
    for (size_t i = 0; i < count; ++i) {
        const HandleEntry& entry = table->entries[i];
        if (entry.processId == self && entry.handle == reinterpret_cast<ULONG_PTR>(opened.front()->Get()))
            fileType = entry.typeIndex;
    }
    if (!fileType) return holders;
    std::map<DWORD, std::unique_ptr<cHandle>> processes;
    for (size_t i = 0; i < count; ++i) {
        const HandleEntry& entry = table->entries[i];
        const auto id = static_cast<DWORD>(entry.processId);
        if (entry.typeIndex != fileType || id == self || holders.count(id)) continue;
        auto& process = processes[id];
        if (!process) process = std::make_unique<cHandle>(OpenProcess(PROCESS_DUP_HANDLE, FALSE, id));
        cHandle held;
        if (!process->Get() ||
            !DuplicateHandle(process->Get(), reinterpret_cast<HANDLE>(entry.handle), GetCurrentProcess(),
                             held.Receive(), 0, FALSE, DUPLICATE_SAME_ACCESS))
            continue;
        // Only a file on a disk: asking a pipe or a device for its name may never return.
        if (GetFileType(held.Get()) != FILE_TYPE_DISK) continue;
        const std::wstring path = FinalPath(held.Get());
        for (size_t t = 0; t < targets.size(); ++t) {
            if (!path.empty() && SamePath(path, targets[t])) holders[id] = named[t];
        }
    }
    return holders;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM programs) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    for (RunningProgram& program : *reinterpret_cast<std::vector<RunningProgram>*>(programs)) {
        if (program.id == id) program.windows.push_back(window);
    }
    return TRUE;
}

}  // namespace

std::vector<RunningProgram> FindRunningPrograms(const std::wstring& dir,
                                                const std::vector<std::wstring>& files) {
    std::vector<RunningProgram> programs;
    const DWORD self = GetCurrentProcessId();
    DWORD ownSession = 0;
    const bool sessionKnown = ProcessIdToSessionId(self, &ownSession);
    std::map<DWORD, std::wstring> holders = HoldersOf(files);
    cHandle snapshot(Valid(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot.Get() && Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == self || entry.th32ProcessID == 0) continue;
        const std::wstring path = ProgramFile(entry.th32ProcessID);
        const auto held = holders.find(entry.th32ProcessID);
        if (!InFolder(path, dir) && held == holders.end()) continue;
        RunningProgram program;
        program.id = entry.th32ProcessID;
        program.path = path.empty() ? entry.szExeFile : path;
        if (!InFolder(path, dir)) program.heldFile = held->second;
        DWORD session = 0;
        program.otherSession =
            sessionKnown && ProcessIdToSessionId(program.id, &session) && session != ownSession;
        programs.push_back(program);
    }
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&programs));
    return programs;
}

std::vector<CloseOutcome> ClosePolitely(const std::vector<RunningProgram>& programs, DWORD answerMs,
                                        DWORD limitMs) {
    std::vector<CloseOutcome> outcomes(programs.size());
    const DWORD start = GetTickCount();
    auto left = [&] { return std::max<LONG>(0, static_cast<LONG>(limitMs - (GetTickCount() - start))); };
    bool refused = false;
    for (size_t i = 0; i < programs.size(); ++i) {
        if (programs[i].otherSession)
            outcomes[i].answer = CloseAnswer::kOtherSession, refused = true;
        else if (programs[i].windows.empty())
            outcomes[i].answer = CloseAnswer::kNoWindow;
    }
    if (refused) return outcomes;
    // Held from the first question, so that an id cannot pass to another process meanwhile.
    std::vector<std::unique_ptr<cHandle>> processes;
    for (const RunningProgram& program : programs)
        processes.push_back(std::make_unique<cHandle>(OpenProcess(SYNCHRONIZE, FALSE, program.id)));
    // Every window is asked before any is told: one that says no keeps them all.
    std::vector<HWND> agreed;
    for (size_t i = 0; i < programs.size() && !refused; ++i) {
        if (!programs[i].CanBeAsked()) continue;
        for (HWND window : programs[i].windows) {
            DWORD_PTR answer = TRUE;
            SetLastError(ERROR_SUCCESS);
            const DWORD wait = std::min<DWORD>(answerMs, static_cast<DWORD>(left()));
            if (SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG,
                                    wait, &answer)) {
                if (answer) {
                    agreed.push_back(window);
                    continue;
                }
                outcomes[i].answer = CloseAnswer::kRefused;
            } else if (GetLastError() == ERROR_INVALID_WINDOW_HANDLE || !IsWindow(window)) {
                continue;  // closed meanwhile
            } else {
                outcomes[i].answer = CloseAnswer::kNoAnswer;
            }
            outcomes[i].milliseconds = GetTickCount() - start;
            refused = true;
            break;
        }
    }
    if (refused) {
        // The end is off: those that agreed may go on as before.
        for (HWND window : agreed)
            SendMessageTimeoutW(window, WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, answerMs,
                                nullptr);
        return outcomes;
    }
    for (HWND window : agreed)
        SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG,
                            std::min<DWORD>(answerMs, static_cast<DWORD>(left())), nullptr);
    for (HWND window : agreed) {
        if (IsWindow(window)) PostMessageW(window, WM_CLOSE, 0, 0);
    }
    for (size_t i = 0; i < programs.size(); ++i) {
        if (!programs[i].CanBeAsked()) continue;
        HANDLE process = processes[i]->Get();
        const bool ended =
            process && WaitForSingleObject(process, static_cast<DWORD>(left())) == WAIT_OBJECT_0;
        outcomes[i].answer = ended ? CloseAnswer::kEnded : CloseAnswer::kStillRunning;
        outcomes[i].milliseconds = GetTickCount() - start;
    }
    return outcomes;
}
