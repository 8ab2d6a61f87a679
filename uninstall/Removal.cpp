// Removing Vantrelle in a fixed order of steps: the refusals first, while
// nothing is changed yet; then the installed files, the shortcut, the registry
// values and the Apps & features entry, the folders left empty and the list.
#include "Removal.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "Language.h"
#include "OpenPrograms.h"
#include "PartialFiles.h"
#include "Product.h"
#include "Record.h"
#include "Staging.h"
#include "system/Files.h"
#include "system/Links.h"
#include "system/Registry.h"
#include "system/SpecialFolders.h"

namespace {

bool RefuseLink(CReport& report, const std::wstring& link) {
    return report.Fail(kExitLink, Words(link) + L"\n" + Say(IDS_UNINSTALL_LINK));
}

// Deletes a file the installers wrote; a read-only one too. 0, also when it
// is gone already, or the reason.
DWORD RemoveFile(const std::wstring& path) {
    if (DeleteOwnFile(path)) return 0;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
}

bool RemoveRegistry(CReport& report, const wchar_t* rootName, const wchar_t* key, LONG result) {
    if (result == ERROR_SUCCESS) return true;
    return report.Fail(kExitRegistry, Say(IDS_REGISTRY_REMOVE, {rootName + std::wstring(L"\\") + key}) +
                                          L"\n" + SystemErrorLine(static_cast<unsigned long>(result)));
}

// The folder part of a relative name, without its backslash; empty at the top.
std::wstring FolderOf(const std::wstring& name) {
    const size_t cut = name.find_last_of(L'\\');
    return cut == std::wstring::npos ? std::wstring() : name.substr(0, cut);
}

}  // namespace

