#pragma once
// How a run of the installer or the uninstaller ends, for whoever started it
// (winget, Intune, a script). Each code is the Windows error code whose system
// text fits, so that a deployment console that shows a code's text shows the
// right one.
enum ExitCode : unsigned long {
    kExitSuccess = 0,
    kExitInUse = 32,      // ERROR_SHARING_VIOLATION: Vantrelle, its help or another of its files is in use
    kExitShortcut = 82,   // ERROR_CANNOT_MAKE: the start-menu shortcut
    kExitDiskFull = 112,  // ERROR_DISK_FULL: not enough free space for the installation
    kExitNoCabinetLibrary = 126,  // ERROR_MOD_NOT_FOUND: the system's Cabinet.dll
    kExitLink = 681,              // ERROR_STOPPED_ON_SYMLINK: a link in a folder the program works in
    kExitForeignLock = 698,       // ERROR_OBJECT_NAME_EXISTS: another program made the installation lock
    kExitRegistry = 1013,         // ERROR_CANTWRITE: a registry value or key
    kExitDamaged = 1392,          // ERROR_FILE_CORRUPT: the program's own data is damaged
    kExitDeclined = 1602,         // ERROR_INSTALL_USEREXIT: terms not accepted, or removal declined
    kExitWriteFailed = 1603,      // ERROR_INSTALL_FAILURE: a file, folder or permission
    kExitInProgress = 1618,       // ERROR_INSTALL_ALREADY_RUNNING: another installation or removal is running
    kExitLogFailed = 1622,        // ERROR_INSTALL_LOG_FAILURE
    kExitNewerVersion = 1638,     // ERROR_PRODUCT_VERSION
    kExitBadSwitch = 1639,        // ERROR_INVALID_COMMAND_LINE: an unknown switch, or /?
};
