// The "I&nstall / Update" command: the whole installation in one run. Every
// failure shows its message and returns with the dialog open for another try;
// success ends the process.
#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include "ExtractResource.h"
#include "InstallProcedure.h"
#include "MainDlg.h"
#include "system/DesktopShell.h"
#include "system/Files.h"
#include "system/FolderAccess.h"
#include "system/Links.h"
#include "system/Registry.h"
#include "system/Shortcut.h"
#include "system/SpecialFolders.h"

namespace {

const wchar_t kProductKey[] = L"Software\\Tollanby\\Vantrelle";
const DWORD kProductVersionNumber = 53;
const int kPayloadResourceId = 109;
const int kPayloadResourceType = 10;  // RT_RCDATA

const wchar_t* const kHelpFiles[] = {L"Vantrelle.chm", L"Help english.chm", L"Help.chm"};
const wchar_t* const kSubFolders[] = {L"ECU", L"Translation", L"Update", L"Macros", L"Sound", L"Convert"};
const wchar_t* const kFolderRenames[][2] = {
    {L"ECU\\Unit Beta", L"ECU\\Unit Alpha"},
    {L"ECU\\Unit Gamma", L"ECU\\Unit Gamma Plus"},
};
const wchar_t* const kObsoleteFiles[] = {
    L"NCalc.dll",
    L"Grid.dll",
    L"Version History ReadMe.txt",
    L"Parameters\\Unit Delta.xml",
    L"FlashMemory\\Vehicle One.bin",
    L"FlashMemory\\Vehicle Two.bin",
    L"ECU\\OBD2\\Parameters\\Universal OBD2.xml",
    L"ECU\\Unit Alpha\\Parameters\\Unit Beta.xml",
    L"ECU\\Unit Alpha\\Emulator\\Unit Beta.xml",
};

const wchar_t kShortcutName[] = L"Vantrelle.lnk";
const wchar_t kShortcutDescription[] = L"A diagnostic and tuning tool for multiple ECU models.";

const wchar_t kErrorCaption[] = L"Error";
const wchar_t kSuccessCaption[] = L"Installation complete";
const wchar_t kSuccessText[] =
    L"Vantrelle has been installed successfully.\nA shortcut has been created in the start menu.";
const wchar_t kNewerVersionText[] =
    L"A newer version of Vantrelle is already installed.\nPlease use the latest installer.";

const wchar_t kDamagedText[] =
    L"This installer is damaged and cannot install Vantrelle.\nPlease download a new copy of the installer.";

// The payload is the installer's own: a cabinet the engine cannot use means this
// copy of the installer is damaged, and only a new copy helps.
const wchar_t* ExtractionErrorText(Cabinet::CExtract& engine) {
    return engine.CabinetIsDamaged() ? kDamagedText : engine.GetErrorText();
}

// The first link on the way down from the install directory to `path`; empty
// when there is none.
std::wstring LinkBelow(const std::wstring& dir, const std::wstring& path) {
    return path.substr(0, LinkOnPath(dir.c_str(), path.c_str()));
}

// The forced delete fails only for a file some program holds open.
bool IsInUse(const std::wstring& path) {
    DeleteFileForced(path.c_str());
    return FileExists(path.c_str());
}

}  // namespace

// Sounds directly in Sound\ may be the user's own: an existing one is kept.
int32_t PreserveExistingSounds(Cabinet::FileInfo* file, void* /*userParam*/) {
    if (std::wcscmp(file->SubDirectory, L"Sound\\") == 0 && FileExists(file->TargetPath)) return 0;
    return 1;
}

void CMainDlg::ShowError(const wchar_t* text) { ::MessageBoxW(GetSafeHwnd(), text, kErrorCaption, MB_OK); }

void CMainDlg::ShowLinkRefused(const std::wstring& link) {
    ShowError((link + L"\n" + kLinkRefusedText).c_str());
}

