// The whole installation in one run, in a fixed order of steps. The dialog runs
// it from its button and shows each failure in a box, leaving the dialog open
// for another try; a quiet run writes the failure to its log and ends with its
// exit code.
#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include "ExtractResource.h"
#include "InstallProcedure.h"
#include "Language.h"
#include "OpenPrograms.h"
#include "PayloadKey.h"
#include "Product.h"
#include "Uninstallation.h"
#include "framework/WinApp.h"
#include "system/Files.h"
#include "system/FolderAccess.h"
#include "system/Links.h"
#include "system/Registry.h"
#include "system/Shortcut.h"
#include "system/Staging.h"
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

bool FailWith(CReport& report, ExitCode code, const Words& path, DWORD error) {
    return report.Fail(code, path + L"\n" + SystemErrorLine(error));
}

// The exit code of a file that cannot be written or moved, by the system's reason.
ExitCode ExitForFileError(DWORD error) {
    switch (error) {
    case ERROR_SHARING_VIOLATION: return kExitInUse;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return kExitDiskFull;
    default: return kExitWriteFailed;
    }
}

// Names a link that the installation does not go through and says what to do.
bool RefuseLink(CReport& report, const std::wstring& link) {
    return report.Fail(kExitLink, link + L"\n" + Say(IDS_LINK_REFUSED));
}

// The payload is the installer's own: a cabinet the engine cannot use means this
// copy of the installer is damaged, and only a new copy helps. The engine's
// failure in the words of the installer's language.
bool ReportExtractionFailure(Cabinet::CExtract& engine, CReport& report) {
    if (engine.CabinetIsDamaged()) return report.Fail(kExitDamaged, Say(IDS_DAMAGED));
    const std::wstring file = engine.ErrorFile();
    const DWORD error = static_cast<DWORD>(engine.ErrorType());
    switch (engine.ErrorCode()) {
    case Cabinet::kErrorLibrary: return report.Fail(kExitNoCabinetLibrary, Say(IDS_NO_CABINET_LIBRARY));
    case Cabinet::kErrorLinkInPath: return RefuseLink(report, file);
    case Cabinet::kErrorOutOfMemory: return report.Fail(kExitWriteFailed, Say(IDS_OUT_OF_MEMORY));
    default: break;
    }
    if (error) return FailWith(report, ExitForFileError(error), file, error);
    if (engine.ErrorCode() == Cabinet::kErrorTargetFile)
        return report.Fail(kExitWriteFailed, file + L"\n" + Say(IDS_FILE_NOT_WRITTEN));
    return report.Fail(kExitWriteFailed, Say(IDS_EXTRACTION_FAILED, {std::to_wstring(engine.ErrorCode())}));
}

// The first link on the way down from the install directory to `path`; empty
// when there is none.
std::wstring LinkBelow(const std::wstring& dir, const std::wstring& path) {
    return path.substr(0, LinkOnPath(dir.c_str(), path.c_str()));
}

// The update did not stand: everything it changed is put back before the user reads why.
bool ReportStagingFailure(CStaging& staging, CReport& report) {
    const CStaging::Failure failure = staging.LastFailure();
    staging.Rollback();
    if (failure.error == kLinkError) return RefuseLink(report, failure.path);
    return FailWith(report, ExitForFileError(failure.error), failure.path, failure.error);
}

// Adds a file's size, in whole 4 KiB blocks, and skips it: the cabinet is only read.
int32_t CountFile(Cabinet::FileInfo* file, void* userParam) {
    *static_cast<ULONGLONG*>(userParam) += (static_cast<uint32_t>(file->Size) + 4095ull) & ~4095ull;
    return 0;
}

// In tenths of a megabyte, rounded up (`up`) or down, so that what is needed
// never reads as no more than what is free; each language's own way: "0.8 MB",
// "0,8 MB", "0,8 Mo".
Words Megabytes(ULONGLONG bytes, bool up) {
    const ULONGLONG mib = 1024 * 1024, tenths = (bytes * 10 + (up ? mib - 1 : 0)) / mib;
    auto number = [&](LANGID language) {
        wchar_t separator[8] = L".";
        GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_SDECIMAL | LOCALE_NOUSEROVERRIDE, separator,
                       8);
        return std::to_wstring(tenths / 10) + separator + std::to_wstring(tenths % 10);
    };
    return Say(IDS_MEGABYTES, {Words(number(CurrentLanguage()), number(EnglishLanguage()))});
}

