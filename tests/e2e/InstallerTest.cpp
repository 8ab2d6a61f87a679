// The installer as a user meets it: started, ticked, pressed, its messages read
// and answered, and then what it left on the machine checked. Each scenario runs
// in a fresh Wine prefix (see run-scenario).
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <sddl.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Driver.h"

namespace {

const wchar_t kInstaller[] = VANTRELLE_INSTALLER;  // Windows path of Installer.exe
const wchar_t kPayloadTree[] = VANTRELLE_PAYLOAD;  // the staged tree it carries
const wchar_t kKey[] = L"Software\\Tollanby\\Vantrelle";
const DWORD kRelease = VANTRELLE_RELEASE_NUMBER;  // this installer's "LastVersion"
const wchar_t kSuccessText[] =
    L"Vantrelle has been installed successfully.\nA shortcut has been created in the start menu.";

std::wstring SpecialFolder(int csidl) {
    wchar_t buf[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, 0, buf);
    std::wstring s = buf;
    if (!s.empty() && s.back() != L'\\') s += L'\\';
    return s;
}
std::wstring InstallDir() { return SpecialFolder(CSIDL_PROGRAM_FILES) + L"Vantrelle\\"; }

// This program has the installer's width; a 32-bit program sees the 32-bit
// views of Program Files, the registry and the system folder.
constexpr bool k32Bit = sizeof(void*) == 4;
const REGSAM kOwnView = k32Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
const REGSAM kOtherView = k32Bit ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

// A system DLL's path as the loader reports it: the system folder, or at 32 bits
// the 32-bit system folder it maps to (Windows names SysWOW64, Wine system32).
bool InSystemFolder(const std::wstring& path) {
    wchar_t system[MAX_PATH] = {}, wow64[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    if (k32Bit) GetSystemWow64DirectoryW(wow64, MAX_PATH);
    std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    return !path.empty() &&
           (_wcsicmp(folder.c_str(), system) == 0 || (k32Bit && _wcsicmp(folder.c_str(), wow64) == 0));
}

bool Exists(const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The system's text for a code, as a box puts it: without the line end.
std::wstring SystemText(DWORD code) {
    wchar_t text[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, text, 512, nullptr);
    std::wstring trimmed = text;
    while (!trimmed.empty() && (trimmed.back() == L'\n' || trimmed.back() == L'\r')) trimmed.pop_back();
    return trimmed;
}

std::string ReadAll(const std::wstring& p) {
    HANDLE f = CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string s;
    char buf[65536];
    DWORD n;
    while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n) s.append(buf, n);
    CloseHandle(f);
    return s;
}

void WriteAll(const std::wstring& p, const std::string& s) {
    HANDLE f = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    DWORD n;
    ::WriteFile(f, s.data(), DWORD(s.size()), &n, nullptr);
    CloseHandle(f);
}

bool ReadDword(HKEY root, const wchar_t* name, DWORD* value, REGSAM view = 0) {
    HKEY key;
    if (RegOpenKeyExW(root, kKey, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return false;
    DWORD size = sizeof *value;
    LSTATUS rc = RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, value, &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}
void SetDword(HKEY root, const wchar_t* name, DWORD value) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(root, kKey, name, REG_DWORD, &value, sizeof value));
}

FILETIME WriteTime(const std::wstring& p) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &d);
    return d.ftLastWriteTime;
}

// Every file of the payload tree, relative paths.
void ListTree(const std::wstring& root, const std::wstring& rel, std::vector<std::wstring>* out) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((root + rel + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListTree(root, rel + name + L"\\", out);
        else
            out->push_back(rel + name);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

// Wine 8 makes no junctions, and its CreateSymbolicLinkW creates nothing; but it
// shows a Unix symbolic link to a folder inside the prefix as a folder that is
// a reparse point (0x410). So links are planted from the Unix side: Wine starts
// a Unix program too, without a process to wait for, so the result is awaited.
std::wstring UnixPath(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unixPath = toUnix ? toUnix(path.c_str()) : nullptr;
    std::string s = unixPath ? unixPath : "";
    HeapFree(GetProcessHeap(), 0, unixPath);
    return L"\"" + std::wstring(s.begin(), s.end()) + L"\"";
}
// Plants (or with an empty target removes) the link at `path`.
void SetLink(const std::wstring& path, const std::wstring& target) {
    std::wstring command = target.empty() ? L"/bin/rm " + UnixPath(path)
                                          : L"/bin/ln -s " + UnixPath(target) + L" " + UnixPath(path);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int i = 0;
         i < 100 && (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) != target.empty(); ++i)
        Sleep(100);
    DWORD attributes = GetFileAttributesW(path.c_str());
    ASSERT_EQ(target.empty() ? INVALID_FILE_ATTRIBUTES : 0x410u, attributes) << command.c_str();
}

// Each success starts the installed Vantrelle, which holds its executable open:
// a scenario that runs again closes it first. (That it starts is FirstInstallation's
// to check: Wine's desktop shell, which starts it, can be late to come up in a
// busy run.)
void CloseVantrelle() {
    HWND app = Driver::WaitForWindowTitled(Driver::kAppTitle, 20000);
    if (!app) return;
    HANDLE running = OpenProcess(SYNCHRONIZE, FALSE, Driver::WindowProcessId(app));
    PostMessageW(app, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(running, 20000));
    CloseHandle(running);
}

// The stand-in Vantrelle as its user runs it, from `program`, willing to end,
// or told to refuse (/refuse-to-end) or to stop answering once asked
// (/stop-answering); its unsaved work goes to Work.txt when it ends.
struct COpenVantrelle {
    Driver::CInstallerProcess process;
    void Start(const std::wstring& program, const std::wstring& mode = L"") {
        ASSERT_TRUE(process.Start(program, L"", mode));
        for (int i = 0; i < 200 && !process.ShowsWindow(); ++i) Sleep(50);
        ASSERT_TRUE(process.ShowsWindow()) << "Vantrelle shows no window";
    }
    ~COpenVantrelle() { process.Kill(); }
};
std::wstring SavedWorkFile() { return SpecialFolder(CSIDL_LOCAL_APPDATA) + L"Vantrelle\\Work.txt"; }

// The process of a Vantrelle.exe from `dir` other than `old`, once one runs (within `waitMs`); 0 when none.
DWORD VantrelleFrom(const std::wstring& dir, DWORD old = 0, DWORD waitMs = 20000) {
    for (DWORD start = GetTickCount();; Sleep(100)) {
        HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        DWORD found = 0;
        for (BOOL more = Process32FirstW(snap, &entry); more && !found; more = Process32NextW(snap, &entry)) {
            HANDLE process = entry.th32ProcessID == old
                                 ? nullptr
                                 : OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
            wchar_t path[MAX_PATH];
            DWORD length = MAX_PATH;
            if (process && QueryFullProcessImageNameW(process, 0, path, &length) &&
                _wcsicmp(path, (dir + L"Vantrelle.exe").c_str()) == 0)
                found = entry.th32ProcessID;
            if (process) CloseHandle(process);
        }
        CloseHandle(snap);
        if (found || GetTickCount() - start >= waitMs) return found;
    }
}

// Every file below `root` with its bytes.
std::map<std::wstring, std::string> Snapshot(const std::wstring& root) {
    std::vector<std::wstring> files;
    ListTree(root, L"", &files);
    std::map<std::wstring, std::string> tree;
    for (const std::wstring& f : files) tree[f] = ReadAll(root + f);
    return tree;
}

// The partial files ("~Vantrelle-XXXXXXXX.tmp") anywhere below `root`.
std::vector<std::wstring> PartialFiles(const std::wstring& root) {
    std::vector<std::wstring> files, partial;
    ListTree(root, L"", &files);
    for (const std::wstring& f : files) {
        if (f.find(L"~Vantrelle-") != std::wstring::npos) partial.push_back(f);
    }
    return partial;
}

// The installers' lock as a run at work holds it (made by the administrators),
// or a mutex of its name that a user made first; or, not `held`, a handle to it
// as a run waiting for it has one.
// One nobody may use (`usable` false) lets no run open it, administrators included.
HANDLE HoldInstallationLock(bool administrators, bool held = true, bool usable = true) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const std::wstring sddl =
        std::wstring(administrators ? L"O:BAD:" : L"O:BUD:") + (usable ? L"(A;;GA;;;WD)" : L"");
    EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    HANDLE lock = CreateMutexW(&security, held, L"Global\\Tollanby.Vantrelle.Installation");
    if (held) {
        EXPECT_NE(ERROR_ALREADY_EXISTS, GetLastError()) << "the lock was free";
    }
    LocalFree(descriptor);
    return lock;
}

struct Outcome {
    Driver::MessageBoxSeen box;
    bool exited = false;
    DWORD exitCode = 0;
    DWORD installerPid = 0;
    HWND dialog = nullptr;
    std::wstring cabinetDll;  // where the installer loaded Cabinet.dll from, seen while its box is up
};

class Installer : public ::testing::Test {
protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override {
        process.Kill();
        if (HWND app = FindWindowW(nullptr, Driver::kAppTitle)) PostMessageW(app, WM_CLOSE, 0, 0);
    }

    // Start, tick, press, read the message and press OK. The process then either
    // ends (success) or keeps its dialog open (failure).
    Outcome Install(const wchar_t* installer = kInstaller, const std::wstring& workingDir = L"") {
        Outcome o;
        if (!process.IsRunning()) {
            EXPECT_TRUE(process.Start(installer, workingDir));
            o.dialog = process.WaitForDialog();
        } else {
            o.dialog = process.WaitForDialog(1000);
        }
        EXPECT_NE(nullptr, o.dialog);
        if (!o.dialog) return o;
        o.installerPid = process.Id();
        if (SendMessageW(GetDlgItem(o.dialog, 105), BM_GETCHECK, 0, 0) == 0) Driver::Click(o.dialog, 105);
        EXPECT_TRUE(Driver::WaitForEnabled(o.dialog, 104));
        Driver::Click(o.dialog, 104);
        o.box = Driver::WaitForMessageBox(process.Id(), 120000);
        EXPECT_TRUE(o.box.found);
        if (!o.box.found) return o;
        EXPECT_EQ(o.dialog, o.box.owner) << "the message box belongs to the dialog";
        o.cabinetDll = Driver::LoadedModulePath(process.Id(), L"cabinet.dll");
        Driver::PressOk(Driver::FindMessageBox(process.Id()));
        o.exited = process.WaitForExit(o.box.caption == L"Error" ? 1500 : 20000, &o.exitCode);
        return o;
    }

