#include "FolderAccess.h"
#include "TestSupport.h"

#include <sddl.h>

#include <string>
#include <vector>

namespace {

std::wstring SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return L"<invalid>";
    std::wstring result(text);
    LocalFree(text);
    return result;
}

struct Entry {
    BYTE type;
    BYTE flags;
    DWORD mask;
    std::wstring sid;
};

std::vector<Entry> Entries(void* list) {
    std::vector<Entry> entries;
    PACL acl = static_cast<PACL>(list);
    ACL_SIZE_INFORMATION size{};
    if (!GetAclInformation(acl, &size, sizeof(size), AclSizeInformation)) return entries;
    for (DWORD i = 0; i < size.AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(acl, i, reinterpret_cast<void**>(&ace))) break;
        entries.push_back({ace->Header.AceType, ace->Header.AceFlags, ace->Mask,
                           SidText(reinterpret_cast<PSID>(&ace->SidStart))});
    }
    return entries;
}

std::wstring CurrentUserSidText() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return L"";
    alignas(TOKEN_USER) BYTE record[500];
    DWORD size = 0;
    std::wstring text;
    if (GetTokenInformation(token, TokenUser, record, sizeof(record), &size))
        text = SidText(reinterpret_cast<TOKEN_USER*>(record)->User.Sid);
    CloseHandle(token);
    return text;
}

DWORD TokenUserRecordSize() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return 0;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    CloseHandle(token);
    return size;
}

void ExpectFullAccess(const Entry& entry, const wchar_t* sid) {
    EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, entry.type);
    EXPECT_EQ(3, entry.flags);
    EXPECT_EQ(0x001F01FFu, entry.mask);
    EXPECT_EQ(std::wstring(sid), entry.sid);
}

TEST(FolderAccess, FixedGroupsAreTheFourAccounts) {
    ASSERT_EQ(22, kFolderAccessSids[0]);
    ASSERT_EQ(26, kFolderAccessSids[1]);
    ASSERT_EQ(27, kFolderAccessSids[2]);
    ASSERT_EQ(17, kFolderAccessSids[3]);
}

TEST(FolderAccess, AclHoldsTheFourGroupsInOrder) {
    FolderAclBuffer acl;
    ASSERT_EQ(0u,
              BuildFolderAcl(acl, kFolderAccessSids, 4, nullptr, kFolderFullAccessMask, kFolderInheritFlags));
    EXPECT_TRUE(IsValidAcl(reinterpret_cast<PACL>(acl)));
    ACL_REVISION_INFORMATION revision{};
    ASSERT_TRUE(
        GetAclInformation(reinterpret_cast<PACL>(acl), &revision, sizeof(revision), AclRevisionInformation));
    EXPECT_EQ(static_cast<DWORD>(ACL_REVISION), revision.AclRevision);
    const std::vector<Entry> entries = Entries(acl);
    ASSERT_EQ(4u, entries.size());
    ExpectFullAccess(entries[0], L"S-1-5-18");
    ExpectFullAccess(entries[1], L"S-1-5-32-544");
    ExpectFullAccess(entries[2], L"S-1-5-32-545");
    ExpectFullAccess(entries[3], L"S-1-5-11");
}

TEST(FolderAccess, ExtraSidComesLast) {
    SidBuffer user;
    ASSERT_EQ(0u, GetProcessUserSid(GetCurrentProcessId(), user, kSidBufferSize));
    FolderAclBuffer acl;
    ASSERT_EQ(0u,
              BuildFolderAcl(acl, kFolderAccessSids, 2, user, kFolderFullAccessMask, kFolderInheritFlags));
    const std::vector<Entry> entries = Entries(acl);
    ASSERT_EQ(3u, entries.size());
    ExpectFullAccess(entries[0], L"S-1-5-18");
    ExpectFullAccess(entries[1], L"S-1-5-32-544");
    ExpectFullAccess(entries[2], CurrentUserSidText().c_str());
}

TEST(FolderAccess, MaskAndFlagsAreTheCallersOwn) {
    const WELL_KNOWN_SID_TYPE users[] = {WinBuiltinUsersSid};
    FolderAclBuffer acl;
    ASSERT_EQ(0u, BuildFolderAcl(acl, users, 1, nullptr, GENERIC_READ, CONTAINER_INHERIT_ACE));
    const std::vector<Entry> entries = Entries(acl);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(static_cast<DWORD>(GENERIC_READ), entries[0].mask);
    EXPECT_EQ(CONTAINER_INHERIT_ACE, entries[0].flags);
}

TEST(FolderAccess, UnknownWellKnownTypeIsSkipped) {
    const WELL_KNOWN_SID_TYPE types[] = {WinLocalSystemSid, static_cast<WELL_KNOWN_SID_TYPE>(5000),
                                         WinBuiltinUsersSid};
    FolderAclBuffer acl;
    ASSERT_EQ(0u, BuildFolderAcl(acl, types, 3, nullptr, kFolderFullAccessMask, kFolderInheritFlags));
    const std::vector<Entry> entries = Entries(acl);
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(L"S-1-5-18", entries[0].sid);
    EXPECT_EQ(L"S-1-5-32-545", entries[1].sid);

    CScratchFolder folder;
    EXPECT_EQ(0u, SetFolderAccess(folder.Path().c_str(), types, 3, nullptr, kFolderFullAccessMask,
                                  kFolderInheritFlags));
}

