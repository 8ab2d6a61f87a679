#include "InstallationLock.h"

#include <aclapi.h>
#include <sddl.h>

#include "Language.h"

namespace {

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

// The mutex's state as the system keeps it; no documented call reads it without waiting.
struct MutantState {
    LONG currentCount;  // 1 free, 0 or less held
    BOOLEAN ownedByCaller;
    BOOLEAN abandoned;
};

// Whether a run holds the mutex now: 0 free, ERROR_INSTALL_ALREADY_RUNNING
// held, else the system's reason.
DWORD HeldNow(HANDLE mutex) {
    using QueryMutantFn = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<QueryMutantFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryMutant")));
    MutantState state{};
    if (!query) return ERROR_PROC_NOT_FOUND;
    if (query(mutex, 0 /* MutantBasicInformation */, &state, sizeof state, nullptr) < 0)
        return ERROR_ACCESS_DENIED;
    // An abandoned mutex is free: the next run takes it over.
    return state.currentCount > 0 || state.abandoned ? 0 : ERROR_INSTALL_ALREADY_RUNNING;
}

// Why the mutex could not be made or opened: another kind of object of that
// name is somebody else's too.
DWORD OpenFailure(DWORD error) { return error == ERROR_INVALID_HANDLE ? kErrorObjectNameExists : error; }

}  // namespace

CInstallationLock::~CInstallationLock() {
    Release();
    if (m_hMutex) CloseHandle(m_hMutex);
}

void CInstallationLock::Release() {
    if (m_Held) ReleaseMutex(m_hMutex);
    m_Held = false;
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
    if (!m_hMutex) return OpenFailure(error);
    if (error == ERROR_ALREADY_EXISTS && !OwnedByAdministrators(m_hMutex)) return kErrorObjectNameExists;
    switch (WaitForSingleObject(m_hMutex, waitMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED: m_Held = true; return 0;  // abandoned: its holder was stopped hard
    case WAIT_TIMEOUT: return ERROR_INSTALL_ALREADY_RUNNING;
    default: return GetLastError();
    }
}

DWORD CInstallationLock::Check(DWORD waitMs) {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE | MUTANT_QUERY_STATE | READ_CONTROL, FALSE, kInstallationLockName);
    if (!mutex) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return 0;  // no run has made it
        return OpenFailure(error);
    }
    DWORD result = OwnedByAdministrators(mutex) ? HeldNow(mutex) : kErrorObjectNameExists;
    for (DWORD waited = 0; result == ERROR_INSTALL_ALREADY_RUNNING && waited < waitMs; waited += 50) {
        Sleep(50);
        result = HeldNow(mutex);
    }
    CloseHandle(mutex);
    return result;
}

bool RefuseForLock(DWORD error, CReport& report) {
    switch (error) {
    case ERROR_INSTALL_ALREADY_RUNNING: return report.Fail(kExitInProgress, Say(IDS_IN_PROGRESS));
    case kErrorObjectNameExists:
        return report.Fail(kExitForeignLock, Say(IDS_FOREIGN_LOCK, {kInstallationLockName}));
    default: return report.Fail(kExitWriteFailed, Say(IDS_LOCK_FAILED, {SystemErrorLine(error)}));
    }
}

bool TakeInstallationLock(CInstallationLock& lock, CReport& report) {
    report.Step(L"Making sure no other installation or removal of Vantrelle is running");
    const DWORD error = lock.Take(kWaitForEndingRunMs);
    return error == ERROR_SUCCESS || RefuseForLock(error, report);
}
