#include "Shortcut.h"
#include "TestSupport.h"

#include <shlobj.h>
#include <shobjidl.h>

namespace {

class ShortcutTest : public ComTest {};

DWORD WINAPI CreateShortcutWithoutCom(void* out) {
    *static_cast<HRESULT*>(out) = CreateShortcut(L"C:\\x.exe", L"C:\\x.lnk", L"", L"", SW_SHOWNORMAL, 0);
    return 0;
}

TEST_F(ShortcutTest, ShellReadsBackWhatWasWritten) {
    CScratchFolder folder;
    const std::wstring target = folder.Path(L"Vantrelle.exe");
    WriteTextFile(target, "MZ");
    const std::wstring link = folder.Path(L"Vantrelle.lnk");

    ASSERT_EQ(S_OK, CreateShortcut(target, link, L"A diagnostic and tuning tool.", L"-a \"b c\"",
                                   SW_SHOWMINNOACTIVE, 3));
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(link.c_str()));
    {
        // The link header's ShowCommand field (offset 0x3C) records it.
        FILE* in = _wfopen(link.c_str(), L"rb");
        ASSERT_NE(nullptr, in);
        unsigned char header[0x4C] = {};
        const size_t got = fread(header, 1, sizeof(header), in);
        fclose(in);
        ASSERT_EQ(sizeof(header), got);
        EXPECT_EQ(0x4C, header[0]);
        EXPECT_EQ(SW_SHOWMINNOACTIVE, header[0x3C] | header[0x3D] << 8);
    }

    IShellLinkW* shell = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&shell)));
    IPersistFile* file = nullptr;
    ASSERT_EQ(S_OK, shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    ASSERT_EQ(S_OK, file->Load(link.c_str(), STGM_READ));

    wchar_t text[MAX_PATH] = L"";
    EXPECT_EQ(S_OK, shell->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH));
    EXPECT_EQ(target, std::wstring(text));
    EXPECT_EQ(S_OK, shell->GetArguments(text, MAX_PATH));
    EXPECT_EQ(std::wstring(L"-a \"b c\""), std::wstring(text));
    EXPECT_EQ(S_OK, shell->GetDescription(text, MAX_PATH));
    EXPECT_EQ(std::wstring(L"A diagnostic and tuning tool."), std::wstring(text));
    // Wine 8's loader does not restore the show command (GetShowCmd gives 1 after
    // Load), so it is checked in the file's header above.
    int icon = -1;
    EXPECT_EQ(S_OK, shell->GetIconLocation(text, MAX_PATH, &icon));
    EXPECT_EQ(target, std::wstring(text));
    EXPECT_EQ(3, icon);
    // The working directory is not set.
    text[0] = L'x';
    text[1] = L'\0';
    shell->GetWorkingDirectory(text, MAX_PATH);
    EXPECT_EQ(std::wstring(L""), std::wstring(text));
    file->Release();
    shell->Release();
}

TEST_F(ShortcutTest, LinkIntoMissingFolderGivesTheFailingCode) {
    CScratchFolder folder;
    const std::wstring target = folder.Path(L"Vantrelle.exe");
    WriteTextFile(target, "MZ");
    const std::wstring link = folder.Path(L"missing\\Vantrelle.lnk");
    const HRESULT hr = CreateShortcut(target, link, L"d", L"", SW_SHOWNORMAL, 0);
    EXPECT_NE(S_OK, hr);
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(link.c_str()));
}

TEST_F(ShortcutTest, WithoutComTheCreateCallsCodeIsReturned) {
    // A thread of its own that never initialised COM.
    HRESULT hr = S_OK;
    HANDLE thread = CreateThread(nullptr, 0, CreateShortcutWithoutCom, &hr, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 30000)) << "the shortcut without COM never returned";
    CloseHandle(thread);
    EXPECT_EQ(CO_E_NOTINITIALIZED, hr);
}

}  // namespace