void CMainDlg::OnInstall() {
    const std::wstring& dir = m_InstallDir;

    // The version gate runs first, so a run that refuses a newer installation
    // has deleted nothing of it.
    DWORD lastVersion = 0;
    if (ReadRegistryDword(HKEY_LOCAL_MACHINE, kProductKey, L"LastVersion", lastVersion) == 0 &&
        lastVersion > kProductVersionNumber) {
        return ShowError(kNewerVersionText);
    }

    if (IsInUse(dir + L"Vantrelle.exe")) return ShowError(L"Please close Vantrelle.");
    DeleteFileForced((dir + L"Vantrelle.pdb").c_str());
    for (const wchar_t* help : kHelpFiles) DeleteFileForced((dir + help).c_str());
    for (const wchar_t* help : kHelpFiles) {
        if (FileExists((dir + help).c_str())) return ShowError(L"Please close the help file.");
    }

    CWaitCursor wait;

    // Users may write in the sub-folders and below them, so a link there may be
    // theirs, planted to send this administrator's changes to another place:
    // while one is there, nothing is changed. Every step below checks again at
    // the moment it acts, against a link planted during the run.
    for (const wchar_t* sub : kSubFolders) {
        std::wstring link = FindLinkInTree(dir + sub);
        if (!link.empty()) return ShowLinkRefused(link);
    }

    bool created = CreateFolder(dir.c_str());
    for (const wchar_t* sub : kSubFolders) {
        if (!created) break;
        std::wstring link = LinkBelow(dir, dir + sub);
        if (!link.empty()) return ShowLinkRefused(link);
        created = CreateFolder((dir + sub).c_str());
    }
    if (!created) return ShowError(L"Error creating subdirectory");

    bool granted = true;
    for (const wchar_t* sub : kSubFolders) {
        std::wstring link = LinkBelow(dir, dir + sub);
        if (!link.empty()) return ShowLinkRefused(link);
        if (GrantFolderFullAccess((dir + sub).c_str(), false) != 0) granted = false;
    }
    if (!granted) return ShowError(L"Error setting folder permissions.");

    for (const auto& rename : kFolderRenames) {
        std::wstring from = dir + rename[0], to = dir + rename[1];
        if (LinkBelow(dir, from).empty() && LinkBelow(dir, to).empty()) MoveFileW(from.c_str(), to.c_str());
    }

    Cabinet::CExtractResource engine;
    Cabinet::ExtractCallbacks callbacks{};
    callbacks.BeforeCopy = PreserveExistingSounds;
    engine.SetCallbacks(&callbacks);
    engine.m_Cipher.SetKey(m_CipherKey, sizeof m_CipherKey);
    if (!engine.CreateFdi()) return ShowError(ExtractionErrorText(engine));
    if (!engine.ExtractResource(Cabinet::CStrBufW(L""), kPayloadResourceId, kPayloadResourceType,
                                Cabinet::CStrBufW(dir.c_str()), this)) {
        return ShowError(ExtractionErrorText(engine));
    }

    for (const wchar_t* obsolete : kObsoleteFiles) {
        std::wstring path = dir + obsolete;
        if (LinkBelow(dir, path).empty()) DeleteFileW(path.c_str());
    }

    std::wstring link = GetSpecialFolderPath(CSIDL_COMMON_STARTMENU) + kShortcutName;
    if (CreateShortcut(dir + L"Vantrelle.exe", link, kShortcutDescription, L"", SW_SHOWNORMAL, 0) != 0) {
        return ShowError(L"Error creating shortcut in start menu.");
    }

    WriteRegistryDword(HKEY_LOCAL_MACHINE, kProductKey, L"LastVersion", kProductVersionNumber);
    WriteRegistryDword(HKEY_CURRENT_USER, kProductKey, L"Charityware", 11);
    WriteRegistryDword(HKEY_CURRENT_USER, kProductKey, L"UpdateCheck", 0);

    ::MessageBoxW(GetSafeHwnd(), kSuccessText, kSuccessCaption, MB_ICONINFORMATION);
    ShellExecuteViaDesktop((dir + L"Vantrelle.exe").c_str(), L"", L"", L"open", SW_SHOWNORMAL);
    ExitProcess(0);
}
