#pragma once
// One installation at a time. The installer and the uninstaller hold this lock
// while they change the machine, so that neither ever undoes the work of a run
// already at it: its journal, its staged and its moved-aside files are its own.
// A second run is refused with 1618, as Windows Installer refuses a second
// installation. A dialog or a question that is merely open holds nothing: it
// only looks whether another run is at work, and takes the lock when the user
// has said go.
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

// ERROR_OBJECT_NAME_EXISTS, which the compiler's headers lack: the lock's name
// is taken by an object that another program made.
inline constexpr DWORD kErrorObjectNameExists = 698;

// A run that is just ending (the uninstaller's copy removing the folder, say)
// holds the lock a moment longer; one at work holds it far longer than this.
inline constexpr DWORD kWaitForEndingRunMs = 2000;

class CInstallationLock {
public:
    CInstallationLock() = default;
    ~CInstallationLock();
    CInstallationLock(const CInstallationLock&) = delete;
    CInstallationLock& operator=(const CInstallationLock&) = delete;

    // Waits up to `waitMs` for the lock. 0 once it is this run's;
    // ERROR_INSTALL_ALREADY_RUNNING while another run holds it;
    // kErrorObjectNameExists when an object of its name is not the
    // administrators' own; otherwise the system's reason.
    DWORD Take(DWORD waitMs);
    // Lets it go, for a run that ends the process itself (ExitProcess skips
    // destructors, and a lock left so reads as abandoned by a run stopped hard).
    void Release();

    // Whether another run holds the lock now, found out without taking it; the
    // same results as Take. Waits up to `waitMs` for a run that is ending.
    static DWORD Check(DWORD waitMs);

private:
    HANDLE m_hMutex = nullptr;
    bool m_Held = false;
};

// Reports why the lock could not be had (`error`, as Take or Check gives it);
// false. 1618 while another run is at work, 698 for a lock another program
// made, 1603 with the system's reason for anything else.
bool RefuseForLock(DWORD error, CReport& report);
// Takes the lock for a run of either program; a refusal is reported.
bool TakeInstallationLock(CInstallationLock& lock, CReport& report);