// The new files are written while the old ones are still there: the whole
// payload must fit beside them, with the uninstaller, its list and the journal.
bool CheckFreeSpace(const std::wstring& dir, Cabinet::CExtractResource& engine, CReport& report) {
    ULONGLONG needed = 0;
    Cabinet::ExtractCallbacks counting{};
    counting.BeforeCopy = CountFile;
    engine.SetCallbacks(&counting);
    if (!engine.ExtractResource(Cabinet::CStrBufW(L""), kPayloadResourceId, kPayloadResourceType,
                                Cabinet::CStrBufW(dir.c_str()), &needed)) {
        return ReportExtractionFailure(engine, report);
    }
    needed += UninstallerSize() + (64 << 10);
    std::wstring existing = dir.substr(0, dir.size() - 1);
    while (GetFileAttributesW(existing.c_str()) == INVALID_FILE_ATTRIBUTES &&
           existing.find(L'\\') != existing.npos)
        existing.resize(existing.find_last_of(L'\\'));
    ULARGE_INTEGER available{};
    wchar_t volume[MAX_PATH] = {};
    // A size it cannot learn is left to the writes themselves to find out.
    if (!GetDiskFreeSpaceExW((existing + L"\\").c_str(), &available, nullptr, nullptr) ||
        available.QuadPart >= needed)
        return true;
    if (!GetVolumePathNameW((existing + L"\\").c_str(), volume, MAX_PATH)) wcscpy(volume, existing.c_str());
    std::wstring drive = volume;
    if (drive.size() > 1 && drive.back() == L'\\') drive.pop_back();
    return report.Fail(kExitDiskFull, Say(IDS_NO_SPACE, {drive, Megabytes(needed, true),
                                                         Megabytes(available.QuadPart, false)}));
}

// A registry value that cannot be written: named, with why.
bool ReportRegistryFailure(CReport& report, HKEY root, const wchar_t* name, LONG result) {
    const std::wstring key = (root == HKEY_LOCAL_MACHINE ? L"HKEY_LOCAL_MACHINE\\" : L"HKEY_CURRENT_USER\\") +
                             std::wstring(kProductKey);
    return report.Fail(kExitRegistry, Say(IDS_REGISTRY_VALUE, {name, key}) + L"\n" +
                                          SystemErrorLine(static_cast<unsigned long>(result)));
}

// Writes one DWORD under the product's key; a failure names the value and why.
bool WriteProductValue(CReport& report, HKEY root, const wchar_t* name, DWORD value) {
    const LONG result = WriteRegistryDword(root, kProductKey, name, value);
    return result == ERROR_SUCCESS || ReportRegistryFailure(report, root, name, result);
}

}  // namespace

// Sounds directly in Sound\ may be the user's own: an existing one is kept.
int32_t PreserveExistingSounds(Cabinet::FileInfo* file, void* /*userParam*/) {
    if (std::wcscmp(file->SubDirectory, L"Sound\\") == 0 && FileExists(file->TargetPath)) return 0;
    return 1;
}

std::wstring InstallDirectory() { return GetSpecialFolderPath(CSIDL_PROGRAM_FILES) + L"Vantrelle\\"; }

