#include "Uninstallation.h"

#include "PartialFiles.h"
#include "Product.h"
#include "resources/resource.h"

namespace {

// Resources of the running executable are mapped with it: no copy, no release.
bool UninstallerBytes(const void*& data, DWORD& size) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(IDR_UNINSTALLER), RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(self, found) : nullptr;
    data = loaded ? LockResource(loaded) : nullptr;
    size = found ? SizeofResource(self, found) : 0;
    if (data && size) return true;
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return false;
}

ULONGLONG FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// What Apps & features shows as the size: every listed file that is there, the
// list and the uninstaller, in KiB.
DWORD EstimatedSizeKiB(const std::wstring& dir) {
    FileList files;
    ULONGLONG bytes = FileSize(dir + kRecordFile) + FileSize(dir + kUninstallerFile);
    if (ReadRecord(dir + kRecordFile, files)) {
        for (const std::wstring& name : files) bytes += FileSize(dir + name);
    }
    return static_cast<DWORD>((bytes + 1023) / 1024);
}

// Written whole under a partial name and put in place with the payload's files.
bool StageData(CStaging& staging, const std::wstring& path, const void* data, unsigned long size) {
    std::wstring partial;
    if (!WritePartialFile(path, data, size, partial)) return false;
    staging.Stage(partial, path);
    return true;
}

}  // namespace

bool StageRecord(CStaging& staging, const std::wstring& dir, const FileList& written) {
    FileList files;
    // A list that is missing or damaged starts anew with this run's files.
    ReadRecord(dir + kRecordFile, files);
    files.insert(written.begin(), written.end());
    const std::string text = RecordText(files);
    return StageData(staging, dir + kRecordFile, text.data(), static_cast<unsigned long>(text.size()));
}

unsigned long UninstallerSize() {
    const void* data = nullptr;
    DWORD size = 0;
    return UninstallerBytes(data, size) ? size : 0;
}

bool StageUninstaller(CStaging& staging, const std::wstring& dir) {
    const void* data = nullptr;
    DWORD size = 0;
    return UninstallerBytes(data, size) && StageData(staging, dir + kUninstallerFile, data, size);
}

LONG WriteUninstallEntry(const std::wstring& dir) {
    HKEY key = nullptr;
    LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) return result;
    const std::wstring uninstaller = L"\"" + dir + kUninstallerFile + L"\"";
    const struct {
        const wchar_t* name;
        std::wstring text;
    } texts[] = {
        {L"DisplayName", kDisplayName},
        {L"DisplayVersion", kVersionText},
        {L"Publisher", kPublisher},
        {L"DisplayIcon", dir + kProgramFile},
        {L"InstallLocation", dir},
        {L"UninstallString", uninstaller},
        {L"QuietUninstallString", uninstaller + L" /quiet"},
        {L"URLInfoAbout", kProductPage},
    };
    for (const auto& value : texts) {
        if (result != ERROR_SUCCESS) break;
        result = RegSetValueExW(key, value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                                static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t)));
    }
    const struct {
        const wchar_t* name;
        DWORD number;
    } numbers[] = {{L"EstimatedSize", EstimatedSizeKiB(dir)}, {L"NoModify", 1}, {L"NoRepair", 1}};
    for (const auto& value : numbers) {
        if (result != ERROR_SUCCESS) break;
        result = RegSetValueExW(key, value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                                sizeof value.number);
    }
    RegCloseKey(key);
    return result;
}
