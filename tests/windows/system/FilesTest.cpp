#include "Files.h"
#include "TestSupport.h"

namespace {

TEST(FileExists, NullAndEmptyAreFalse) {
    EXPECT_FALSE(FileExists(nullptr));
    EXPECT_FALSE(FileExists(L""));
}

TEST(FileExists, DirectoryIsFalse) {
    CScratchFolder folder;
    EXPECT_FALSE(FileExists(folder.Path().c_str()));
    EXPECT_FALSE(FileExists(L"C:\\windows"));
}

TEST(FileExists, MissingPathIsFalse) {
    CScratchFolder folder;
    EXPECT_FALSE(FileExists(folder.Path(L"missing.txt").c_str()));
    EXPECT_FALSE(FileExists(folder.Path(L"no\\such\\dir\\file.txt").c_str()));
}

TEST(FileExists, PlainAndReadOnlyFilesAreTrue) {
    CScratchFolder folder;
    const std::wstring path = folder.Path(L"ro.txt");
    WriteTextFile(path, "x");
    EXPECT_TRUE(FileExists(path.c_str()));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(FileExists(path.c_str()));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(DeleteFileForced, RemovesReadOnlyHiddenSystemFile) {
    CScratchFolder folder;
    const std::wstring path = folder.Path(L"marked.txt");
    WriteTextFile(path, "x");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(),
                                   FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    // A plain delete is refused, so the forced one really does more.
    EXPECT_FALSE(DeleteFileW(path.c_str()));
    DeleteFileForced(path.c_str());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
    EXPECT_FALSE(FileExists(path.c_str()));
}

TEST(DeleteFileForced, MissingFileIsNoError) {
    CScratchFolder folder;
    DeleteFileForced(folder.Path(L"missing.txt").c_str());
    EXPECT_FALSE(FileExists(folder.Path(L"missing.txt").c_str()));
}

TEST(DeleteFileForced, FileHeldOpenWithoutDeleteSharingStays) {
    CScratchFolder folder;
    const std::wstring path = folder.Path(L"inuse.exe");
    WriteTextFile(path, "x");
    HANDLE open = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, open);
    DeleteFileForced(path.c_str());
    EXPECT_TRUE(FileExists(path.c_str()));
    CloseHandle(open);
    // Once released, the same call removes it.
    DeleteFileForced(path.c_str());
    EXPECT_FALSE(FileExists(path.c_str()));
}

TEST(CreateFolder, CreatesNewAndAcceptsExisting) {
    CScratchFolder folder;
    const std::wstring path = folder.Path(L"Sub");
    EXPECT_TRUE(CreateFolder(path.c_str()));
    const DWORD attributes = GetFileAttributesW(path.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(CreateFolder(path.c_str()));
    EXPECT_TRUE(CreateFolder((path + L"\\").c_str()));
}

TEST(CreateFolder, MissingParentGivesFalseAndCreatesNothing) {
    CScratchFolder folder;
    EXPECT_FALSE(CreateFolder(folder.Path(L"Parent\\Child").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.Path(L"Parent").c_str()));
}

TEST(CreateFolder, FileInTheWayIsNotAFolder) {
    // CreateDirectoryW reports ERROR_ALREADY_EXISTS for a file of that name too,
    // but no folder exists there afterwards.
    CScratchFolder folder;
    const std::wstring path = folder.Path(L"plain");
    WriteTextFile(path, "x");
    EXPECT_FALSE(CreateFolder(path.c_str()));
    EXPECT_FALSE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace
