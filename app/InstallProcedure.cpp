// The whole installation in one run, in a fixed order of steps. The dialog runs
// it from its button and shows each failure in a box, leaving the dialog open
// for another try; a quiet run writes the failure to its log and ends with its
// exit code.
#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include "ExtractResource.h"
#include "InstallProcedure.h"
#include "PayloadKey.h"
#include "Product.h"
#include "Uninstallation.h"
#include "framework/WinApp.h"
#include "system/Files.h"
#include "system/FolderAccess.h"
#include "system/Links.h"
#include "system/Registry.h"
#include "system/Shortcut.h"
#include "system/SpecialFolders.h"

namespace {

const int kPayloadResourceId = 109;
const int kPayloadResourceType = 10;  // RT_RCDATA

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

const wchar_t kShortcutDescription[] = L"A diagnostic and tuning tool for multiple ECU models.";
const wchar_t kNewerVersionText[] =
    L"A newer version of Vantrelle is already installed.\nPlease use the latest installer.";
const wchar_t kDamagedText[] =
    L"This installer is damaged and cannot install Vantrelle.\nPlease download a new copy of the installer.";

// What one run of the extraction learns, through the engine's user parameter:
// every file it wrote, relative to the install directory.
struct ExtractionRun {
    size_t dirLength;
    FileList written;
};

void RecordWrittenFile(const wchar_t* targetPath, Cabinet::MemoryBuffer*, void* userParam) {
    auto* run = static_cast<ExtractionRun*>(userParam);
    run->written.insert(targetPath + run->dirLength);
}

bool FailWith(CReport& report, ExitCode code, const std::wstring& path, DWORD error) {
    return report.Fail(code, path + L"\n" + SystemErrorLine(error));
}

// The payload is the installer's own: a cabinet the engine cannot use means this
// copy of the installer is damaged, and only a new copy helps.
bool ReportExtractionFailure(Cabinet::CExtract& engine, CReport& report) {
    if (engine.CabinetIsDamaged()) return report.Fail(kExitDamaged, kDamagedText);
    const int32_t code = engine.ErrorCode();
    const ExitCode exit = code == Cabinet::kErrorLibrary      ? kExitNoCabinetLibrary
                          : code == Cabinet::kErrorLinkInPath ? kExitLink
                                                              : kExitWriteFailed;
    return report.Fail(exit, engine.GetErrorText());
}

// The first link on the way down from the install directory to `path`; empty
// when there is none.
std::wstring LinkBelow(const std::wstring& dir, const std::wstring& path) {
    return path.substr(0, LinkOnPath(dir.c_str(), path.c_str()));
}

// Names a link that the installation does not go through and says what to do.
bool RefuseLink(CReport& report, const std::wstring& link) {
    return report.Fail(kExitLink, link + L"\n" + kLinkRefusedText);
}

// The forced delete fails only for a file some program holds open.
bool IsInUse(const std::wstring& path) {
    DeleteFileForced(path.c_str());
    return FileExists(path.c_str());
}

// Writes one DWORD under the product's key; a failure names the value and why.
bool WriteProductValue(CReport& report, HKEY root, const wchar_t* name, DWORD value) {
    const LONG result = WriteRegistryDword(root, kProductKey, name, value);
    if (result == ERROR_SUCCESS) return true;
    return report.Fail(kExitRegistry,
                       std::wstring(L"Error writing the registry value \"") + name + L"\" under " +
                           (root == HKEY_LOCAL_MACHINE ? L"HKEY_LOCAL_MACHINE\\" : L"HKEY_CURRENT_USER\\") +
                           kProductKey + L".\n" + SystemErrorLine(static_cast<unsigned long>(result)));
}

}  // namespace

// Sounds directly in Sound\ may be the user's own: an existing one is kept.
int32_t PreserveExistingSounds(Cabinet::FileInfo* file, void* /*userParam*/) {
    if (std::wcscmp(file->SubDirectory, L"Sound\\") == 0 && FileExists(file->TargetPath)) return 0;
    return 1;
}

std::wstring InstallDirectory() { return GetSpecialFolderPath(CSIDL_PROGRAM_FILES) + L"Vantrelle\\"; }