bool InstallVantrelle(const std::wstring& dir, const unsigned char* key, Cabinet::CExtractResource& engine,
                      CReport& report, bool closeOpen, std::vector<std::wstring>& closed) {
    // The version gate runs first: a newer installation is not touched at all.
    report.Step(L"Checking the installed version");
    DWORD lastVersion = 0;
    if (ReadRegistryDword(HKEY_LOCAL_MACHINE, kProductKey, L"LastVersion", lastVersion) == 0 &&
        lastVersion > kProductVersionNumber) {
        return report.Fail(kExitNewerVersion, Say(IDS_NEWER_VERSION));
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

    // A run cut off while it put its files in place left a journal: the
    // installation goes back to what it was before that run.
    report.Step(L"Checking for an interrupted installation");
    CStaging::Failure unrestored;
    if (const int changes = CStaging::Recover(dir, unrestored); changes < 0) {
        return FailWith(report, ExitForFileError(unrestored.error), unrestored.path, unrestored.error);
    } else if (changes > 0) {
        report.Note(L"An interrupted installation was put back into one piece (" + std::to_wstring(changes) +
                    L" changes).");
    }

    // Closed politely, or left running to be refused just below.
    if (closeOpen) CloseOpenPrograms(dir, report, closed);

    // Asked without deleting, so that a refused run has changed nothing.
    report.Step(L"Checking that Vantrelle and its help are not in use");
    if (!CanDeleteFile((dir + kProgramFile).c_str()))
        return report.Fail(kExitInUse, Say(IDS_CLOSE_VANTRELLE));
    for (const wchar_t* help : kHelpFiles) {
        if (!CanDeleteFile((dir + help).c_str())) return report.Fail(kExitInUse, Say(IDS_CLOSE_HELP));
    }

    report.Step(L"Checking the free space");
    engine.m_Cipher.SetKey(key, Cabinet::kPayloadKeyLength);
    if (!engine.CreateFdi()) return ReportExtractionFailure(engine, report);
    if (!CheckFreeSpace(dir, engine, report)) return false;

    CWaitCursor wait;
    // Every change from here on is undone if the update does not stand.
    CStaging staging(dir);
    auto refuseLink = [&](const std::wstring& link) {
        staging.Rollback();
        return RefuseLink(report, link);
    };

    report.Step(L"Creating folders");
    // A failed first installation takes back the folders it made, the install directory too.
    bool created = staging.NoteNewFolders(dir) && CreateFolder(dir.c_str());
    for (const wchar_t* sub : kSubFolders) {
        if (!created) break;
        std::wstring link = LinkBelow(dir, dir + sub);
        if (!link.empty()) return refuseLink(link);
        if (!staging.NoteNewFolders(dir + sub)) return ReportStagingFailure(staging, report);
        created = CreateFolder((dir + sub).c_str());
    }
    if (!created) {
        staging.Rollback();
        return report.Fail(kExitWriteFailed, Say(IDS_CREATE_SUBFOLDER));
    }

    report.Step(L"Setting folder permissions");
    bool granted = true;
    for (const wchar_t* sub : kSubFolders) {
        std::wstring link = LinkBelow(dir, dir + sub);
        if (!link.empty()) return refuseLink(link);
        if (GrantFolderFullAccess((dir + sub).c_str(), false) != 0) granted = false;
    }
    if (!granted) {
        staging.Rollback();
        return report.Fail(kExitWriteFailed, Say(IDS_FOLDER_PERMISSIONS));
    }

    report.Step(L"Renaming folders of older releases");
    for (const auto& rename : kFolderRenames) {
        std::wstring from = dir + rename[0], to = dir + rename[1];
        if (LinkBelow(dir, from).empty() && LinkBelow(dir, to).empty()) staging.MoveNow(from, to);
    }

    // Each file is written whole under a partial name beside its own; the
    // installation itself is not touched yet.
    report.Step(L"Extracting files");
    ExtractionRun run{dir.size(), {}};
    Cabinet::ExtractCallbacks callbacks{};
    callbacks.BeforeCopy = PreserveExistingSounds;
    callbacks.AfterCopy = RecordWrittenFile;
    engine.SetCallbacks(&callbacks);
    engine.SetStaging(&staging);
    const bool extracted = engine.ExtractResource(Cabinet::CStrBufW(L""), kPayloadResourceId,
                                                  kPayloadResourceType, Cabinet::CStrBufW(dir.c_str()), &run);
    engine.SetStaging(nullptr);
    if (!extracted) {
        staging.Rollback();
        return ReportExtractionFailure(engine, report);
    }
    const bool listed = StageRecord(staging, dir, run.written);
    if (!listed || !StageUninstaller(staging, dir)) {
        const DWORD error = GetLastError();
        staging.Rollback();
        return FailWith(report, ExitForFileError(error), dir + (listed ? kUninstallerFile : kRecordFile),
                        error);
    }

    // All or nothing: each old file goes aside and the new one takes its name;
    // obsolete files go aside too. A failure puts everything back.
    report.Step(L"Putting the new files in place");
    for (const wchar_t* obsolete : kObsoleteFiles) staging.Retire(dir + obsolete);
    staging.Retire(dir + L"Vantrelle.pdb");
    if (!staging.Commit()) return ReportStagingFailure(staging, report);

    // "LastVersion" names the new release only once all of it is in place; until
    // then a failure still gives the old installation back, shortcut included.
    report.Step(L"Creating the start-menu shortcut");
    const std::wstring shortcut = GetSpecialFolderPath(CSIDL_COMMON_STARTMENU) + kShortcutName;
    const bool hadShortcut = FileExists(shortcut.c_str());
    if (CreateShortcut(dir + kProgramFile, shortcut, Text(IDS_SHORTCUT_DESCRIPTION), L"", SW_SHOWNORMAL, 0) !=
        0) {
        staging.Rollback();
        return report.Fail(kExitShortcut, Say(IDS_CREATE_SHORTCUT));
    }

    report.Step(L"Writing registry values");
    if (const LONG result =
            WriteRegistryDword(HKEY_LOCAL_MACHINE, kProductKey, L"LastVersion", kProductVersionNumber)) {
        staging.Rollback();
        if (!hadShortcut) DeleteFileW(shortcut.c_str());
        return ReportRegistryFailure(report, HKEY_LOCAL_MACHINE, L"LastVersion", result);
    }
    staging.Finish();
    if (!WriteProductValue(report, HKEY_CURRENT_USER, L"Charityware", 11) ||
        !WriteProductValue(report, HKEY_CURRENT_USER, L"UpdateCheck", 0)) {
        return false;
    }

    // The last registry step: Apps & features lists Vantrelle only once it is whole.
    report.Step(L"Registering Vantrelle in Apps & features");
    if (const LONG result = WriteUninstallEntry(dir)) {
        return FailWith(report, kExitRegistry,
                        Say(IDS_REGISTRY_KEY, {L"HKEY_LOCAL_MACHINE\\" + std::wstring(kUninstallKey)}),
                        static_cast<DWORD>(result));
    }

    report.Note(std::wstring(L"Vantrelle ") + kVersionText + L" is installed in " + dir + L": " +
                std::to_wstring(run.written.size()) + L" files written.");
    return true;
}