    void ExpectFailureKeepsDialog(const Outcome& o, const wchar_t* text) {
        EXPECT_EQ(L"Error", o.box.caption);
        EXPECT_EQ(text, o.box.text);
        EXPECT_FALSE(o.exited) << "a failure leaves the dialog open";
        EXPECT_TRUE(IsWindowEnabled(o.dialog));
        DWORD v;
        EXPECT_FALSE(ReadDword(HKEY_CURRENT_USER, L"Charityware", &v)) << "no registry value after a failure";
    }

    Driver::CInstallerProcess process;
};

TEST_F(Installer, FirstInstallation) {
    // As a run waiting for the lock holds it: the installer lets the lock go as
    // it ends, so the run waiting gets it released, not abandoned by a run stopped hard.
    HANDLE lock = HoldInstallationLock(true, false);
    Outcome o = Install();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(lock, 0));
    CloseHandle(lock);
    EXPECT_EQ(L"Installation complete", o.box.caption);
    EXPECT_EQ(kSuccessText, o.box.text);
    ASSERT_TRUE(o.exited);
    EXPECT_EQ(0u, o.exitCode);

    std::wstring dir = InstallDir();
    EXPECT_EQ(k32Bit, dir.find(L"\\Program Files (x86)\\") != std::wstring::npos) << dir.c_str();
    EXPECT_TRUE(InSystemFolder(o.cabinetDll)) << "Cabinet.dll loaded from " << o.cabinetDll.c_str();
    for (const wchar_t* sub : {L"ECU", L"Translation", L"Update", L"Macros", L"Sound", L"Convert"})
        EXPECT_TRUE(GetFileAttributesW((dir + sub).c_str()) & FILE_ATTRIBUTE_DIRECTORY) << sub;
    std::vector<std::wstring> files;
    ListTree(kPayloadTree, L"", &files);
    ASSERT_GT(files.size(), 10u);
    for (const std::wstring& f : files) {
        EXPECT_EQ(ReadAll(std::wstring(kPayloadTree) + f), ReadAll(dir + f)) << "content of " << f.c_str();
        // The cabinet keeps the packing machine's local time (the build packs in
        // UTC) to two seconds; the installer reads it as this machine's local time.
        FILETIME staged = WriteTime(std::wstring(kPayloadTree) + f), a, b = WriteTime(dir + f);
        LocalFileTimeToFileTime(&staged, &a);
        ULONGLONG ta = (ULONGLONG(a.dwHighDateTime) << 32) | a.dwLowDateTime;
        ULONGLONG tb = (ULONGLONG(b.dwHighDateTime) << 32) | b.dwLowDateTime;
        EXPECT_LE((ta > tb ? ta - tb : tb - ta), 20000000ull) << "date of " << f.c_str();
    }

    std::wstring link = SpecialFolder(CSIDL_COMMON_STARTMENU) + L"Vantrelle.lnk";
    IShellLinkW* sl = nullptr;
    ASSERT_EQ(S_OK,
              CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, (void**)&sl));
    IPersistFile* pf = nullptr;
    ASSERT_EQ(S_OK, sl->QueryInterface(IID_IPersistFile, (void**)&pf));
    ASSERT_EQ(S_OK, pf->Load(link.c_str(), STGM_READ));
    wchar_t buf[MAX_PATH] = {};
    sl->GetPath(buf, MAX_PATH, nullptr, 0);
    EXPECT_EQ(0, _wcsicmp((dir + L"Vantrelle.exe").c_str(), buf)) << buf;
    sl->GetDescription(buf, MAX_PATH);
    EXPECT_STREQ(L"A diagnostic and tuning tool for multiple ECU models.", buf);
    pf->Release();
    sl->Release();

    DWORD v = 0;
    EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, L"LastVersion", &v, kOwnView));
    EXPECT_EQ(kRelease, v);
    EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, L"LastVersion", &v, kOtherView))
        << "the other width's registry view";
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, L"Charityware", &v));
    EXPECT_EQ(11u, v);
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, L"UpdateCheck", &v));
    EXPECT_EQ(0u, v);

    HWND app = Driver::WaitForWindowTitled(Driver::kAppTitle, 20000);
    ASSERT_NE(nullptr, app) << "the installed Vantrelle was started";
    EXPECT_NE(o.installerPid, Driver::ParentProcessId(Driver::WindowProcessId(app)))
        << "started by the desktop shell, not as the installer's child";
}

TEST_F(Installer, RefusesANewerVersionAndChangesNothing) {
    for (DWORD newer : {kRelease + 1, 4294967295ul}) {
        std::wstring dir = InstallDir();
        CreateDirectoryW(dir.c_str(), nullptr);
        WriteAll(dir + L"Vantrelle.exe", "newer build");
        WriteAll(dir + L"Help.chm", "newer help");
        SetDword(HKEY_LOCAL_MACHINE, L"LastVersion", newer);
        Outcome o = Install();
        ExpectFailureKeepsDialog(
            o, L"A newer version of Vantrelle is already installed.\nPlease use the latest installer.");
        EXPECT_EQ("newer build", ReadAll(dir + L"Vantrelle.exe"));
        EXPECT_EQ("newer help", ReadAll(dir + L"Help.chm"));
        EXPECT_FALSE(Exists(dir + L"ECU"));
        process.Kill();
    }
}

TEST_F(Installer, SameVersionReinstallsAndMissingKeyInstalls) {
    SetDword(HKEY_LOCAL_MACHINE, L"LastVersion", kRelease);
    Outcome o = Install();
    EXPECT_EQ(L"Installation complete", o.box.caption);
    EXPECT_TRUE(o.exited);
}

TEST_F(Installer, RunningVantrelleIsRefused) {
    std::wstring dir = InstallDir();
    CreateDirectoryW(dir.c_str(), nullptr);
    WriteAll(dir + L"Vantrelle.exe", "running");
    // A running program holds its executable open without delete sharing.
    HANDLE held = CreateFileW((dir + L"Vantrelle.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Outcome o = Install();
    ExpectFailureKeepsDialog(o, L"Please close Vantrelle.");
    EXPECT_EQ("running", ReadAll(dir + L"Vantrelle.exe"));
    EXPECT_FALSE(Exists(dir + L"ECU"));
    CloseHandle(held);
}

TEST_F(Installer, OpenHelpFileIsRefused) {
    std::wstring dir = InstallDir();
    CreateDirectoryW(dir.c_str(), nullptr);
    WriteAll(dir + L"Help english.chm", "open");
    HANDLE held = CreateFileW((dir + L"Help english.chm").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    Outcome o = Install();
    ExpectFailureKeepsDialog(o, L"Please close the help file.");
    CloseHandle(held);
    // With the help file closed, the next press installs.
    o = Install();
    EXPECT_EQ(L"Installation complete", o.box.caption);
    EXPECT_TRUE(o.exited);
}

TEST_F(Installer, UpdateOverAnOlderInstallation) {
    std::wstring dir = InstallDir();
    for (const wchar_t* d : {L"", L"ECU", L"ECU\\Unit Beta", L"ECU\\Unit Gamma", L"Sound", L"Sound\\More",
                             L"FlashMemory", L"Parameters"})
        CreateDirectoryW((dir + d).c_str(), nullptr);
    SetDword(HKEY_LOCAL_MACHINE, L"LastVersion", kRelease - 1);
    WriteAll(dir + L"ECU\\Unit Beta\\beta.txt", "beta");
    WriteAll(dir + L"NCalc.dll", "obsolete");
    WriteAll(dir + L"FlashMemory\\Vehicle One.bin", "obsolete");
    WriteAll(dir + L"Grid.dll", "read-only obsolete");
    SetFileAttributesW((dir + L"Grid.dll").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteAll(dir + L"Vantrelle.chm", "old help");
    SetFileAttributesW((dir + L"Vantrelle.chm").c_str(), FILE_ATTRIBUTE_READONLY);

    // A user's own sound directly in Sound\ stays; one in Sound\More\ is overwritten.
    std::vector<std::wstring> files;
    ListTree(kPayloadTree, L"", &files);
    std::wstring topSound, moreSound;
    for (auto& f : files) {
        if (f.rfind(L"Sound\\More\\", 0) == 0)
            moreSound = f;
        else if (f.rfind(L"Sound\\", 0) == 0 && f.find(L'\\', 6) == std::wstring::npos)
            topSound = f;
    }
    ASSERT_FALSE(topSound.empty());
    ASSERT_FALSE(moreSound.empty());
    WriteAll(dir + topSound, "the user's own sound");
    FILETIME before = WriteTime(dir + topSound);
    WriteAll(dir + moreSound, "old sound");
    std::wstring readOnlyInstalled = L"Vantrelle.exe";
    WriteAll(dir + readOnlyInstalled, "old exe");
    SetFileAttributesW((dir + readOnlyInstalled).c_str(), FILE_ATTRIBUTE_READONLY);

    // Another program holds an installed file open without write sharing: the
    // run names that file and the reason, records nothing, and the next run updates.
    HANDLE held = CreateFileW((dir + moreSound).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Outcome o = Install();
    ExpectFailureKeepsDialog(
        o, (dir + moreSound + L"\nError 32: " + SystemText(ERROR_SHARING_VIOLATION)).c_str());
    DWORD v = 0;
    EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, L"LastVersion", &v));
    EXPECT_EQ(kRelease - 1, v);
    EXPECT_EQ("old sound", ReadAll(dir + moreSound));
    CloseHandle(held);

    o = Install();
    EXPECT_EQ(L"Installation complete", o.box.caption);
    ASSERT_TRUE(o.exited);
    EXPECT_EQ("beta", ReadAll(dir + L"ECU\\Unit Alpha\\beta.txt")) << "Unit Beta renamed to Unit Alpha";
    EXPECT_FALSE(Exists(dir + L"ECU\\Unit Beta"));
    EXPECT_TRUE(Exists(dir + L"ECU\\Unit Gamma Plus"));
    EXPECT_FALSE(Exists(dir + L"NCalc.dll"));
    EXPECT_FALSE(Exists(dir + L"FlashMemory\\Vehicle One.bin"));
    EXPECT_TRUE(Exists(dir + L"Grid.dll")) << "a read-only obsolete file survives the plain delete";
    EXPECT_EQ("the user's own sound", ReadAll(dir + topSound));
    FILETIME after = WriteTime(dir + topSound);
    EXPECT_EQ(0, CompareFileTime(&before, &after));
    EXPECT_EQ(ReadAll(std::wstring(kPayloadTree) + moreSound), ReadAll(dir + moreSound));
    EXPECT_EQ(ReadAll(std::wstring(kPayloadTree) + readOnlyInstalled), ReadAll(dir + readOnlyInstalled));
}

TEST_F(Installer, FolderThatCannotBeCreatedThenRetry) {
    // A file where the Sound folder belongs: creating the folder fails.
    std::wstring dir = InstallDir();
    CreateDirectoryW(dir.c_str(), nullptr);
    WriteAll(dir + L"Sound", "in the way");
    Outcome o = Install();
    ExpectFailureKeepsDialog(o, L"Error creating subdirectory");
    DWORD v;
    EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, L"LastVersion", &v));
    DeleteFileW((dir + L"Sound").c_str());
    o = Install();
    EXPECT_EQ(L"Installation complete", o.box.caption);
    EXPECT_TRUE(o.exited);
}

TEST_F(Installer, PermissionsThatCannotBeSetStopTheRun) {
    // run-scenario mounts Convert read-only; Wine keeps a folder's access list in
    // its mode bits, so the grant fails there (error 5).
    Outcome o = Install();
    ExpectFailureKeepsDialog(o, L"Error setting folder permissions.");
    EXPECT_FALSE(Exists(InstallDir() + L"Vantrelle.exe")) << "nothing extracted";
}

TEST_F(Installer, ShortcutThatCannotBeWrittenThenRetry) {
    // The start-menu folder replaced by a file: the link cannot be saved.
    std::wstring startMenu = SpecialFolder(CSIDL_COMMON_STARTMENU);
    ASSERT_FALSE(startMenu.empty());
    std::wstring moved = startMenu.substr(0, startMenu.size() - 1) + L".moved";
    ASSERT_TRUE(MoveFileW(startMenu.c_str(), moved.c_str()));
    WriteAll(startMenu.substr(0, startMenu.size() - 1), "not a folder");
    Outcome o = Install();
    ExpectFailureKeepsDialog(o, L"Error creating shortcut in start menu.");
    DWORD v;
    EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, L"LastVersion", &v));
    EXPECT_FALSE(Exists(InstallDir())) << "a failed first installation takes back what it made, folders too";
    DeleteFileW(startMenu.substr(0, startMenu.size() - 1).c_str());
    ASSERT_TRUE(MoveFileW(moved.c_str(), startMenu.c_str()));
    o = Install();
    EXPECT_EQ(L"Installation complete", o.box.caption);
    EXPECT_TRUE(o.exited);
}

