// winget's use of the release: the installer run with the manifest's own
// switches, and what it registers and exits with held against the manifest.
// Runs in a fresh Wine prefix (run-scenario).
#include <gtest/gtest.h>

#include <string>

#include "Driver.h"
#include "WingetFacts.h"  // from the release's installer manifest

namespace {

const wchar_t kInstaller[] = VANTRELLE_RELEASE_INSTALLER;  // the Installer.exe the manifest describes
const wchar_t kUninstallKeys[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// winget replaces <LOGPATH> with a path of its own, often one with spaces.
std::wstring WithLogPath(std::wstring log, const std::wstring& path) {
    const std::wstring token = L"<LOGPATH>";
    size_t at = log.find(token);
    if (at != std::wstring::npos) log.replace(at, token.size(), path);
    return log;
}

DWORD RunInstaller(const std::wstring& arguments) {
    Driver::CInstallerProcess process;
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(process.Start(kInstaller, L"", arguments)) << arguments;
    EXPECT_TRUE(process.WaitForExit(60000, &code)) << arguments;
    return code;
}

// A value of the entry the installer registered, in its own registry view.
std::wstring EntryValue(const wchar_t* name) {
    wchar_t value[512] = {};
    DWORD size = sizeof value;
    LSTATUS rc = RegGetValueW(HKEY_LOCAL_MACHINE, (std::wstring(kUninstallKeys) + kProductCode).c_str(), name,
                              RRF_RT_REG_SZ, nullptr, value, &size);
    return rc == ERROR_SUCCESS ? value : L"<no value " + std::wstring(name) + L">";
}

const wchar_t* Response(DWORD code) {
    for (const ReturnCode& expected : kExpectedReturnCodes)
        if (expected.code == code) return expected.response;
    return nullptr;
}

}  // namespace

TEST(Winget, InstallsWithTheManifestsSwitchesAndRegistersItsEntry) {
    const std::wstring log = L"C:\\winget logs\\Vantrelle install.log";
    ASSERT_TRUE(CreateDirectoryW(L"C:\\winget logs", nullptr));
    const std::wstring switches = std::wstring(kSilent) + L" " + WithLogPath(kLog, log);
    const DWORD code = RunInstaller(switches);
    bool success = false;
    for (DWORD s : kSuccessCodes) success = success || code == s;
    EXPECT_TRUE(success) << "exit code " << code << " of " << switches;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(log.c_str()))
        << "the log the manifest's switch asks for";

    EXPECT_EQ(kDisplayName, EntryValue(L"DisplayName"));
    EXPECT_EQ(kPublisher, EntryValue(L"Publisher"));
    EXPECT_EQ(kDisplayVersion, EntryValue(L"DisplayVersion"));

    // A refusal winget tells its user about in its own words: a switch the installer does not know.
    const DWORD refused = RunInstaller(std::wstring(kSilent) + L" /no-such-switch");
    EXPECT_EQ(1639u, refused);
    ASSERT_NE(nullptr, Response(refused)) << "exit code " << refused << " is not in ExpectedReturnCodes";
    EXPECT_STREQ(L"invalidParameter", Response(refused));
}
