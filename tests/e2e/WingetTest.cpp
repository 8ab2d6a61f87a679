// winget's use of the release: its Installer.exe run with the manifest's own
// switches, and what it exits with and registers held against the manifest.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "Driver.h"
#include "WingetFacts.h"  // read from the release's installer manifest

namespace {

DWORD RunInstaller(const std::wstring& arguments) {
    Driver::CInstallerProcess process;
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(process.Start(VANTRELLE_RELEASE_INSTALLER, L"", arguments)) << arguments;
    EXPECT_TRUE(process.WaitForExit(60000, &code)) << arguments;
    return code;
}

// A value of the Apps & features entry that the manifest names, in the installer's registry view.
std::wstring EntryValue(const wchar_t* name) {
    const std::wstring key =
        std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kProductCode;
    wchar_t value[512] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size))
        return L"<none>";
    return value;
}

}  // namespace

TEST(Winget, InstallsWithTheManifestsSwitchesAndRegistersItsEntry) {
    // winget replaces <LOGPATH> with a path of its own, which may have spaces.
    std::wstring log = kLog;
    const std::wstring path = L"C:\\winget logs\\Vantrelle install.log";
    log.replace(log.find(L"<LOGPATH>"), 9, path);
    ASSERT_TRUE(CreateDirectoryW(L"C:\\winget logs", nullptr));
    const DWORD code = RunInstaller(std::wstring(kSilent) + L" " + log);
    EXPECT_NE(std::end(kSuccessCodes), std::find(std::begin(kSuccessCodes), std::end(kSuccessCodes), code))
        << "exit code " << code << " is not one the manifest calls success";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str())) << "the log";
    EXPECT_EQ(kDisplayName, EntryValue(L"DisplayName"));
    EXPECT_EQ(kPublisher, EntryValue(L"Publisher"));
    EXPECT_EQ(kDisplayVersion, EntryValue(L"DisplayVersion"));

    // A refusal, a switch it does not know, is one winget words for its user.
    const DWORD refused = RunInstaller(std::wstring(kSilent) + L" /no-such-switch");
    EXPECT_EQ(1639u, refused);
    const ReturnCode* listed = std::find_if(std::begin(kExpectedReturnCodes), std::end(kExpectedReturnCodes),
                                            [&](const ReturnCode& r) { return r.code == refused; });
    ASSERT_NE(std::end(kExpectedReturnCodes), listed) << refused << " is not in ExpectedReturnCodes";
    EXPECT_STREQ(L"invalidParameter", listed->response);
}
