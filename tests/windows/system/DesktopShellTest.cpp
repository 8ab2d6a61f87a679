#include "DesktopShell.h"
#include "TestSupport.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>

namespace {

// Name of the executable of a running process, or "" when it is not running.
std::wstring ProcessName(DWORD processId) {
    std::wstring name;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return name;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == processId) name = entry.szExeFile;
    CloseHandle(snapshot);
    return name;
}

// Waits up to timeoutMs for the child's "<id> <parent id>" record.
bool ReadMarker(const std::wstring& path, unsigned long& self, unsigned long& parent, DWORD timeoutMs) {
    for (DWORD waited = 0; waited <= timeoutMs; waited += 100) {
        FILE* in = _wfopen(path.c_str(), L"r");
        if (in != nullptr) {
            const int fields = std::fscanf(in, "%lu %lu", &self, &parent);
            std::fclose(in);
            if (fields == 2) return true;
        }
        Sleep(100);
    }
    return false;
}

class DesktopShellTest : public ComTest {};

TEST_F(DesktopShellTest, FindsTheDesktopShellView) {
    IShellView* view = nullptr;
    ASSERT_EQ(S_OK, GetDesktopShellView(IID_IShellView, reinterpret_cast<void**>(&view)));
    ASSERT_NE(nullptr, view);
    view->Release();
}

TEST_F(DesktopShellTest, FindsTheDesktopViewObject) {
    IShellFolderViewDual* dual = nullptr;
    ASSERT_EQ(S_OK, GetDesktopViewObject(IID_IShellFolderViewDual, reinterpret_cast<void**>(&dual)));
    ASSERT_NE(nullptr, dual);
    dual->Release();
}

TEST_F(DesktopShellTest, UnsupportedInterfaceGivesNoInterface) {
    IUnknown* object = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_NOINTERFACE, GetDesktopShellView(IID_IShellLinkW, reinterpret_cast<void**>(&object)));
    EXPECT_EQ(nullptr, object);
    object = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_NOINTERFACE, GetDesktopViewObject(IID_IShellLinkW, reinterpret_cast<void**>(&object)));
    EXPECT_EQ(nullptr, object);
}

DWORD WINAPI LaunchWithoutCom(void* out) {
    *static_cast<HRESULT*>(out) =
        ShellExecuteViaDesktop(L"C:\\windows\\notepad.exe", L"", L"", L"open", SW_SHOWNORMAL);
    return 0;
}

TEST_F(DesktopShellTest, WithoutComTheCreateCallsCodeIsReturned) {
    HRESULT hr = S_OK;
    HANDLE thread = CreateThread(nullptr, 0, LaunchWithoutCom, &hr, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 30000)) << "the launch without COM never returned";
    CloseHandle(thread);
    EXPECT_EQ(CO_E_NOTINITIALIZED, hr);
}

TEST_F(DesktopShellTest, StartsTheProgramFromTheShellProcess) {
    CScratchFolder folder;
    const std::wstring marker = folder.Path(L"started.txt");
    const std::wstring program = ProgramFolder() + L"win_system_child.exe";
    const std::wstring arguments = L"\"" + marker + L"\"";

    ASSERT_EQ(S_OK, ShellExecuteViaDesktop(program.c_str(), arguments.c_str(), L"", L"open", SW_SHOWNORMAL));

    unsigned long self = 0, parent = 0;
    ASSERT_TRUE(ReadMarker(marker, self, parent, 15000)) << "the program did not start";
    EXPECT_NE(GetCurrentProcessId(), parent);
    EXPECT_NE(GetCurrentProcessId(), self);
    std::wstring parentName = ProcessName(parent);
    for (auto& c : parentName) c = towlower(c);
    EXPECT_EQ(L"explorer.exe", parentName);
}

}  // namespace

namespace {

bool ProcessRunning(const wchar_t* exeName) {
    bool found = false;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, exeName) == 0) found = true;
    CloseHandle(snapshot);
    return found;
}

// Run only by the win_system_noshell_tests entry, in a prefix whose explorer.exe is disabled.
class NoDesktopShellTest : public ComTest {};

TEST_F(NoDesktopShellTest, NothingIsStartedAndTheLookupFails) {
    ASSERT_FALSE(ProcessRunning(L"explorer.exe")) << "a desktop shell is running here";
    CScratchFolder folder;
    const std::wstring marker = folder.Path(L"started.txt");
    const std::wstring program = ProgramFolder() + L"win_system_child.exe";
    const std::wstring arguments = L"\"" + marker + L"\"";

    const HRESULT hr =
        ShellExecuteViaDesktop(program.c_str(), arguments.c_str(), L"", L"open", SW_SHOWNORMAL);
    EXPECT_NE(S_OK, hr);
    // Wine serves the shell-windows object from its desktop shell only.
    EXPECT_EQ(REGDB_E_CLASSNOTREG, hr) << std::hex << hr;

    IShellView* view = reinterpret_cast<IShellView*>(1);
    EXPECT_EQ(hr, GetDesktopShellView(IID_IShellView, reinterpret_cast<void**>(&view)));
    EXPECT_EQ(nullptr, view);

    unsigned long self = 0, parent = 0;
    EXPECT_FALSE(ReadMarker(marker, self, parent, 3000)) << "a program was started";
    EXPECT_FALSE(ProcessRunning(L"explorer.exe"));
}

}  // namespace
