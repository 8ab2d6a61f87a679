#include "Driver.h"

#include <tlhelp32.h>

namespace Driver {

namespace {
struct FindData {
    DWORD pid;
    int control;  // the dialog that has a control of this id
    HWND found;
};

// A message box is a dialog with the static text id 65535 (0xFFFF); the
// installer's dialog, in whichever language, the one with its button 104.
BOOL CALLBACK FindDialogOfProcess(HWND hwnd, LPARAM lp) {
    auto* fd = reinterpret_cast<FindData*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != fd->pid || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (wcscmp(cls, L"#32770") != 0 || !GetDlgItem(hwnd, fd->control)) return TRUE;
    fd->found = hwnd;
    return FALSE;
}
BOOL CALLBACK FindWindowOfProcess(HWND hwnd, LPARAM lp) {
    auto* fd = reinterpret_cast<FindData*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != fd->pid || !IsWindowVisible(hwnd)) return TRUE;
    fd->found = hwnd;
    return FALSE;
}
}  // namespace

CInstallerProcess::~CInstallerProcess() {
    if (m_Info.hProcess) CloseHandle(m_Info.hProcess);
    if (m_Info.hThread) CloseHandle(m_Info.hThread);
}

bool CInstallerProcess::Start(const std::wstring& exe, const std::wstring& workingDir,
                              const std::wstring& arguments) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmd = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    return CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingDir.empty() ? nullptr : workingDir.c_str(), &si, &m_Info) != 0;
}

HWND CInstallerProcess::WaitForDialog(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        FindData fd{m_Info.dwProcessId, 104, nullptr};
        EnumWindows(FindDialogOfProcess, reinterpret_cast<LPARAM>(&fd));
        if (fd.found) return fd.found;
        if (!IsRunning()) return nullptr;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

bool CInstallerProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (WaitForSingleObject(m_Info.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(m_Info.hProcess, exitCode);
    return true;
}

bool CInstallerProcess::ShowsWindow() const {
    FindData fd{m_Info.dwProcessId, 0, nullptr};
    EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&fd));
    return fd.found != nullptr;
}

bool CInstallerProcess::IsRunning() const {
    return m_Info.hProcess && WaitForSingleObject(m_Info.hProcess, 0) == WAIT_TIMEOUT;
}

void CInstallerProcess::Kill() {
    if (IsRunning()) {
        TerminateProcess(m_Info.hProcess, 99);
        WaitForSingleObject(m_Info.hProcess, 5000);
    }
}

void CInstallerProcess::Suspend(bool suspend) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te)) {
        if (te.th32OwnerProcessID != m_Info.dwProcessId) continue;
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, te.th32ThreadID);
        if (suspend)
            SuspendThread(thread);
        else
            ResumeThread(thread);
        CloseHandle(thread);
    }
    CloseHandle(snap);
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buf[2048] = {};
    // WM_GETTEXT works across processes where GetWindowText would not for controls.
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return buf;
}

std::wstring ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

bool IsControlEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

bool WaitForEnabled(HWND dialog, int id, bool enabled, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); IsControlEnabled(dialog, id) != enabled; Sleep(20)) {
        if (GetTickCount() - start > timeoutMs) return false;
    }
    return true;
}

void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

HWND FindMessageBox(DWORD processId) {
    FindData fd{processId, 0xFFFF, nullptr};
    EnumWindows(FindDialogOfProcess, reinterpret_cast<LPARAM>(&fd));
    return fd.found;
}

MessageBoxSeen WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    MessageBoxSeen seen;
    DWORD start = GetTickCount();
    do {
        if (HWND box = FindMessageBox(processId)) {
            Sleep(100);  // let the box finish drawing its text
            seen.found = true;
            seen.caption = WindowText(box);
            seen.text = ControlText(box, 0xFFFF);
            seen.owner = GetWindow(box, GW_OWNER);
            return seen;
        }
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return seen;
}

void PressOk(HWND box) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

HWND WaitForWindowTitled(const std::wstring& title, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        if (HWND h = FindWindowW(nullptr, title.c_str())) return h;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

DWORD WindowProcessId(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

std::wstring LoadedModulePath(DWORD pid, const wchar_t* name) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid);
    if (snap == INVALID_HANDLE_VALUE) return L"";
    MODULEENTRY32W me{};
    me.dwSize = sizeof me;
    std::wstring path;
    for (BOOL ok = Module32FirstW(snap, &me); ok; ok = Module32NextW(snap, &me)) {
        if (_wcsicmp(me.szModule, name) == 0) {
            path = me.szExePath;
            break;
        }
    }
    CloseHandle(snap);
    return path;
}

bool ProcessRuns(const wchar_t* name) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    bool found = false;
    for (BOOL ok = Process32FirstW(snap, &pe); ok && !found; ok = Process32NextW(snap, &pe))
        found = _wcsicmp(pe.szExeFile, name) == 0;
    CloseHandle(snap);
    return found;
}

DWORD ParentProcessId(DWORD pid) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    DWORD parent = 0;
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe)) {
        if (pe.th32ProcessID == pid) {
            parent = pe.th32ParentProcessID;
            break;
        }
    }
    CloseHandle(snap);
    return parent;
}

bool SaveScreenshot(HWND hwnd, const std::wstring& path) {
    RECT r;
    if (!GetWindowRect(hwnd, &r)) return false;
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    DWORD stride = (DWORD(w) * 3 + 3) & ~3u, size = stride * DWORD(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + size;
    bool ok = false;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        DWORD n;
        ok = WriteFile(f, &fh, sizeof fh, &n, nullptr) &&
             WriteFile(f, &bi.bmiHeader, sizeof bi.bmiHeader, &n, nullptr) &&
             WriteFile(f, bits, size, &n, nullptr);
        CloseHandle(f);
    }
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace Driver
