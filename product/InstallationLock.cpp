#include "InstallationLock.h"

#include <aclapi.h>
#include <sddl.h>

#include "Language.h"

namespace {

// A run that is just ending (the uninstaller's copy removing the folder, say)
// holds the lock a moment longer; one at work holds it far longer than this.
const DWORD kWaitForEndingRunMs = 2000;

bool OwnedByAdministrators(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const bool ours = owner && (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                                IsWellKnownSid(owner, WinLocalSystemSid));
    LocalFree(descriptor);
    return ours;
}

}  // namespace

CInstallationLock::~CInstallationLock() {
    if (m_Held) ReleaseMutex(m_hMutex);
    if (m_hMutex) CloseHandle(m_hMutex);
}

DWORD CInstallationLock::Take(DWORD waitMs) {
    // Owned by the Administrators group, which no ordinary user may name as an owner.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)",
                                                              SDDL_REVISION_1, &descriptor, nullptr))
        return GetLastError();
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    SetLastError(ERROR_SUCCESS);
    m_hMutex =
        CreateMutexExW(&security, kInstallationLockName, 0, SYNCHRONIZE | MUTEX_MODIFY_STATE | READ_CONTROL);
    DWORD error = GetLastError();
    LocalFree(descriptor);
    if (!m_hMutex) {
        // Another kind of object of that name, or one that shuts the administrators out.
        return error == ERROR_INVALID_HANDLE ? ERROR_ACCESS_DENIED : error;
    }
    if (error == ERROR_ALREADY_EXISTS && !OwnedByAdministrators(m_hMutex)) return ERROR_ACCESS_DENIED;
    switch (WaitForSingleObject(m_hMutex, waitMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED: m_Held = true; return 0;  // abandoned: its holder was stopped hard
    case WAIT_TIMEOUT: return ERROR_INSTALL_ALREADY_RUNNING;
    default: return GetLastError();
    }
}

bool TakeInstallationLock(CInstallationLock& lock, CReport& report) {
    report.Step(L"Making sure no other installation or removal of Vantrelle is running");
    const DWORD error = lock.Take(kWaitForEndingRunMs);
    if (error == ERROR_SUCCESS) return true;
    if (error == ERROR_INSTALL_ALREADY_RUNNING) return report.Fail(kExitInProgress, Text(IDS_IN_PROGRESS));
    return report.Fail(kExitInProgress, Text(IDS_FOREIGN_LOCK, {SystemErrorLine(error)}));
}
