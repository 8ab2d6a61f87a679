#include "Record.h"

#include <windows.h>

#include <string>

#include "PartialFiles.h"
#include "Paths.h"
#include "Utf8.h"

namespace {
const char kHeader[] = "[Vantrelle installed files]";
}  // namespace

bool ReadRecord(const std::wstring& path, FileList& files) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
    CloseHandle(file);
    files.clear();
    bool listed = false, damaged = false;
    for (size_t at = 0; at < bytes.size() && !damaged;) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!listed) {
            listed = line == kHeader;
            damaged = !listed;
            continue;
        }
        if (line.empty()) continue;
        const std::wstring name = FromUtf8(line);
        damaged = name.empty() || !IsContainedName(name.c_str());
        if (!damaged) files.insert(name);
    }
    if (!listed || damaged) {
        files.clear();
        SetLastError(ERROR_FILE_CORRUPT);
        return false;
    }
    return true;
}

std::string RecordText(const FileList& files) {
    std::string text = std::string(kHeader) + "\r\n";
    for (const std::wstring& name : files) {
        text += Utf8(name) + "\r\n";
    }
    return text;
}

bool WriteRecord(const std::wstring& path, const FileList& files) {
    const std::string text = RecordText(files);
    return WriteWholeFile(path, text.data(), static_cast<unsigned long>(text.size()));
}
