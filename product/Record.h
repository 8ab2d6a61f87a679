#pragma once
// The list of every file the installers wrote, kept in the install directory
// (where only administrators may write) for the uninstaller: the line
// "[Vantrelle installed files]", then one path a line relative to the install
// directory, UTF-8. An update adds its files to those already listed.
#include <cwchar>
#include <set>
#include <string>

struct NoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return _wcsicmp(a.c_str(), b.c_str()) < 0;
    }
};
using FileList = std::set<std::wstring, NoCaseLess>;

// False, with GetLastError, when the list cannot be read; ERROR_FILE_CORRUPT
// when the file is not such a list, or names a file outside the directory.
bool ReadRecord(const std::wstring& path, FileList& files);
// The list as its file holds it.
std::string RecordText(const FileList& files);
// Writes the list whole beside `path` under a partial name, then renames it
// into place; false, with GetLastError, when it cannot.
bool WriteRecord(const std::wstring& path, const FileList& files);