bool InstallVantrelle(const std::wstring& dir, const unsigned char* key, Cabinet::CExtractResource& engine,
                      CReport& report) {
    // The version gate runs first, so a run that refuses a newer installation
    // has deleted nothing of it.
    report.Step(L"Checking the installed version");
    DWORD lastVersion = 0;
    if (ReadRegistryDword(HKEY_LOCAL_MACHINE, kProductKey, L"LastVersion", lastVersion) == 0 &&
        lastVersion > kProductVersionNumber) {
        return report.Fail(kExitNewerVersion, kNewerVersionText);
    }

    // Users may write in the sub-folders and below them, so a link there may be
    // theirs, planted to send this administrator's changes to another place:
    // while one is there, nothing is changed, not even by the in-use test. Every
    // step below checks again at the moment it acts, against a link planted
    // during the run.
    report.Step(L"Checking the folders for links");
    for (const wchar_t* sub : kSubFolders) {
        std::wstring link = FindLinkInTree(dir + sub);
        if (!link.empty()) return RefuseLink(report, link);
    }

    report.Step(L"Checking that Vantrelle and its help are not in use");
    if (IsInUse(dir + kProgramFile)) {
        return report.Fail(kExitInUse, kCloseVantrelleText);
    }
    DeleteFileForced((dir + L"Vantrelle.pdb").c_str());
    for (const wchar_t* help : kHelpFiles) DeleteFileForced((dir + help).c_str());
    for (const wchar_t* help : kHelpFiles) {
        if (FileExists((dir + help).c_str())) {
            return report.Fail(kExitInUse, kCloseHelpText);
        }
    }

    CWaitCursor wait;

    report.Step(L"Creating folders");
    bool created = CreateFolder(dir.c_str());
    for (const wchar_t* sub : kSubFolders) {
        if (!created) break;
        std::wstring link = LinkBelow(dir, dir + sub);
        if (!link.empty()) return RefuseLink(report, link);
        created = CreateFolder((dir + sub).c_str());
    }
    if (!created) {
        return report.Fail(kExitWriteFailed, L"Error creating subdirectory");
    }

    report.Step(L"Setting folder permissions");
    bool granted = true;
    for (const wchar_t* sub : kSubFolders) {
        std::wstring link = LinkBelow(dir, dir + sub);
        if (!link.empty()) return RefuseLink(report, link);
        if (GrantFolderFullAccess((dir + sub).c_str(), false) != 0) granted = false;
    }
    if (!granted) {
        return report.Fail(kExitWriteFailed, L"Error setting folder permissions.");
    }

    report.Step(L"Renaming folders of older releases");
    for (const auto& rename : kFolderRenames) {
        std::wstring from = dir + rename[0], to = dir + rename[1];
        if (LinkBelow(dir, from).empty() && LinkBelow(dir, to).empty()) MoveFileW(from.c_str(), to.c_str());
    }

    report.Step(L"Extracting files");
    ExtractionRun run{dir.size(), {}};
    Cabinet::ExtractCallbacks callbacks{};
    callbacks.BeforeCopy = PreserveExistingSounds;
    callbacks.AfterCopy = RecordWrittenFile;
    engine.SetCallbacks(&callbacks);
    engine.m_Cipher.SetKey(key, Cabinet::kPayloadKeyLength);
    const bool extracted = engine.CreateFdi() &&
                           engine.ExtractResource(Cabinet::CStrBufW(L""), kPayloadResourceId,
                                                  kPayloadResourceType, Cabinet::CStrBufW(dir.c_str()), &run);
    // Listed even when the run failed: a later run keeps an existing sound it
    // wrote, and the uninstaller must still know it for the installers'.
    const bool listed = AddToRecord(dir, run.written);
    const DWORD listError = GetLastError();
    if (!extracted) return ReportExtractionFailure(engine, report);
    if (!listed) return FailWith(report, kExitWriteFailed, dir + kRecordFile, listError);

    report.Step(L"Deleting obsolete files");
    for (const wchar_t* obsolete : kObsoleteFiles) {
        std::wstring path = dir + obsolete;
        if (LinkBelow(dir, path).empty()) DeleteFileW(path.c_str());
    }

    report.Step(L"Creating the start-menu shortcut");
    std::wstring link = GetSpecialFolderPath(CSIDL_COMMON_STARTMENU) + kShortcutName;
    if (CreateShortcut(dir + kProgramFile, link, kShortcutDescription, L"", SW_SHOWNORMAL, 0) != 0) {
        return report.Fail(kExitShortcut, L"Error creating shortcut in start menu.");
    }

    report.Step(L"Writing registry values");
    if (!WriteProductValue(report, HKEY_LOCAL_MACHINE, L"LastVersion", kProductVersionNumber) ||
        !WriteProductValue(report, HKEY_CURRENT_USER, L"Charityware", 11) ||
        !WriteProductValue(report, HKEY_CURRENT_USER, L"UpdateCheck", 0)) {
        return false;
    }

    report.Step(L"Writing the uninstaller");
    if (!WriteUninstaller(dir))
        return FailWith(report, kExitWriteFailed, dir + kUninstallerFile, GetLastError());

    // The last registry step: Apps & features lists Vantrelle only once it is whole.
    report.Step(L"Registering Vantrelle in Apps & features");
    if (const LONG result = WriteUninstallEntry(dir)) {
        return FailWith(
            report, kExitRegistry,
            std::wstring(L"Error writing the registry key HKEY_LOCAL_MACHINE\\") + kUninstallKey + L".",
            static_cast<DWORD>(result));
    }

    report.Note(std::wstring(L"Vantrelle ") + kVersionText + L" is installed in " + dir + L": " +
                std::to_wstring(run.written.size()) + L" files written.");
    return true;
}
