#pragma once
#include <windows.h>

// Security results: 0 for success, otherwise GetLastError() of the failing step.

// LocalSystem, Administrators, Users, Authenticated Users, in this order.
extern const WELL_KNOWN_SID_TYPE kFolderAccessSids[4];

constexpr DWORD kFolderFullAccessMask = 0x001F01FF;                               // FILE_ALL_ACCESS
constexpr BYTE kFolderInheritFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;  // 3
constexpr DWORD kFolderAclBufferSize = 200;
constexpr DWORD kSidBufferSize = 200;

// DWORD elements keep the ACL and SIDs aligned as the security API expects.
using FolderAclBuffer = DWORD[kFolderAclBufferSize / sizeof(DWORD)];
using SidBuffer = DWORD[kSidBufferSize / sizeof(DWORD)];

// Builds the allow-ACL that SetFolderAccess writes into the caller's 200-byte
// buffer: one entry per known well-known type in array order (types unknown to
// this system are skipped), then one for extraSid when given. Returns 0 or the
// failing call's error; entries that do not fit are an error, never an overrun.
DWORD BuildFolderAcl(FolderAclBuffer& acl, const WELL_KNOWN_SID_TYPE* sidTypes, DWORD count, PSID extraSid,
                     DWORD accessMask, BYTE aceFlags);

// Replaces the folder's whole DACL with the list BuildFolderAcl makes.
DWORD SetFolderAccess(const wchar_t* folderPath, const WELL_KNOWN_SID_TYPE* sidTypes, DWORD count,
                      PSID extraSid, DWORD accessMask, BYTE aceFlags);

// Copies the token user's SID of the process into buffer. A token-user record
// larger than bufferSize gives ERROR_INSUFFICIENT_BUFFER and copies nothing.
DWORD GetProcessUserSid(DWORD processId, PSID buffer, DWORD bufferSize);

// Full inheritable access for the fixed groups, or (currentUser) for
// LocalSystem, Administrators and this process's user.
DWORD GrantFolderFullAccess(const wchar_t* folderPath, bool currentUser);

// A folder of the administrators' own, such as the one the uninstaller's copy
// waits in under the Windows folder's Temp (where users may create files):
// full inheritable access for LocalSystem and Administrators, and nothing
// inherited from the parent. Null, with GetLastError, when it cannot be built;
// the caller frees it with LocalFree.
PSECURITY_DESCRIPTOR NewAdministratorsOnlyDescriptor();
