#include "SpecialFolders.h"
#include "TestSupport.h"

#include <shlobj.h>

namespace {

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return L"";
    return path;
}

void ExpectFolderWithOneBackslash(int csidl) {
    const std::wstring path = GetSpecialFolderPath(csidl);
    ASSERT_GE(path.size(), 4u);
    EXPECT_EQ(L'\\', path[path.size() - 1]);
    EXPECT_NE(L'\\', path[path.size() - 2]);
    EXPECT_EQ(ShellFolder(csidl) + L"\\", path);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(GetSpecialFolderPath, ProgramFiles) { ExpectFolderWithOneBackslash(0x26); }

TEST(GetSpecialFolderPath, AllUsersStartMenu) { ExpectFolderWithOneBackslash(0x16); }

TEST(GetSpecialFolderPath, UnknownNumberGivesEmpty) { EXPECT_EQ(L"", GetSpecialFolderPath(0x7F)); }

TEST(GetSpecialFolderPath, VirtualFolderWithoutPathGivesEmpty) {
    // The control panel has an item list but no file-system path.
    EXPECT_EQ(L"", GetSpecialFolderPath(CSIDL_CONTROLS));
}

TEST(AddTrailingBackslash, EmptyStaysEmpty) {
    EXPECT_EQ(L"", AddTrailingBackslash(L""));
    EXPECT_EQ(L"", AddTrailingBackslash(nullptr));
}

TEST(AddTrailingBackslash, AddsExactlyOne) {
    EXPECT_EQ(L"C:\\Program Files\\", AddTrailingBackslash(L"C:\\Program Files"));
    EXPECT_EQ(L"a\\", AddTrailingBackslash(L"a"));
    EXPECT_EQ(L"a/\\", AddTrailingBackslash(L"a/"));
}

TEST(AddTrailingBackslash, KeepsAnExistingOne) {
    EXPECT_EQ(L"C:\\", AddTrailingBackslash(L"C:\\"));
    EXPECT_EQ(L"\\\\", AddTrailingBackslash(L"\\\\"));
}

}  // namespace