// Started from a download folder that holds DLLs named after the ones the
// installer's process loads that are not known DLLs (found with Wine's +loaddll
// channel), each looked up there first (the scenario runs with these native
// before built-in): none of them runs, and the installation completes.
// Not planted: the known DLLs, which Windows never looks up in a program's
// folder; version.dll, and Wine's own ucrtbase, zlib1, win32u and winex11.drv,
// which Wine's user32 and gdi32 import, so Wine loads them before the program's
// first instruction whatever it declares (Windows' user32 imports none of them).
TEST_F(Installer, PlantedDllsBesideTheInstallerAreNotLoaded) {
    const wchar_t* const planted[] = {L"cabinet", L"comctl32", L"uxtheme", L"msimg32", L"mpr",
                                      L"wininet", L"urlmon",   L"ieframe", L"actxprxy"};
    wchar_t overrides[4096] = {};
    GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 4096);
    std::wstring folder = SpecialFolder(CSIDL_COMMON_DOCUMENTS) + L"Downloads\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring installer = folder + L"Installer.exe";
    ASSERT_TRUE(CopyFileW(kInstaller, installer.c_str(), FALSE));
    for (const wchar_t* name : planted) {
        ASSERT_NE(nullptr, wcsstr(overrides, name))
            << name << " is not looked up native-first: " << overrides;
        ASSERT_TRUE(CopyFileW(VANTRELLE_PLANTED_DLL, (folder + name + L".dll").c_str(), FALSE)) << name;
    }
    Outcome o = Install(installer.c_str(), folder);
    EXPECT_EQ(L"Installation complete", o.box.caption);
    EXPECT_TRUE(o.exited);
    EXPECT_TRUE(InSystemFolder(o.cabinetDll)) << "Cabinet.dll loaded from " << o.cabinetDll.c_str();
    for (const wchar_t* name : planted)
        EXPECT_FALSE(Exists(std::wstring(L"C:\\planted\\") + name + L".dll")) << name << ".dll was loaded";
}

TEST_F(Installer, DamagedPayloadFails) {
    // And an installer for which Wine's built-in Cabinet.dll is disabled.
    const wchar_t kDamaged[] =
        L"This installer is damaged and cannot install Vantrelle.\nPlease download a new copy of the "
        L"installer.";
    const wchar_t kNoCabinet[] = L"Software\\Wine\\AppDefaults\\Installer.exe";
    const struct {
        const wchar_t* installer;
        bool cabinetDll;
        const wchar_t* text;
    } cases[] = {
        {VANTRELLE_INSTALLER_OTHER_KEY, true, kDamaged},
        {VANTRELLE_INSTALLER_FLIPPED, true, kDamaged},
        {VANTRELLE_INSTALLER_CUT, true, kDamaged},
        {kInstaller, false, L"The system's cabinet library Cabinet.dll cannot be loaded."},
    };
    for (const auto& c : cases) {
        if (!c.cabinetDll) {
            ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER,
                                                     (kNoCabinet + std::wstring(L"\\DllOverrides")).c_str(),
                                                     L"cabinet", REG_SZ, L"", sizeof(wchar_t)));
        }
        Outcome o = Install(c.installer);
        RegDeleteTreeW(HKEY_CURRENT_USER, kNoCabinet);
        ExpectFailureKeepsDialog(o, c.text);
        EXPECT_EQ(c.cabinetDll, !o.cabinetDll.empty()) << c.installer;
        DWORD v;
        EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, L"LastVersion", &v)) << "no version recorded";
        EXPECT_FALSE(Exists(SpecialFolder(CSIDL_COMMON_STARTMENU) + L"Vantrelle.lnk"));
        process.Kill();
    }
}

// run-scenario puts the install directory on a small volume of its own, which a
// file of the user's fills. What the space check counts: each file of the
// payload in whole 4 KiB blocks, the uninstaller, and 64 KiB for the list and
// the journal. A block less than that is free: the run is refused before it
// changes anything, and says how much it needs (a check that left out any one
// of the three would let it start). With that much free, the same dialog
// installs everything.
TEST_F(Installer, FullVolumeThenRetry) {
    std::wstring dir = InstallDir(), filler = dir + L"filler.bin";
    ULARGE_INTEGER free{}, total{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(dir.c_str(), &free, &total, nullptr)) << "no install directory";
    ASSERT_LT(total.QuadPart, 16ull << 20) << "the install directory is not on a small volume of its own";
    std::vector<std::wstring> files;
    ListTree(kPayloadTree, L"", &files);
    ULONGLONG needed = ReadAll(VANTRELLE_UNINSTALLER).size() + 65536;
    for (const std::wstring& f : files)
        needed += (ReadAll(std::wstring(kPayloadTree) + f).size() + 4095) / 4096 * 4096;
    // In tenths: what is needed rounded up, what is free down, so the two never read the same.
    auto megabytes = [](ULONGLONG bytes, bool up) {
        const ULONGLONG tenths = (bytes * 10 + (up ? 1048575 : 0)) / 1048576;
        return std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10) + L" MB";
    };
    const ULONGLONG below = (needed - 1) / 4096 * 4096, enough = (needed + 4095) / 4096 * 4096;
    WriteAll(filler, std::string(size_t(free.QuadPart - below), 'f'));
    Outcome o = Install();
    // The volume is mounted at the install directory: that is where space is missing.
    const std::wstring drive = dir.substr(0, dir.size() - 1);
    ExpectFailureKeepsDialog(
        o, (L"There is not enough free space on " + drive + L" to install Vantrelle.\nIt needs " +
            megabytes(needed, true) + L", and " + megabytes(below, false) +
            L" is free.\nPlease free some space on " + drive + L", then run the installer again.")
               .c_str());
    EXPECT_NE(megabytes(needed, true), megabytes(below, false)) << "short by " << needed - below << " bytes";
    EXPECT_FALSE(Exists(dir + L"ECU")) << "refused before anything changed";

    WriteAll(filler, std::string(size_t(free.QuadPart - enough), 'f'));
    o = Install();
    EXPECT_EQ(kSuccessText, o.box.text);
    EXPECT_TRUE(o.exited);
    for (const std::wstring& f : files)
        EXPECT_EQ(ReadAll(std::wstring(kPayloadTree) + f), ReadAll(dir + f)) << f.c_str();
    DWORD v = 0;
    EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, L"LastVersion", &v));
    EXPECT_EQ(kRelease, v);
}

}  // namespace

TEST_F(Installer, LinkInAUserFolderIsRefusedThenRetry) {
    // A user who may write in ECU empties a folder there and makes it a link to a
    // folder the user may not write. The elevated update must not touch the target.
    ASSERT_EQ(kSuccessText, Install().box.text);
    CloseVantrelle();
    const std::wstring dir = InstallDir();
    std::vector<std::wstring> files, written = {L"ECU\\OBD2\\Parameters\\Universal OBD2.xml",
                                                L"ECU\\Unit Alpha\\Parameters\\Unit Beta.xml",
                                                L"ECU\\Unit Alpha\\Emulator\\Unit Beta.xml"};
    ListTree(kPayloadTree, L"", &files);
    written.insert(written.end(), files.begin(), files.end());
    for (const std::wstring linked : {L"ECU", L"ECU\\Unit Alpha", L"ECU\\Unit Alpha\\Parameters"}) {
        // The target holds files of the names the update writes and deletes there.
        const std::wstring victim = L"C:\\victim" + std::to_wstring(linked.size()) + L"\\";
        for (const std::wstring& f : written) {
            if (f.rfind(linked + L"\\", 0) != 0) continue;
            const std::wstring path = victim + f.substr(linked.size() + 1);
            SHCreateDirectoryExW(nullptr, path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
            WriteAll(path, "the target's own");
        }
        std::vector<std::wstring> before;
        ListTree(victim, L"", &before);
        CreateDirectoryW((dir + linked).c_str(),
                         nullptr);  // where the payload has no such folder, a user makes it
        ASSERT_TRUE(MoveFileW((dir + linked).c_str(), (dir + linked + L".moved").c_str()));
        SetLink(dir + linked, victim);
        WriteAll(dir + L"Convert\\Units.csv", "the user's change");
        SetDword(HKEY_LOCAL_MACHINE, L"LastVersion", kRelease - 1);
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);

        Outcome o = Install();
        ExpectFailureKeepsDialog(
            o, (dir + linked +
                L"\nThis is a link to another place, and the installer does not work "
                L"through links in the folders it installs into.\nPlease remove the link, then run "
                L"the installer again.")
                   .c_str());
        std::vector<std::wstring> after;
        ListTree(victim, L"", &after);
        EXPECT_EQ(before, after) << "no file added to or deleted from the link's target";
        for (const std::wstring& name : after)
            EXPECT_EQ("the target's own", ReadAll(victim + name)) << name.c_str();
        EXPECT_EQ("the user's change", ReadAll(dir + L"Convert\\Units.csv"))
            << "nothing written before the check";
        DWORD v = 0;
        EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, L"LastVersion", &v) && v == kRelease - 1) << v;

        // The link removed, the same dialog installs the whole tree.
        SetLink(dir + linked, L"");
        o = Install();
        EXPECT_EQ(kSuccessText, o.box.text);
        EXPECT_TRUE(o.exited);
        for (const std::wstring& f : files)
            EXPECT_EQ(ReadAll(std::wstring(kPayloadTree) + f), ReadAll(dir + f)) << f.c_str();
        CloseVantrelle();
    }
}