bool RemoveVantrelle(const std::wstring& dir, CReport& report, Removal& removal, bool closeOpen) {
    // An installation cut off while it put its files in place is put back first,
    // so that the list and the files on disk belong together.
    report.Step(L"Checking for an interrupted installation");
    CStaging::Failure unrestored;
    if (CStaging::Recover(dir, unrestored) < 0) {
        return report.Fail(kExitWriteFailed,
                           Words(unrestored.path) + L"\n" + SystemErrorLine(unrestored.error));
    }

    report.Step(L"Reading the list of installed files");
    const std::wstring record = dir + kRecordFile;
    FileList files;
    if (!ReadRecord(record, files)) {
        return report.Fail(kExitDamaged, Say(IDS_LIST_DAMAGED, {record, SystemErrorLine(GetLastError())}));
    }

    // As in the installer: a link where users may write could send this
    // administrator's deletes to another place. While one is there, nothing goes.
    report.Step(L"Checking the folders for links");
    for (const wchar_t* sub : kSubFolders) {
        const std::wstring link = FindLinkInTree(dir + sub);
        if (!link.empty()) return RefuseLink(report, link);
    }

    std::vector<std::wstring> closed;  // not started again: Vantrelle is going
    if (closeOpen) CloseOpenPrograms(dir, report, closed);

    report.Step(L"Checking that Vantrelle and its help are not in use");
    if (!CanDeleteFile((dir + kProgramFile).c_str()))
        return report.Fail(kExitInUse, Say(IDS_CLOSE_VANTRELLE));
    for (const wchar_t* help : kHelpFiles) {
        if (!CanDeleteFile((dir + help).c_str())) return report.Fail(kExitInUse, Say(IDS_CLOSE_HELP));
    }

    report.Step(L"Removing files");
    FileList folders, left;
    std::wstring failed;
    DWORD failure = 0;
    for (const std::wstring& name : files) {
        const std::wstring path = dir + name;
        const size_t link = LinkOnPath(dir.c_str(), path.c_str());
        if (link) return RefuseLink(report, path.substr(0, link));
        if (const std::wstring folder = FolderOf(name); !folder.empty()) folders.insert(folder);
        if (!FileExists(path.c_str())) continue;  // gone already: an obsolete file, say
        const DWORD error = RemoveFile(path);
        if (error == 0) {
            ++removal.filesRemoved;
            continue;
        }
        left.insert(name);
        if (!failure) failure = error, failed = path;
    }
    // A run cut off while installing leaves a partial or moved-aside file where it wrote.
    RemovePartialFiles(dir);
    for (const std::wstring& folder : folders) {
        if (!LinkOnPath(dir.c_str(), (dir + folder).c_str())) RemovePartialFiles(dir + folder + L"\\");
    }
    if (failure) {
        // What is left stays listed, so that uninstalling again finishes the work.
        WriteRecord(record, left);
        return report.Fail(kExitWriteFailed, Words(failed) + L"\n" + SystemErrorLine(failure) + L"\n" +
                                                 Say(IDS_CLOSE_AND_RETRY));
    }

    report.Step(L"Removing the start-menu shortcut");
    const std::wstring shortcut = GetSpecialFolderPath(CSIDL_COMMON_STARTMENU) + kShortcutName;
    if (const DWORD error = RemoveFile(shortcut)) {
        return report.Fail(kExitShortcut, Words(shortcut) + L"\n" + SystemErrorLine(error));
    }

    report.Step(L"Removing registry values");
    if (!RemoveRegistry(report, L"HKEY_LOCAL_MACHINE", kProductKey,
                        DeleteRegistryValue(HKEY_LOCAL_MACHINE, kProductKey, L"LastVersion")) ||
        !RemoveRegistry(report, L"HKEY_LOCAL_MACHINE", kProductKey,
                        DeleteEmptyRegistryKeys(HKEY_LOCAL_MACHINE, kProductKey, 1))) {
        return false;
    }
    for (const wchar_t* name : {L"Charityware", L"UpdateCheck"}) {
        if (!RemoveRegistry(report, L"HKEY_CURRENT_USER", kProductKey,
                            DeleteRegistryValue(HKEY_CURRENT_USER, kProductKey, name))) {
            return false;
        }
    }
    if (!RemoveRegistry(report, L"HKEY_CURRENT_USER", kProductKey,
                        DeleteEmptyRegistryKeys(HKEY_CURRENT_USER, kProductKey, 1))) {
        return false;
    }

    report.Step(L"Removing the Apps & features entry");
    if (!RemoveRegistry(report, L"HKEY_LOCAL_MACHINE", kUninstallKey,
                        DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallKey))) {
        return false;
    }

    // Deepest first, so that a folder emptied of its folders goes too. A folder
    // that still holds something of the user's, or of Vantrelle's own making, stays.
    report.Step(L"Removing empty folders");
    for (const wchar_t* sub : kSubFolders) folders.insert(sub);
    std::vector<std::wstring> deepest(folders.begin(), folders.end());
    std::sort(deepest.begin(), deepest.end(),
              [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    for (const std::wstring& folder : deepest) {
        for (std::wstring at = folder; !at.empty(); at = FolderOf(at)) {
            const std::wstring path = dir + at;
            if (LinkOnPath(dir.c_str(), path.c_str()) || !RemoveDirectoryW(path.c_str())) break;
        }
    }

    report.Step(L"Removing the list of installed files");
    if (const DWORD error = RemoveFile(record)) {
        return report.Fail(kExitWriteFailed, Words(record) + L"\n" + SystemErrorLine(error));
    }

    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((dir + L"*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            // The uninstaller, and the moved-aside files it leaves, go once it has ended.
            if (name != L"." && name != L".." && _wcsicmp(name.c_str(), kUninstallerFile) != 0 &&
                !IsAsideFileName(name.c_str()) && !IsPartialFileName(name.c_str()))
                removal.kept.push_back(name);
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    return true;
}

std::wstring RemovedText(const std::wstring& dir, const Removal& removal) {
    std::wstring text = Text(IDS_REMOVED);
    if (removal.kept.empty()) return text;
    text += L"\n\n" + Text(IDS_KEPT, {dir.substr(0, dir.size() - 1)});
    for (const std::wstring& name : removal.kept) text += L"\n" + name;
    return text;
}
