#pragma once
// One installation at a time. The installer and the uninstaller hold this lock
// from before they look at the installation until they end, so that neither
// ever undoes the work of a run already at it: its journal, its staged and its
// moved-aside files are its own. A second run is refused with 1618, as Windows
// Installer refuses a second installation.
//
// The lock is a mutex in the global namespace, so runs in every session and
// under SYSTEM meet the same one; the system hands a mutex whose holder was
// stopped hard to the next run, which then recovers the cut-off run's work.
// Only administrators and SYSTEM may use it, and an administrator owns it. One
// of that name that anybody else made (users may make objects in the global
// namespace too) is never taken for the lock: the run is refused instead of
// working under a lock a user holds the key to.
#include <windows.h>

#include "Report.h"

inline constexpr wchar_t kInstallationLockName[] = L"Global\\Tollanby.Vantrelle.Installation";

class CInstallationLock {
public:
    CInstallationLock() = default;
    ~CInstallationLock();
    CInstallationLock(const CInstallationLock&) = delete;
    CInstallationLock& operator=(const CInstallationLock&) = delete;

    // Waits up to `waitMs` for the lock. 0 once it is this run's;
    // ERROR_INSTALL_ALREADY_RUNNING while another run holds it;
    // ERROR_ACCESS_DENIED when an object of its name is not the administrators'
    // own; otherwise the system's reason.
    DWORD Take(DWORD waitMs);

private:
    HANDLE m_hMutex = nullptr;
    bool m_Held = false;
};

// Takes the lock for a run of either program; a refusal is reported, with 1618.
bool TakeInstallationLock(CInstallationLock& lock, CReport& report);
