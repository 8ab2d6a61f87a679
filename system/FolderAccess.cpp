#include "FolderAccess.h"

#include <sddl.h>

#include "Handle.h"

const WELL_KNOWN_SID_TYPE kFolderAccessSids[4] = {
    WinLocalSystemSid,
    WinBuiltinAdministratorsSid,
    WinBuiltinUsersSid,
    WinAuthenticatedUserSid,
};

DWORD BuildFolderAcl(FolderAclBuffer& acl, const WELL_KNOWN_SID_TYPE* sidTypes, DWORD count, PSID extraSid,
                     DWORD accessMask, BYTE aceFlags) {
    PACL list = reinterpret_cast<PACL>(acl);
    if (!InitializeAcl(list, kFolderAclBufferSize, ACL_REVISION)) return GetLastError();
    for (DWORD i = 0; i < count; ++i) {
        SidBuffer sid;
        DWORD sidSize = kSidBufferSize;
        if (!CreateWellKnownSid(sidTypes[i], nullptr, sid, &sidSize)) {
            const DWORD error = GetLastError();
            if (error == ERROR_INVALID_PARAMETER) continue;  // a type this system does not know
            return error;
        }
        if (!AddAccessAllowedAceEx(list, ACL_REVISION, aceFlags, accessMask, sid)) return GetLastError();
    }
    if (extraSid != nullptr && !AddAccessAllowedAceEx(list, ACL_REVISION, aceFlags, accessMask, extraSid))
        return GetLastError();
    return 0;
}

DWORD SetFolderAccess(const wchar_t* folderPath, const WELL_KNOWN_SID_TYPE* sidTypes, DWORD count,
                      PSID extraSid, DWORD accessMask, BYTE aceFlags) {
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return GetLastError();
    FolderAclBuffer acl;
    const DWORD built = BuildFolderAcl(acl, sidTypes, count, extraSid, accessMask, aceFlags);
    if (built != 0) return built;
    if (!SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<PACL>(acl), FALSE))
        return GetLastError();
    if (!SetFileSecurityW(folderPath, DACL_SECURITY_INFORMATION, &descriptor)) return GetLastError();
    return 0;
}

DWORD GetProcessUserSid(DWORD processId, PSID buffer, DWORD bufferSize) {
    cHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (process.Get() == nullptr || process.Get() == INVALID_HANDLE_VALUE) return GetLastError();
    cHandle token;
    if (!OpenProcessToken(process.Get(), TOKEN_QUERY, token.Receive())) return GetLastError();
    // Aligned for the pointer inside the record.
    alignas(TOKEN_USER) BYTE record[500];
    DWORD recordSize = 0;
    if (!GetTokenInformation(token.Get(), TokenUser, record, sizeof(record), &recordSize))
        return GetLastError();
    if (recordSize > bufferSize) return ERROR_INSUFFICIENT_BUFFER;
    const TOKEN_USER* user = reinterpret_cast<const TOKEN_USER*>(record);
    if (!CopySid(bufferSize, buffer, user->User.Sid)) return GetLastError();
    return 0;
}

DWORD GrantFolderFullAccess(const wchar_t* folderPath, bool currentUser) {
    SidBuffer userSid;
    if (currentUser && GetProcessUserSid(GetCurrentProcessId(), userSid, kSidBufferSize) == 0)
        return SetFolderAccess(folderPath, kFolderAccessSids, 2, userSid, kFolderFullAccessMask,
                               kFolderInheritFlags);
    return SetFolderAccess(folderPath, kFolderAccessSids, 4, nullptr, kFolderFullAccessMask,
                           kFolderInheritFlags);
}

PSECURITY_DESCRIPTOR NewAdministratorsOnlyDescriptor() {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)",
                                                              SDDL_REVISION_1, &descriptor, nullptr)) {
        return nullptr;
    }
    return descriptor;
}
