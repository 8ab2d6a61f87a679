// The first code of the installer and of the uninstaller. An installer is
// started from a download folder, and a DLL placed there under a system DLL's
// name would run with the installer's rights if the program's own folder were
// searched; the uninstaller keeps the same rule wherever it runs. So before the
// runtime, the framework, COM or the common controls load anything, every later
// DLL lookup is limited to the system directory, and the process stops following
// junctions that ordinary users made; then the runtime starts as usual.
#include <windows.h>

#include "system/SystemLibrary.h"

extern "C" int WinMainCRTStartup();

namespace {
// Not known DLLs, and loaded later by the system's own DLLs by bare name,
// through paths that not every loader narrows (Wine's delay-loading does not):
// loaded now from the system directory, a later lookup finds them loaded.
const wchar_t* const kLoadedEarly[] = {L"uxtheme.dll", L"msimg32.dll"};

// Windows' own guard (from Windows 10 22H2): the process does not follow a
// junction that a non-administrator created. Older systems lack the call or
// refuse the policy; the installer's own checks for links stand either way.
// Looked up, so that the program still starts where kernel32 lacks it.
void FollowOnlyTrustedJunctions() {
    using SetPolicyFn = BOOL(WINAPI*)(PROCESS_MITIGATION_POLICY, PVOID, SIZE_T);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto setPolicy = reinterpret_cast<SetPolicyFn>(
        reinterpret_cast<void*>(kernel ? GetProcAddress(kernel, "SetProcessMitigationPolicy") : nullptr));
    if (!setPolicy) return;
    PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY policy{};
    policy.EnforceRedirectionTrust = 1;
    setPolicy(ProcessRedirectionTrustPolicy, &policy, sizeof policy);
}
}  // namespace

// The runtime sets the stack protector's guard value while this frame is live.
extern "C" __attribute__((no_stack_protector)) int ProgramEntry() {
    // Present on every Windows the installer runs on; should it fail, the DLLs
    // the installer itself loads still come by full path.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    for (const wchar_t* name : kLoadedEarly) LoadSystemLibrary(name);
    FollowOnlyTrustedJunctions();
    return WinMainCRTStartup();
}