// Ended hard in the middle of a large sound, as a power cut or Task Manager ends
// it: no file under its own name is partial, whether it is a first installation
// or an update, and the next run completes the tree. A sound the user had
// before stays through both runs.
TEST_F(Installer, CutOffThenRetry) {
    const std::wstring dir = InstallDir(), payload = VANTRELLE_PAYLOAD_BIG, own = L"Sound\\Connect.wav";
    std::vector<std::wstring> files;
    ListTree(payload, L"", &files);
    auto old = [](const std::wstring& f) { return "old " + std::string(f.begin(), f.end()); };
    SHCreateDirectoryExW(nullptr, (dir + L"Sound").c_str(), nullptr);
    WriteAll(dir + own, "the user's own sound");
    for (bool update : {false, true}) {
        if (update) {  // the last release, without the large sound
            for (const std::wstring& f : files) {
                if (f.rfind(L"Sound\\", 0) != 0 || f.find(L'\\', 6) != std::wstring::npos)
                    WriteAll(dir + f, old(f));
            }
            DeleteFileW((dir + L"Sound\\Big.wav").c_str());
        }
        const auto before = Snapshot(dir);
        ASSERT_TRUE(process.Start(VANTRELLE_INSTALLER_BIG));
        HWND dialog = process.WaitForDialog();
        ASSERT_NE(nullptr, dialog);
        Driver::Click(dialog, 105);
        ASSERT_TRUE(Driver::WaitForEnabled(dialog, 104));
        Driver::Click(dialog, 104);
        // The moment: the sound, under whatever name, is partly written.
        auto growing = [&](const wchar_t* pattern) {
            WIN32_FIND_DATAW fd;
            HANDLE h = FindFirstFileW((dir + pattern).c_str(), &fd);
            if (h != INVALID_HANDLE_VALUE) FindClose(h);
            return h != INVALID_HANDLE_VALUE && fd.nFileSizeLow > (1u << 20) && fd.nFileSizeLow < (24u << 20);
        };
        bool cut = false;
        for (DWORD start = GetTickCount(); !cut && GetTickCount() - start < 120000 && process.IsRunning();) {
            if (growing(L"Sound\\~Vantrelle-*.tmp") || growing(L"Sound\\Big.wav")) process.Kill(), cut = true;
        }
        ASSERT_TRUE(cut) << "the sound was never seen half written";
        EXPECT_FALSE(PartialFiles(dir).empty()) << "cut off while writing the sound";
        // Nothing is put in place before everything is staged: the installation is as it was.
        for (const std::wstring& f : files) {
            EXPECT_EQ(before.count(f) ? before.at(f) : "<missing>", ReadAll(dir + f))
                << "changed before the commit: " << f.c_str();
        }

        Outcome o = Install(VANTRELLE_INSTALLER_BIG);
        EXPECT_EQ(kSuccessText, o.box.text);
        for (const std::wstring& f : files) {
            const std::string now = ReadAll(dir + f);
            EXPECT_TRUE(now == (f == own ? "the user's own sound" : ReadAll(payload + f)))
                << f.c_str() << " (" << now.size() << " bytes)";
        }
        EXPECT_TRUE(PartialFiles(dir).empty()) << "the cut-off run's partial file is gone";
        CloseVantrelle();
    }
}

// A user's link at ECU\\Unit Alpha to a folder of theirs, the folder itself moved
// aside (`plant`), or the link taken away and the folder put back.
void PlantUnitAlphaLink(const std::wstring& dir, bool plant) {
    const std::wstring folder = dir + L"ECU\\Unit Alpha", aside = folder + L".moved";
    if (plant) {
        CreateDirectoryW(L"C:\\victim", nullptr);
        MoveFileW(folder.c_str(), aside.c_str());
    }
    SetLink(folder, plant ? L"C:\\victim" : L"");
    if (!plant) MoveFileW(aside.c_str(), folder.c_str());
}

// Whether the log holds `text`, in the log's UTF-8 and line ends.
bool Logged(const std::wstring& logFile, std::wstring text) {
    for (size_t at = 0; (at = text.find(L'\n', at)) != text.npos; at += 2) text.insert(at, L"\r");
    std::string expected(text.size() * 3, '\0');
    expected.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), &expected[0],
                                        int(expected.size()), nullptr, nullptr));
    return ReadAll(logFile).find(expected) != std::string::npos;
}

