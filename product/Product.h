#pragma once
// What the installer and the uninstaller both know of Vantrelle: its names, its
// folders and files and its registry keys (the texts they show are in the
// string tables, Language.h).
#include <windows.h>

#include "Version.h"  // generated from the version set in the root CMakeLists.txt

inline constexpr wchar_t kVersionText[] = VANTRELLE_VERSION_WIDE;
inline constexpr DWORD kProductVersionNumber = VANTRELLE_RELEASE_NUMBER;  // the "LastVersion" of this release
inline constexpr wchar_t kDisplayName[] = L"Vantrelle";                   // in Apps & features
inline constexpr wchar_t kProductPage[] = L"https://www.tollanby.com/vantrelle/index.php";
inline constexpr wchar_t kPublisher[] = L"Tollanby";

// Registry: the product's key (both roots) and its Apps & features entry.
inline constexpr wchar_t kProductKey[] = L"Software\\Tollanby\\Vantrelle";
inline constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantrelle";

// Relative to the install directory.
inline constexpr wchar_t kProgramFile[] = L"Vantrelle.exe";
inline const wchar_t* const kHelpFiles[] = {L"Vantrelle.chm", L"Help english.chm", L"Help.chm"};
// Ordinary users may write in these, and in everything below them.
inline const wchar_t* const kSubFolders[] = {L"ECU",    L"Translation", L"Update",
                                             L"Macros", L"Sound",       L"Convert"};
inline constexpr wchar_t kUninstallerFile[] = L"Uninstall.exe";
// Every file the installers wrote, one relative path a line; in the install
// directory itself, which only administrators may write.
inline constexpr wchar_t kRecordFile[] = L"Uninstall.dat";

// In the all-users start menu.
inline constexpr wchar_t kShortcutName[] = L"Vantrelle.lnk";