TEST(FolderAccess, EntriesBeyondTheBufferAreAnError) {
    // Eight Users entries (8 + 8 * 24 bytes) fill the 200 bytes exactly; a ninth cannot fit.
    std::vector<WELL_KNOWN_SID_TYPE> types(8, WinBuiltinUsersSid);
    FolderAclBuffer acl;
    ASSERT_EQ(0u, BuildFolderAcl(acl, types.data(), 8, nullptr, kFolderFullAccessMask, kFolderInheritFlags));
    EXPECT_EQ(8u, Entries(acl).size());
    types.push_back(WinBuiltinUsersSid);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALLOTTED_SPACE_EXCEEDED),
              BuildFolderAcl(acl, types.data(), 9, nullptr, kFolderFullAccessMask, kFolderInheritFlags));
    SidBuffer user;
    ASSERT_EQ(0u, GetProcessUserSid(GetCurrentProcessId(), user, kSidBufferSize));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALLOTTED_SPACE_EXCEEDED),
              BuildFolderAcl(acl, types.data(), 8, user, kFolderFullAccessMask, kFolderInheritFlags));

    CScratchFolder folder;
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALLOTTED_SPACE_EXCEEDED),
              SetFolderAccess(folder.Path().c_str(), types.data(), 9, nullptr, kFolderFullAccessMask,
                              kFolderInheritFlags));
}

TEST(FolderAccess, SetOnRealFolderSucceeds) {
    CScratchFolder folder;
    EXPECT_EQ(0u, SetFolderAccess(folder.Path().c_str(), kFolderAccessSids, 4, nullptr, kFolderFullAccessMask,
                                  kFolderInheritFlags));
    EXPECT_EQ(0u, GrantFolderFullAccess(folder.Path().c_str(), false));
    EXPECT_EQ(0u, GrantFolderFullAccess(folder.Path().c_str(), true));
}

TEST(FolderAccess, AdministratorsOnlyInheritsNothing) {
    PSECURITY_DESCRIPTOR descriptor = NewAdministratorsOnlyDescriptor();
    ASSERT_NE(nullptr, descriptor);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    BOOL present = FALSE, defaulted = TRUE;
    PACL acl = nullptr;
    EXPECT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "inherits from the parent folder";
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) && present && acl);
    const std::vector<Entry> entries = Entries(acl);
    LocalFree(descriptor);
    ASSERT_EQ(2u, entries.size());
    ExpectFullAccess(entries[0], L"S-1-5-18");
    ExpectFullAccess(entries[1], L"S-1-5-32-544");
}

TEST(FolderAccess, SetOnMissingFolderFails) {
    CScratchFolder folder;
    EXPECT_NE(0u, SetFolderAccess(folder.Path(L"missing").c_str(), kFolderAccessSids, 4, nullptr,
                                  kFolderFullAccessMask, kFolderInheritFlags));
    EXPECT_NE(0u, GrantFolderFullAccess(folder.Path(L"missing").c_str(), false));
}

TEST(ProcessUserSid, OwnProcessGivesTheTokenUser) {
    SidBuffer sid;
    ASSERT_EQ(0u, GetProcessUserSid(GetCurrentProcessId(), sid, kSidBufferSize));
    EXPECT_TRUE(IsValidSid(sid));
    EXPECT_EQ(CurrentUserSidText(), SidText(sid));
}

TEST(ProcessUserSid, BufferSmallerThanTheRecordGives122AndStaysUntouched) {
    const DWORD recordSize = TokenUserRecordSize();
    ASSERT_GT(recordSize, 8u);
    SidBuffer sid;
    memset(sid, 0xAB, sizeof(sid));
    // Even one byte short of the record is refused, though the SID alone would fit.
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER),
              GetProcessUserSid(GetCurrentProcessId(), sid, recordSize - 1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER),
              GetProcessUserSid(GetCurrentProcessId(), sid, 8));
    const BYTE* bytes = reinterpret_cast<const BYTE*>(sid);
    for (size_t i = 0; i < sizeof(sid); ++i) ASSERT_EQ(0xAB, bytes[i]) << "byte " << i << " was written";
    EXPECT_EQ(0u, GetProcessUserSid(GetCurrentProcessId(), sid, recordSize));
    EXPECT_TRUE(IsValidSid(sid));
}

TEST(ProcessUserSid, UnknownProcessFails) {
    SidBuffer sid;
    // Process ids are multiples of four; this one cannot exist.
    EXPECT_NE(0u, GetProcessUserSid(0xFFFFFFF1u, sid, kSidBufferSize));
}

}  // namespace