// Runs a command line to its end; its exit code, and what it printed when asked.
DWORD RunToEnd(std::wstring command, std::string* printed = nullptr) {
    wchar_t temp[MAX_PATH], out[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    GetTempFileNameW(temp, L"out", 0, out);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileW(out, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = file;
    PROCESS_INFORMATION pi{};
    DWORD code = 9999;
    if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, 120000);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(file);
    if (printed) *printed = ReadAll(out);
    DeleteFileW(out);
    return code;
}

// A quiet installation by `installer`, to its end: "0", or its exit code and
// its log, so that a failure says why.
std::string InstalledQuietly(const std::wstring& installer, const std::wstring& log = L"C:\\quiet.log") {
    const DWORD code = RunToEnd(L"\"" + installer + L"\" /quiet /accept-charityware \"/log=" + log + L"\"");
    return code == 0 ? "0" : std::to_string(code) + "\n" + ReadAll(log);
}

const wchar_t kEntry[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantrelle";
std::wstring EntryText(const wchar_t* name) {
    wchar_t text[MAX_PATH] = {};
    DWORD size = sizeof text;
    RegGetValueW(HKEY_LOCAL_MACHINE, kEntry, name, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

// A process of that file name that has opened the object `ours` is a handle
// to (as a run waiting for the lock has it open), once one has or when none is
// left running (within 60 s); its id, or 0.
DWORD WaitForLockOpened(const wchar_t* name, HANDLE ours) {
    using QueryFn = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    using CompareFn = BOOL(WINAPI*)(HANDLE, HANDLE);
    const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    const auto same = reinterpret_cast<CompareFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernelbase.dll"), "CompareObjectHandles")));
    struct Entry {
        PVOID object;
        ULONG_PTR process, handle;
        ULONG access;
        USHORT trace, type;
        ULONG attributes, reserved;
    };
    for (DWORD start = GetTickCount(); GetTickCount() - start < 60000 && Driver::ProcessRuns(name);
         Sleep(50)) {
        std::vector<char> table(1 << 20);
        if (query(64 /* SystemExtendedHandleInformation */, table.data(), ULONG(table.size()), nullptr) < 0)
            continue;
        const auto count = *reinterpret_cast<ULONG_PTR*>(table.data());
        const auto* entries = reinterpret_cast<const Entry*>(table.data() + 2 * sizeof(ULONG_PTR));
        for (ULONG_PTR i = 0; i < count; ++i) {
            HANDLE process = OpenProcess(PROCESS_DUP_HANDLE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                         DWORD(entries[i].process));
            wchar_t path[MAX_PATH];
            DWORD length = MAX_PATH;
            HANDLE copy = nullptr;
            const bool opened = process && QueryFullProcessImageNameW(process, 0, path, &length) &&
                                _wcsicmp(wcsrchr(path, L'\\') + 1, name) == 0 &&
                                DuplicateHandle(process, HANDLE(entries[i].handle), GetCurrentProcess(),
                                                &copy, 0, FALSE, DUPLICATE_SAME_ACCESS) &&
                                same(copy, ours);
            if (copy) CloseHandle(copy);
            if (process) CloseHandle(process);
            if (opened) return DWORD(entries[i].process);
        }
    }
    return 0;
}

// The uninstaller, and the copy of it that deletes its file and the install
// directory once it has ended, have both ended.
void WaitForUninstallerCopy() {
    for (int i = 0; i < 300 && Driver::ProcessRuns(L"Uninstall.exe"); ++i) Sleep(100);
}

// What Windows' Programs and Features lists, as Wine's own shows it: KEY|||DisplayName.
std::string ProgramsAndFeatures() {
    std::string listed;
    RunToEnd(L"uninstaller.exe --list", &listed);
    return listed;
}

// A box of a process the test did not start: answered by its button.
std::wstring Answer(const wchar_t* caption, int button) {
    HWND box = Driver::WaitForWindowTitled(caption, 30000);
    if (!box) return L"<no box>";
    Sleep(200);
    std::wstring text = Driver::ControlText(box, 0xFFFF);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(50);
    return text;
}

namespace {

// Everything an update may change: the files below the install directory (but
// the user's filler of a full volume), the recorded version, the shortcut and
// the Apps & features entry.
std::map<std::wstring, std::string> Installation(const std::wstring& dir) {
    auto state = Snapshot(dir);
    state.erase(L"filler.bin");
    state.erase(L"filler2.bin");
    DWORD version = 0;
    ReadDword(HKEY_LOCAL_MACHINE, L"LastVersion", &version);
    state[L"<LastVersion>"] = std::to_string(version);
    state[L"<shortcut>"] = ReadAll(SpecialFolder(CSIDL_COMMON_STARTMENU) + L"Vantrelle.lnk");
    const std::wstring entry = EntryText(L"DisplayVersion") + L"|" + EntryText(L"UninstallString");
    state[L"<entry>"] = std::string(entry.begin(), entry.end());
    return state;
}

// The release this installer carries, whole in `dir`: every file of `payload`,
// its version, its uninstaller and its entry, and nothing of an update left over.
void ExpectReleaseWhole(const std::wstring& dir, const std::wstring& payload, const std::wstring& what) {
    std::vector<std::wstring> files;
    ListTree(payload, L"", &files);
    for (const std::wstring& f : files)
        EXPECT_TRUE(ReadAll(payload + f) == ReadAll(dir + f)) << what.c_str() << ": " << f.c_str();
    EXPECT_EQ(std::to_string(kRelease), Installation(dir)[L"<LastVersion>"]) << what.c_str();
    EXPECT_TRUE(Exists(dir + L"Uninstall.exe")) << what.c_str();
    EXPECT_EQ(VANTRELLE_VERSION_WIDE, EntryText(L"DisplayVersion")) << what.c_str();
    EXPECT_TRUE(PartialFiles(dir).empty() && !Exists(dir + L"~Vantrelle-journal.dat"))
        << what.c_str() << ": something of the update is left over";
}

}  // namespace

// The installer started with switches and no one at the screen: each row's exit
// code, and its log holding the words a box would show. A refusal changes
// nothing; no window ever shows, and Vantrelle is not started. The rows run in
// order on one machine (whose install directory is a small volume of its own),
// each leaving it as the next expects.
TEST_F(Installer, QuietRuns) {
    const std::wstring dir = InstallDir(), logFile = L"C:\\My Logs\\install.log";
    CreateDirectoryW(L"C:\\My Logs", nullptr);
    const std::wstring quiet = L"/QUIET /Accept-Charityware \"/log=" + logFile + L"\"";
    const std::wstring link =
        dir +
        L"ECU\\Unit Alpha\nThis is a link to another place, and the installer does not work through links in "
        L"the folders it installs into.\nPlease remove the link, then run the installer again.";
    const std::wstring inProgress =
        L"Another installation or removal of Vantrelle is in progress.\nPlease try again when it has "
        L"finished.";
    const std::wstring foreign =
        L"Vantrelle cannot be installed or removed now: the lock that lets only one installation or removal "
        L"run at a time was made by another program, not by Vantrelle's installer or uninstaller.\nAn "
        L"administrator should find out which program made the object "
        L"Global\\Tollanby.Vantrelle.Installation. Restarting the computer removes it.";
    const std::wstring aside = dir + L"~Vantrelle-0000ABCF.old";
    HANDLE held = nullptr, lock = nullptr;
    auto holdLock = [&] { lock = HoldInstallationLock(true); };
    auto releaseLock = [&] { CloseHandle(lock); };
    std::unique_ptr<COpenVantrelle> open;  // Vantrelle as its user has it open
    COpenVantrelle viewer;                 // another program, with the help open
    const std::wstring viewing = L"/open=" + dir + L"Help.chm";
    // A quiet update with the same log path, stopped while it holds the lock: while it waits the
    // 5 s a Vantrelle that stopped answering has, so that it cannot end first.
    Driver::CInstallerProcess first;
    auto firstAtWork = [&] {
        (open = std::make_unique<COpenVantrelle>())->Start(dir + L"Vantrelle.exe", L"/stop-answering");
        DeleteFileW(logFile.c_str());
        ASSERT_TRUE(first.Start(kInstaller, L"", quiet));
        while (!Logged(logFile, L"Closing Vantrelle and its help") && first.IsRunning()) Sleep(10);
        first.Suspend(true);
    };
    std::wstring filler = dir + L"filler.bin";
    // An update writes all but the sounds directly in Sound\\, which the user may have made.
    std::vector<std::wstring> files;
    ListTree(kPayloadTree, L"", &files);
    size_t sounds = 0;
    for (const std::wstring& f : files) sounds += f.rfind(L"Sound\\", 0) == 0 && f.find(L'\\', 6) == f.npos;
    auto installed = [&](size_t written) {
        return std::wstring(Driver::kAppTitle) + L" is installed in " + dir + L": " +
               std::to_wstring(written) + L" files written.";
    };
    // Vantrelle open as its user left it; a refusal leaves it running with its work unsaved. A
    // Vantrelle.exe of another folder is copied once: copied over one that has just ended, Wine
    // could leave it unable to start.
    CreateDirectoryW(L"C:\\Other", nullptr);
    ASSERT_TRUE(CopyFileW((std::wstring(kPayloadTree) + L"Vantrelle.exe").c_str(),
                          L"C:\\Other\\Vantrelle.exe", FALSE));
    auto openVantrelle = [&](const std::wstring& program, const wchar_t* mode) {
        return [&, program, mode] { (open = std::make_unique<COpenVantrelle>())->Start(program, mode); };
    };
    auto leftOpen = [&] {
        EXPECT_TRUE(open->process.IsRunning()) << "Vantrelle was closed";
        EXPECT_EQ("<missing>", ReadAll(SavedWorkFile())) << "Vantrelle was asked to end";
        open.reset();
    };
    struct Row {
        const wchar_t* what;
        std::wstring program;
        std::wstring switches;
        std::function<void()> before, after;
        DWORD code;
        std::wstring text;      // in the log, as the box says it
        bool box;               // not quiet: a box says it too
        bool restarts = false;  // Vantrelle runs again afterwards
    } rows[] = {
        {L"unknown switch", kInstaller, quiet + L" /frobnicate", [] {}, [] {}, 1639,
         L"Unknown switch: /frobnicate\n\nInstaller takes these switches:", false},
        {L"unknown switch, with a window", kInstaller, L"\"/log=" + logFile + L"\" /frobnicate", [] {}, [] {},
         1639, L"Unknown switch: /frobnicate\n\nInstaller takes these switches:", true},
        {L"no acceptance", kInstaller, L"/quiet \"/log=" + logFile + L"\"", [] {}, [] {}, 1602,
         L"The charityware terms were not accepted. A quiet installation needs the switch "
         L"/accept-charityware, by "
         L"which you accept on the user's behalf that Vantrelle is charityware.",
         false},
        {L"damaged", VANTRELLE_INSTALLER_FLIPPED, quiet, [] {}, [] {}, 1392,
         L"This installer is damaged and cannot install Vantrelle.\nPlease download a new copy of the "
         L"installer.",
         false},
        {L"log that cannot be created", kInstaller, L"/quiet /accept-charityware \"/log=C:\\No Such\\x.log\"",
         [] {}, [] {}, 1622, L"", false},
        {L"first installation", kInstaller, quiet, [] {}, [] {}, 0, installed(files.size()), false},
        {L"Vantrelle running", kInstaller, quiet,
         [&] {
             held = CreateFileW((dir + L"Vantrelle.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
         },
         [&] { CloseHandle(held); }, 32, L"Please close Vantrelle.", false},
        // An update cut off in its commit, whose moved-aside file another program holds: the recovery
        // cannot put it back, so the run names it and changes nothing; once it is free, the next run
        // puts it back and installs.
        {L"recovery held up", kInstaller, quiet,
         [&] {
             ASSERT_TRUE(MoveFileW((dir + L"ReadMe.txt").c_str(), aside.c_str()));
             WriteAll(dir + L"~Vantrelle-journal.dat", "M\tReadMe.txt\t~Vantrelle-0000ABCF.old\r\n");
             held = CreateFileW(aside.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr);
         },
         [&] { CloseHandle(held); }, 32, aside + L"\nError 32: " + SystemText(ERROR_SHARING_VIOLATION),
         false},
        {L"recovery once the file is free", kInstaller, quiet, [] {}, [] {}, 0,
         L"An interrupted installation was put back into one piece (1 changes).", false},
        // Vantrelle open: asked to end as Windows asks it, never ended by force.
        {L"Vantrelle refusing to end", kInstaller, quiet,
         openVantrelle(dir + L"Vantrelle.exe", L"/refuse-to-end"), leftOpen, 32, L" refused to close (",
         false},
        {L"Vantrelle not answering", kInstaller, quiet,
         openVantrelle(dir + L"Vantrelle.exe", L"/stop-answering"), leftOpen, 32, L" did not answer (5.0 s)",
         false},
        {L"Vantrelle open, /no-close", kInstaller, quiet + L" /no-close",
         openVantrelle(dir + L"Vantrelle.exe", L""), leftOpen, 32, L"Please close Vantrelle.", false},
        {L"Vantrelle open, /no-close, uninstaller", dir + L"Uninstall.exe",
         L"/quiet /no-close \"/log=" + logFile + L"\"", openVantrelle(dir + L"Vantrelle.exe", L""), leftOpen,
         32, L"Please close Vantrelle.", false},
        // All or nothing: the program that agreed (asked first, as the first started) is told the
        // session goes on, and keeps its work.
        {L"Vantrelle refusing, the help's viewer willing", kInstaller, quiet,
         [&] {
             viewer.Start(L"C:\\Other\\Vantrelle.exe", viewing);
             openVantrelle(dir + L"Vantrelle.exe", L"/refuse-to-end")();
         },
         [&] {
             EXPECT_TRUE(viewer.process.IsRunning()) << "closed, though Vantrelle refused";
             viewer.process.Kill();
             leftOpen();
         },
         32, L" refused to close (", false},
        // Found by the file it holds, not by its own: closed, and not started again.
        {L"the help open in another program", kInstaller, quiet,
         [&] { openVantrelle(L"C:\\Other\\Vantrelle.exe", viewing.c_str())(); },
         [&] {
             EXPECT_FALSE(open->process.IsRunning()) << "the help's viewer was not closed";
             EXPECT_NE(std::string::npos, ReadAll(SavedWorkFile()).find("saved on WM_ENDSESSION"));
             DeleteFileW(SavedWorkFile().c_str());
         },
         0, L", which holds " + dir + L"Help.chm, agreed and ended (", false},
        {L"a Vantrelle.exe of another folder", kInstaller, quiet,
         openVantrelle(L"C:\\Other\\Vantrelle.exe", L""), leftOpen, 0, installed(files.size() - sounds),
         false},
        {L"Vantrelle open", kInstaller, quiet, openVantrelle(dir + L"Vantrelle.exe", L""),
         [&] {
             EXPECT_NE(std::string::npos, ReadAll(SavedWorkFile()).find("saved on WM_ENDSESSION"));
             EXPECT_FALSE(open->process.IsRunning());
             EXPECT_NE(0u, VantrelleFrom(dir, open->process.Id())) << "Vantrelle was not started again";
             CloseVantrelle();
             DeleteFileW(SavedWorkFile().c_str());
         },
         0, L" agreed and ended (", false, true},
        {L"another run at work", kInstaller, quiet, holdLock, releaseLock, 1618, inProgress, false},
        {L"another run at work, with a window", kInstaller, L"\"/log=" + logFile + L"\"", holdLock,
         releaseLock, 1618, inProgress, true},
        {L"another run at work, uninstaller", dir + L"Uninstall.exe", L"/quiet \"/log=" + logFile + L"\"",
         holdLock, releaseLock, 1618, inProgress, false},
        // The second run cannot write the log the first one writes: it ends with 1618 all the same,
        // and the first run's log stays whole.
        {L"another run at work, same log", kInstaller, quiet, firstAtWork,
         [&] {
             first.Suspend(false);
             DWORD code = 0;
             EXPECT_TRUE(first.WaitForExit(60000, &code) && code == 32) << code;
             const std::string log = ReadAll(logFile);
             EXPECT_EQ(log.find("installer, quiet"), log.rfind("installer, quiet")) << log;
             EXPECT_TRUE(Logged(logFile, L" did not answer (5.0 s)\n")) << log;
             EXPECT_TRUE(Logged(logFile, L"Please close Vantrelle.")) << log;
             open.reset();
         },
         1618, L"", false},
        {L"a lock a user made", kInstaller, quiet, [&] { lock = HoldInstallationLock(false); }, releaseLock,
         698, foreign, false},
        {L"a lock a user made, uninstaller", dir + L"Uninstall.exe", L"/quiet \"/log=" + logFile + L"\"",
         [&] { lock = HoldInstallationLock(false); }, releaseLock, 698, foreign, false},
        {L"an object of the lock's name that is no lock", kInstaller, quiet,
         [&] { lock = CreateEventW(nullptr, TRUE, FALSE, L"Global\\Tollanby.Vantrelle.Installation"); },
         releaseLock, 698, foreign, false},
        {L"a lock no run may open", kInstaller, quiet,
         [&] { lock = HoldInstallationLock(true, false, false); }, releaseLock, 1603,
         L"the lock that lets only one installation or removal run at a time cannot be taken.\nError 5: " +
             SystemText(ERROR_ACCESS_DENIED),
         false},
        {L"link", kInstaller, quiet, [&] { PlantUnitAlphaLink(dir, true); },
         [&] { PlantUnitAlphaLink(dir, false); }, 681, link, false},
        {L"newer version", kInstaller, quiet,
         [] { SetDword(HKEY_LOCAL_MACHINE, L"LastVersion", kRelease + 1); },
         [] { SetDword(HKEY_LOCAL_MACHINE, L"LastVersion", kRelease); }, 1638,
         L"A newer version of Vantrelle is already installed.\nPlease use the latest installer.", false},
        // Vantrelle, closed for an update that then fails, is started again as it was.
        {L"full volume, Vantrelle open", kInstaller, quiet,
         [&] {
             openVantrelle(dir + L"Vantrelle.exe", L"")();
             ULARGE_INTEGER free{};
             GetDiskFreeSpaceExW(dir.c_str(), &free, nullptr, nullptr);
             WriteAll(filler, std::string(size_t(free.QuadPart - (128 << 10)), 'f'));  // 0.125 MB left
         },
         [&] {
             DeleteFileW(filler.c_str());
             EXPECT_NE(0u, VantrelleFrom(dir, open->process.Id()))
                 << "the old Vantrelle was not started again";
             CloseVantrelle();
             DeleteFileW(SavedWorkFile().c_str());
         },
         112,
         L" MB, and 0.1 MB is free.\nPlease free some space on " + dir.substr(0, dir.size() - 1) + L", then",
         false},
        {L"update", kInstaller, quiet, [] { SetDword(HKEY_LOCAL_MACHINE, L"LastVersion", kRelease - 1); },
         [] {}, 0, installed(files.size() - sounds), false},
    };
    WriteAll(logFile, std::string(1 << 16, '#'));  // an earlier log, longer than any run's here
    for (Row& row : rows) {
        row.before();
        const auto before = Installation(dir);
        ASSERT_TRUE(process.Start(row.program, L"", row.switches)) << row.what;
        bool window = false;
        DWORD code = 0;
        // A quiet run that shows a window instead waits for no one: it fails here, not by ctest's timeout.
        for (DWORD start = GetTickCount(); !row.box && !process.WaitForExit(20, &code);) {
            window = window || process.ShowsWindow();
            if (GetTickCount() - start > 60000) {
                ADD_FAILURE() << row.what << ": the installer did not end within 60 s"
                              << (window ? ", showing a window" : "");
                process.Kill();
                break;
            }
        }
        if (row.box) {
            Driver::MessageBoxSeen box = Driver::WaitForMessageBox(process.Id(), 20000);
            EXPECT_EQ(0u, box.text.rfind(row.text, 0)) << box.text.c_str();
            Driver::PressOk(Driver::FindMessageBox(process.Id()));
            EXPECT_TRUE(process.WaitForExit(20000, &code));
        }
        EXPECT_FALSE(window) << row.what << ": a quiet run showed a window";
        EXPECT_EQ(row.code, code) << row.what;
        EXPECT_TRUE(Logged(logFile, row.text)) << row.what << ": " << ReadAll(logFile);
        EXPECT_EQ(std::string::npos, ReadAll(logFile).find('#')) << row.what << ": the log was not made anew";
        if (row.code != 0) {
            EXPECT_TRUE(before == Installation(dir)) << row.what << ": changed";
        } else {
            EXPECT_EQ(std::to_string(kRelease), Installation(dir)[L"<LastVersion>"]);
            for (const std::wstring& f : files)
                EXPECT_EQ(ReadAll(std::wstring(kPayloadTree) + f), ReadAll(dir + f)) << f.c_str();
            EXPECT_TRUE(Exists(SpecialFolder(CSIDL_COMMON_STARTMENU) + L"Vantrelle.lnk"));
            // A program started through the desktop shell exists once the shell's call returns, before
            // the run ends: not seen at once, it was not started.
            EXPECT_EQ(row.restarts, VantrelleFrom(dir, 0, row.restarts ? 20000 : 500) != 0)
                << row.what << ": Vantrelle is started again only where it was closed";
        }
        row.after();
    }
}

// Installed, then removed through Programs and Features: interactively (Wine's
// "uninstaller --remove", the driver answering the boxes) and with the entry's
// QuietUninstallString. Everything the installers wrote goes, a file only an
// older release wrote too; the user's files stay byte for byte, and nothing of
// the uninstaller is left. Refusals remove nothing.
TEST_F(Installer, UninstallRemovesWhatTheInstallersWrote) {
    const std::wstring dir = InstallDir(), log = L"C:\\uninstall.log";
    const std::map<std::wstring, std::string> own = {{L"ECU\\mine.txt", "my notes"},
                                                     {L"Macros\\mine.mac", "my macro"},
                                                     {L"Sound\\Connect.wav", "my sound"}};
    std::vector<std::wstring> files;
    ListTree(kPayloadTree, L"", &files);
    for (bool quiet : {true, false}) {
        // The user's sound is there first, so the installers keep it. The first
        // round installs an older release, with a sound only it has, then updates.
        SHCreateDirectoryExW(nullptr, (dir + L"Sound").c_str(), nullptr);
        WriteAll(dir + L"Sound\\Connect.wav", "my sound");
        for (const wchar_t* installer : {quiet ? VANTRELLE_INSTALLER_BIG : kInstaller, kInstaller}) {
            ASSERT_EQ("0", InstalledQuietly(installer));
        }
        // The size Apps & features shows: every file the installers wrote is there, the older release's too.
        ULONGLONG written = 0;
        for (const auto& [name, bytes] : Snapshot(dir)) written += own.count(name) ? 0 : bytes.size();
        DWORD kib = 0, size = sizeof kib;
        RegGetValueW(HKEY_LOCAL_MACHINE, kEntry, L"EstimatedSize", RRF_RT_REG_DWORD, nullptr, &kib, &size);
        EXPECT_EQ((written + 1023) / 1024, kib) << "EstimatedSize in KiB";
        for (const auto& [name, bytes] : own) WriteAll(dir + name, bytes);
        // A file made read-only, and the partial and moved-aside files of an installation cut off, go too.
        auto plant = [&] {
            SetFileAttributesW((dir + L"Translation\\Deutsch.lng").c_str(), FILE_ATTRIBUTE_READONLY);
            for (const wchar_t* partial :
                 {L"~Vantrelle-1A2B3C4D.tmp", L"Translation\\~Vantrelle-0000abcd.tmp",
                  L"Translation\\~Vantrelle-0000abce.old"})
                WriteAll(dir + partial, "cut off");
        };
        plant();
        EXPECT_NE(std::string::npos, ProgramsAndFeatures().find("Vantrelle|||Vantrelle"));
        EXPECT_EQ(L"\"" + dir + L"Uninstall.exe\"", EntryText(L"UninstallString"));
        auto installed = Snapshot(dir);
        if (quiet) {
            HANDLE held = nullptr;
            const std::wstring list = dir + L"Uninstall.dat";
            const std::string listed = ReadAll(list);
            const std::wstring reason = SystemText(ERROR_FILE_CORRUPT);
            const std::wstring damaged =
                L"The list of the files Vantrelle installed is missing or damaged, so the uninstaller cannot "
                L"tell them from yours:\n" +
                list + L"\nError 1392: " + reason +
                L"\nNothing was removed. Install Vantrelle again, then uninstall it.";
            COpenVantrelle open;
            const struct {
                std::function<void()> before, after;
                DWORD code;
                std::wstring text;
            } refusals[] = {
                {[&] { open.Start(dir + L"Vantrelle.exe", L"/refuse-to-end"); }, [&] { open.process.Kill(); },
                 32, L"Please close Vantrelle."},
                {[&] {
                     held = CreateFileW((dir + L"Vantrelle.exe").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
                 },
                 [&] { CloseHandle(held); }, 32, L"Please close Vantrelle."},
                {[&] {
                     held = CreateFileW((dir + L"Help.chm").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
                 },
                 [&] { CloseHandle(held); }, 32, L"Please close the help file."},
                {[&] { WriteAll(list, listed.substr(listed.find('\n') + 1)); },
                 [&] { WriteAll(list, listed); }, 1392, damaged},
                {[&] { WriteAll(list, listed + "ECU\\..\\..\\..\\outside.txt\r\n"); },
                 [&] { WriteAll(list, listed); }, 1392, damaged},
                {[&] { PlantUnitAlphaLink(dir, true); }, [&] { PlantUnitAlphaLink(dir, false); }, 681,
                 dir + L"ECU\\Unit Alpha\nThis is a link to another place, and the uninstaller does not work "
                       L"through "
                       L"links in the folders it removes files from.\nPlease remove the link, then uninstall "
                       L"Vantrelle again."},
            };
            for (const auto& refusal : refusals) {
                refusal.before();
                const auto before = Snapshot(dir);
                EXPECT_EQ(refusal.code, RunToEnd(EntryText(L"QuietUninstallString") + L" /log=" + log));
                EXPECT_TRUE(before == Snapshot(dir)) << "nothing removed";
                refusal.after();
                std::wstring text = refusal.text;
                for (size_t at = 0; (at = text.find(L'\n', at)) != text.npos; at += 2) text.insert(at, L"\r");
                const std::string logged = ReadAll(log);
                EXPECT_NE(std::string::npos, logged.find(std::string(text.begin(), text.end()))) << logged;
            }
            // An update cut off in its commit: the uninstaller puts it back first, journal and all.
            ASSERT_TRUE(MoveFileW((dir + L"ReadMe.txt").c_str(), (dir + L"~Vantrelle-0000ABCF.old").c_str()));
            WriteAll(dir + L"~Vantrelle-journal.dat", "M\tReadMe.txt\t~Vantrelle-0000ABCF.old\r\n");
            // And Vantrelle open: closed, with its work saved, and not started again.
            COpenVantrelle willing;
            willing.Start(dir + L"Vantrelle.exe");
            // Next in line for the lock (waiting for it before the uninstaller, stopped while it holds
            // it, goes on), the test takes it as the uninstaller lets it go, before the uninstaller
            // even starts its copy, and works as an installer would: the copy waits.
            Driver::CInstallerProcess removal;
            DeleteFileW(log.c_str());
            ASSERT_TRUE(removal.Start(dir + L"Uninstall.exe", L"", L"/quiet /log=" + log));
            while (!Logged(log, L"Checking for an interrupted installation") && removal.IsRunning())
                Sleep(10);
            removal.Suspend(true);
            HANDLE lock = HoldInstallationLock(true, false);
            std::thread goOn([&] { Sleep(500), removal.Suspend(false); });
            DWORD code = 1;
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(lock, 60000));
            goOn.join();
            EXPECT_TRUE(removal.WaitForExit(60000, &code) && code == 0) << code;
            WriteAll(dir + L"~Vantrelle-0000ABCD.tmp", "the installer's own, at work");
            const DWORD copy = WaitForLockOpened(L"Uninstall.exe", lock);
            EXPECT_NE(0u, copy) << "the uninstaller's copy never waited for the lock";
            EXPECT_EQ("the installer's own, at work", ReadAll(dir + L"~Vantrelle-0000ABCD.tmp"));
            ReleaseMutex(lock);
            CloseHandle(lock);
            EXPECT_NE(std::string::npos, ReadAll(SavedWorkFile()).find("saved on WM_ENDSESSION"));
            EXPECT_FALSE(willing.process.IsRunning());
            EXPECT_EQ(0u, VantrelleFrom(dir, 0, 500)) << "started again";
        } else {
            Driver::CInstallerProcess programs;
            for (int button : {IDNO, IDYES}) {  // No changes nothing
                ASSERT_TRUE(
                    programs.Start(L"C:\\windows\\system32\\uninstaller.exe", L"", L"--remove Vantrelle"));
                if (button == IDNO) {  // the question holds no lock: a quiet update meanwhile installs
                    ASSERT_NE(nullptr, Driver::WaitForWindowTitled(L"Uninstall Vantrelle", 30000));
                    EXPECT_EQ("0", InstalledQuietly(kInstaller));
                    EXPECT_EQ(std::string::npos, ReadAll(L"C:\\quiet.log").find("Uninstall.exe (process"))
                        << "the uninstaller was asked to close";
                    plant();
                    installed = Snapshot(dir);  // with the running uninstaller's file the update moved aside
                }
                EXPECT_EQ(L"Remove Vantrelle from this computer?", Answer(L"Uninstall Vantrelle", button));
                if (button == IDNO) {
                    DWORD code;
                    EXPECT_TRUE(programs.WaitForExit(30000, &code));
                    EXPECT_TRUE(installed == Snapshot(dir)) << "nothing removed";
                }
            }
            EXPECT_EQ(
                L"Vantrelle has been removed from this computer.\n\nThese were kept, because Vantrelle's "
                L"installer did not put them there (your own files, or files Vantrelle made), in " +
                    dir.substr(0, dir.size() - 1) + L":\nECU\nMacros\nSound",
                Answer(L"Uninstall complete", IDOK));
        }
        for (const std::wstring& f : files) EXPECT_TRUE(own.count(f) || !Exists(dir + f)) << f.c_str();
        EXPECT_FALSE(Exists(dir + L"Sound\\Big.wav")) << "written by the older release only";
        for (const auto& [name, bytes] : own) EXPECT_EQ(bytes, ReadAll(dir + name)) << name.c_str();
        EXPECT_FALSE(Exists(SpecialFolder(CSIDL_COMMON_STARTMENU) + L"Vantrelle.lnk"));
        DWORD v;
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            HKEY key;
            EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(root, L"Software\\Tollanby", 0, KEY_READ, &key))
                << "the product's key, and the vendor's left empty, are gone";
        }
        EXPECT_FALSE(ReadDword(HKEY_CURRENT_USER, L"Charityware", &v));
        EXPECT_EQ(std::string::npos, ProgramsAndFeatures().find("Vantrelle"));
        WaitForUninstallerCopy();
        EXPECT_FALSE(Exists(dir + L"Uninstall.exe")) << "the uninstaller is gone once it ended";
        EXPECT_FALSE(Exists(dir + L"Uninstall.dat"));
        EXPECT_TRUE(PartialFiles(dir).empty()) << "partial files of a cut-off installation stay";
        for (const auto& [name, bytes] : own) DeleteFileW((dir + name).c_str());
    }
}

// An installed older release (every file but the sounds directly in Sound
// differs from the payload), then quiet updates that fail: a file of a
// sub-folder held open stops the commit half-way; the volume fills while the
// large sound is staged; there is too little space to begin; a hard stop in
// the middle of the commit. Each failure leaves the installation byte for byte
// as it was, with its version, shortcut and entry; once the obstacle is gone,
// the next run installs the payload exactly.
TEST_F(Installer, FailedUpdatesLeaveTheOldRelease) {
    const std::wstring dir = InstallDir(), log = L"C:\\update.log", payload = VANTRELLE_PAYLOAD_BIG;
    const std::wstring filler = dir + L"filler.bin", journal = dir + L"~Vantrelle-journal.dat";
    ASSERT_EQ("0", InstalledQuietly(kInstaller));
    ULARGE_INTEGER total{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(dir.c_str(), nullptr, &total, nullptr));
    ASSERT_LT(total.QuadPart, 128ull << 20) << "the install directory is not on a small volume of its own";
    // The room staging takes: the payload and the uninstaller, as on disk.
    ULONGLONG payloadBytes = ReadAll(dir + L"Uninstall.exe").size();
    std::vector<std::wstring> files;
    ListTree(payload, L"", &files);
    for (const std::wstring& f : files) {
        payloadBytes += ReadAll(payload + f).size();
        if (Exists(dir + f) && (f.rfind(L"Sound\\", 0) != 0 || f.find(L'\\', 6) != f.npos))
            WriteAll(dir + f, "old " + std::string(f.begin(), f.end()));
    }
    // The older release's name of a folder, which an update renames: a failed one renames it back.
    ASSERT_TRUE(MoveFileW((dir + L"ECU\\Unit Alpha").c_str(), (dir + L"ECU\\Unit Beta").c_str()));
    SetDword(HKEY_LOCAL_MACHINE, L"LastVersion", kRelease - 1);
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, kEntry, L"DisplayVersion", REG_SZ, L"5.2",
                                             4 * sizeof(wchar_t)));

    HANDLE held = nullptr, waiting = nullptr;
    auto fill = [&](ULONGLONG leave) {
        ULARGE_INTEGER free{};
        GetDiskFreeSpaceExW(dir.c_str(), &free, nullptr, nullptr);
        WriteAll(filler, std::string(size_t(free.QuadPart - leave), 'f'));
        return true;
    };
    auto seen = [&](const wchar_t* pattern, DWORD bytes) {
        WIN32_FIND_DATAW fd;
        HANDLE found = FindFirstFileW((dir + pattern).c_str(), &fd);
        if (found != INVALID_HANDLE_VALUE) FindClose(found);
        return found != INVALID_HANDLE_VALUE && fd.nFileSizeLow >= bytes;
    };
    const DWORD kKilled = ~0u;
    const struct {
        const wchar_t* what;
        std::function<void()> before;
        std::function<bool()> during;  // true once it has acted
        DWORD code;
        std::wstring text;  // in the log
    } rows[] = {
        {L"held file",
         [&] {
             held = CreateFileW((dir + L"Translation\\Deutsch.lng").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
         },
         nullptr, 32, dir + L"Translation\\Deutsch.lng\nError 32: " + SystemText(ERROR_SHARING_VIOLATION)},
        {L"volume full while staging", [&] { fill(payloadBytes + (1 << 20)); },
         // The cabinet's first folder: its first staged file stays until the commit.
         [&] {
             return seen(L"Convert\\~Vantrelle-*.tmp", 0) &&
                    (WriteAll(dir + L"filler2.bin", std::string(2 << 20, 'f')), true);
         },
         112, dir + L"Sound\\Big.wav\nError 112: " + SystemText(ERROR_DISK_FULL)},
        {L"too little space", [&] { fill(8 << 20); }, nullptr, 112,
         L" MB, and 8.0 MB is free.\nPlease free some space on " + dir.substr(0, dir.size() - 1) +
             L", then run the installer again."},
        // Stopped while another handle to the lock is open, as a run waiting for it has one: the lock
        // is then abandoned, not gone, and the next run takes it over and puts the cut-off work back.
        {L"hard stop in the commit", [] {},
         [&] {
             return seen(L"~Vantrelle-*.old", 0) &&
                    (waiting = HoldInstallationLock(true, false), process.Kill(), true);
         },
         kKilled, L""},
        {L"update", [] {}, nullptr, 0, L"An interrupted installation was put back into one piece"},
    };
    for (const auto& row : rows) {
        row.before();
        const auto before = Installation(dir);
        ASSERT_TRUE(process.Start(VANTRELLE_INSTALLER_BIG, L"", L"/quiet /accept-charityware /log=" + log));
        DWORD code = kKilled;
        bool acted = !row.during;
        for (DWORD start = GetTickCount(); !process.WaitForExit(acted ? 50 : 0, &code);) {
            if (!acted) acted = row.during();
            ASSERT_LT(GetTickCount() - start, 120000u) << row.what << ": the installer did not end";
        }
        EXPECT_TRUE(acted) << row.what << ": the moment to act never came";
        if (held) CloseHandle(held), held = nullptr;
        DeleteFileW(filler.c_str());
        DeleteFileW((dir + L"filler2.bin").c_str());
        if (row.code == kKilled) {
            EXPECT_TRUE(Exists(journal)) << "ended before the update was finished";
            continue;
        }
        EXPECT_EQ(row.code, code) << row.what;
        EXPECT_TRUE(Logged(log, row.text)) << row.what << ": " << ReadAll(log);
        if (row.code) {
            EXPECT_TRUE(before == Installation(dir)) << row.what << ": the installation changed";
            continue;
        }
        ExpectReleaseWhole(dir, payload, row.what);
    }
    CloseHandle(waiting);
}

// Two runs started together, as a deployment tool and a person at the PC may
// start them: two updates over an older release, an update and a removal, and
// an installation started the moment a removal ends (while its copy is still
// deleting the uninstaller). Each ends with 0 or 1618, and what is left is one
// whole state: the new release with its uninstaller, version and entry, or
// nothing of Vantrelle.
TEST_F(Installer, TwoRunsAtOnce) {
    const std::wstring dir = InstallDir(), uninstaller = dir + L"Uninstall.exe";
    const std::wstring install = L"/quiet /accept-charityware";
    std::vector<std::wstring> files;
    ListTree(kPayloadTree, L"", &files);
    const struct {
        const wchar_t* what;
        std::wstring first, firstSwitches, second, secondSwitches;
        bool together;  // else the second starts as the first ends
    } rows[] = {
        {L"two updates", kInstaller, install, kInstaller, install, true},
        {L"update and removal", kInstaller, install, uninstaller, L"/quiet", true},
        {L"removal, then an installation", uninstaller, L"/quiet", kInstaller, install, false},
    };
    for (const auto& row : rows) {
        // The older release; the sounds directly in Sound\\ might be the user's, and an update keeps them.
        ASSERT_EQ("0", InstalledQuietly(kInstaller));
        for (const std::wstring& f : files) {
            if (f.rfind(L"Sound\\", 0) != 0 || f.find(L'\\', 6) != f.npos)
                WriteAll(dir + f, "old " + std::string(f.begin(), f.end()));
        }
        SetDword(HKEY_LOCAL_MACHINE, L"LastVersion", kRelease - 1);
        Driver::CInstallerProcess first, second;
        DWORD codes[2] = {};
        ASSERT_TRUE(first.Start(row.first, L"", row.firstSwitches + L" /log=C:\\first.log"));
        if (!row.together) {
            EXPECT_TRUE(first.WaitForExit(120000, &codes[0]));
        }
        ASSERT_TRUE(second.Start(row.second, L"", row.secondSwitches + L" /log=C:\\second.log"));
        EXPECT_TRUE(first.WaitForExit(120000, &codes[0]) && second.WaitForExit(120000, &codes[1]));
        for (DWORD code : codes) {
            EXPECT_TRUE(code == 0 || code == 1618) << row.what << ": " << code << "\n"
                                                   << ReadAll(L"C:\\first.log") << ReadAll(L"C:\\second.log");
        }
        WaitForUninstallerCopy();
        DWORD version = 0;
        if (ReadDword(HKEY_LOCAL_MACHINE, L"LastVersion", &version)) {
            ExpectReleaseWhole(dir, kPayloadTree, row.what);
        } else {
            EXPECT_FALSE(Exists(dir)) << row.what << ": removed, but for the install directory";
            EXPECT_EQ(L"", EntryText(L"DisplayVersion")) << row.what;
        }
    }
}

// An update through the dialog while the user has Vantrelle open, and its help
// in another program: the button first says what it will close and why. Cancel
// changes nothing and leaves the dialog for another try; OK closes both (which
// save their work), installs and starts Vantrelle again.
TEST_F(Installer, VantrelleOpenDuringAnUpdate) {
    const std::wstring dir = InstallDir();
    ASSERT_EQ("0", InstalledQuietly(kInstaller));
    SetDword(HKEY_LOCAL_MACHINE, L"LastVersion", kRelease - 1);
    COpenVantrelle open, viewer;
    open.Start(dir + L"Vantrelle.exe");
    ASSERT_TRUE(CopyFileW((std::wstring(kPayloadTree) + L"Vantrelle.exe").c_str(), L"C:\\Viewer.exe", FALSE));
    viewer.Start(L"C:\\Viewer.exe", L"/open=" + dir + L"Help.chm");
    const auto before = Installation(dir);
    ASSERT_TRUE(process.Start(kInstaller, L"", L"/log=C:\\dialog.log"));
    HWND dialog = process.WaitForDialog();
    ASSERT_NE(nullptr, dialog);
    Driver::Click(dialog, 105);
    for (int button : {IDCANCEL, IDOK}) {
        ASSERT_TRUE(Driver::WaitForEnabled(dialog, 104));
        Driver::Click(dialog, 104);
        const Driver::MessageBoxSeen box = Driver::WaitForMessageBox(process.Id(), 30000);
        EXPECT_EQ(L"Programs to close", box.caption);
        EXPECT_EQ(
            L"These are open and use files that the update replaces: Vantrelle, the help (Help.chm).\nThe "
            L"installer will close "
            L"them.\nOnce the update is done, it starts Vantrelle again.\nVantrelle may first ask you to "
            L"save "
            L"your work.\n\nPress OK to close them and install, or Cancel to install later.",
            box.text);
        HWND question = Driver::FindMessageBox(process.Id());
        PostMessageW(question, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        for (int i = 0; i < 200 && IsWindow(question); ++i) Sleep(50);
        if (button == IDCANCEL) {
            Sleep(1000);
            EXPECT_TRUE(process.IsRunning() && IsWindowEnabled(dialog)) << "the dialog stays";
            EXPECT_EQ(nullptr, Driver::FindMessageBox(process.Id()));
            EXPECT_TRUE(open.process.IsRunning()) << "Cancel closed Vantrelle";
            EXPECT_TRUE(before == Installation(dir)) << "Cancel changed the installation";
        }
    }
    EXPECT_EQ(kSuccessText, Driver::WaitForMessageBox(process.Id(), 60000).text)
        << ReadAll(L"C:\\dialog.log");
    Driver::PressOk(Driver::FindMessageBox(process.Id()));
    DWORD code = 1;
    EXPECT_TRUE(process.WaitForExit(20000, &code) && code == 0) << code;
    EXPECT_NE(std::string::npos, ReadAll(SavedWorkFile()).find("saved on WM_ENDSESSION"));
    EXPECT_EQ(std::to_string(kRelease), Installation(dir)[L"<LastVersion>"]);
    EXPECT_NE(0u, VantrelleFrom(dir, open.process.Id())) << "Vantrelle was not started again";
    EXPECT_FALSE(viewer.process.IsRunning()) << "the help's viewer was not closed";
}

// A German session, as CTest runs this (LANG=de_DE.UTF-8): the installer and
// the uninstaller speak German, or the language /lang names (in either case);
// an unknown one is an unknown switch. The log's steps stay English, and its
// first line names the language the run spoke. Numbers are written the
// language's way.
TEST_F(Installer, SpeaksTheUsersLanguage) {
    const std::wstring dir = InstallDir(), log = L"C:\\language.log", drive = dir.substr(0, dir.size() - 1);
    const std::wstring filler = dir + L"filler.bin";
    const struct {
        std::wstring switches;
        const wchar_t* language;  // as the log's first line names it
        DWORD code;
        std::wstring text;  // in the log, as a box would say it
    } rows[] = {
        {L"/quiet", L"German", 1602,
         L"Die Charityware-Bedingungen wurden nicht akzeptiert. Eine unbeaufsichtigte Installation erfordert "
         L"den "
         L"Schalter /accept-charityware, mit dem Sie im Namen des Benutzers akzeptieren, dass Vantrelle "
         L"Charityware ist."},
        // For support, the log has a failure's words in English as well.
        {L"/quiet", L"German", 1602,
         L"In English:\nError in step \"Reading the switches\" (exit code 1602):\nThe charityware terms were "
         L"not "
         L"accepted."},
        {L"/quiet /lang=fr", L"French", 1602,
         L"Les conditions du Charityware n'ont pas \u00E9t\u00E9 accept\u00E9es."},
        {L"/quiet /LANG=En", L"English", 1602, L"The charityware terms were not accepted."},
        {L"/quiet /lang=xx", L"German", 1639,
         L"Unbekannter Schalter: /lang=xx\n\nInstaller kennt diese Schalter:"},
        {L"/quiet /lang=", L"German", 1639, L"Unbekannter Schalter: /lang=\n"},
        {L"/quiet /accept-charityware", L"German", 112,
         L" MB, frei sind 0,1 MB.\nBitte geben Sie auf " + drive +
             L" Speicherplatz frei und f\u00FChren Sie"},
        {L"/quiet /accept-charityware /lang=fr", L"French", 112,
         L"\u00A0Mo\u00A0; espace libre\u00A0: 0,1\u00A0Mo."},
        // English numbers in a German session.
        {L"/quiet /accept-charityware /lang=en", L"English", 112, L" MB, and 0.1 MB is free.\nPlease free"},
    };
    ULARGE_INTEGER free{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(dir.c_str(), &free, nullptr, nullptr));
    WriteAll(filler, std::string(size_t(free.QuadPart - (128 << 10)), 'f'));  // 0.125 MB left
    for (const auto& row : rows) {
        EXPECT_EQ(row.code,
                  RunToEnd(L"\"" + std::wstring(kInstaller) + L"\" " + row.switches + L" /log=" + log))
            << row.switches.c_str();
        EXPECT_TRUE(Logged(log, std::wstring(L"installer, quiet, in ") + row.language + L"\n"))
            << row.switches.c_str() << ": " << ReadAll(log);
        EXPECT_TRUE(Logged(log, row.text)) << row.switches.c_str() << ": " << ReadAll(log);
    }
    ASSERT_TRUE(DeleteFileW(filler.c_str()));
    const Outcome o = Install();
    EXPECT_EQ(L"Installation abgeschlossen", o.box.caption);
    EXPECT_EQ(
        L"Vantrelle wurde erfolgreich installiert.\nIm Startmen\u00FC wurde eine Verkn\u00FCpfung angelegt.",
        o.box.text);
    EXPECT_TRUE(o.exited);
    // The installation started Vantrelle: once its window is up, the question says it will be closed.
    ASSERT_NE(nullptr, Driver::WaitForWindowTitled(Driver::kAppTitle, 20000));
    Driver::CInstallerProcess uninstaller;
    ASSERT_TRUE(uninstaller.Start(dir + L"Uninstall.exe"));
    EXPECT_EQ(
        L"Vantrelle von diesem Computer entfernen?\n\nDiese Programme sind ge\u00F6ffnet: Vantrelle. Das "
        L"Deinstallationsprogramm schlie\u00DFt sie zuerst.\nVantrelle fragt Sie vielleicht zuerst, ob Ihre "
        L"Arbeit gespeichert werden soll.",
        Answer(L"Vantrelle deinstallieren", IDNO));
    DWORD code = 0;
    EXPECT_TRUE(uninstaller.WaitForExit(30000, &code) && code == 1602) << code;
}
