#pragma once
// Shared by the engine tests: where the generated cabinets are, fresh target
// directories, whole-file I/O and in-place edits of a cabinet's file records.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace CabTest {

inline std::wstring FromUnix(const char* path) {
    std::wstring out = L"Z:";
    for (const char* p = path; *p; ++p) out += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    return out;
}

inline std::wstring CabDir() { return FromUnix(VANTRELLE_CAB_DIR) + L"\\"; }
inline std::wstring Cab(const wchar_t* name) { return CabDir() + name; }

inline std::vector<unsigned char> ReadBytes(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size;
    GetFileSizeEx(f, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(f);
    bytes.resize(got);
    return bytes;
}

inline bool WriteBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    BOOL ok = bytes.empty() || WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(f);
    return ok && put == bytes.size();
}

inline bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes a tree, read-only files included.
inline void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = dir + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

// An empty directory of the test's own, ending in a backslash.
inline std::wstring FreshDir(const std::wstring& name) {
    std::wstring base = CabDir() + L"work";
    CreateDirectoryW(base.c_str(), nullptr);
    std::wstring dir = base + L"\\" + name;
    RemoveTree(dir);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir + L"\\";
}

// One file record of a cabinet without reserved areas.
struct Entry {
    size_t offset;  // of the record
    size_t nameOffset;
    std::string name;
};

inline std::vector<Entry> Entries(const std::vector<unsigned char>& cab) {
    std::vector<Entry> entries;
    auto u16 = [&](size_t o) { return static_cast<uint32_t>(cab[o] | cab[o + 1] << 8); };
    auto u32 = [&](size_t o) { return u16(o) | u16(o + 2) << 16; };
    size_t at = u32(16);
    for (uint32_t i = 0, n = u16(28); i < n; ++i) {
        Entry e{at, at + 16, reinterpret_cast<const char*>(&cab[at + 16])};
        entries.push_back(e);
        at = e.nameOffset + e.name.size() + 1;
    }
    return entries;
}

inline Entry Find(const std::vector<unsigned char>& cab, const std::string& name) {
    for (const Entry& e : Entries(cab))
        if (e.name == name) return e;
    ADD_FAILURE() << "no entry " << name;
    return Entry{0, 0, {}};
}

inline void Put16(std::vector<unsigned char>& cab, size_t at, uint32_t v) {
    cab[at] = static_cast<unsigned char>(v);
    cab[at + 1] = static_cast<unsigned char>(v >> 8);
}

inline void SetAttributes(std::vector<unsigned char>& cab, const std::string& name, uint16_t a) {
    Put16(cab, Find(cab, name).offset + 14, a);
}

inline void SetSize(std::vector<unsigned char>& cab, const std::string& name, uint32_t size) {
    size_t at = Find(cab, name).offset;
    Put16(cab, at, size & 0xFFFF);
    Put16(cab, at + 2, size >> 16);
}

// Renames in place; the stored name keeps its length.
inline void Rename(std::vector<unsigned char>& cab, const std::string& from, const std::string& to) {
    Entry e = Find(cab, from);
    ASSERT_EQ(from.size(), to.size());
    memcpy(&cab[e.nameOffset], to.data(), to.size());
}

inline uint16_t DosDate(const std::vector<unsigned char>& cab, const std::string& name) {
    size_t at = Find(cab, name).offset + 10;
    return static_cast<uint16_t>(cab[at] | cab[at + 1] << 8);
}

inline uint16_t DosTime(const std::vector<unsigned char>& cab, const std::string& name) {
    size_t at = Find(cab, name).offset + 12;
    return static_cast<uint16_t>(cab[at] | cab[at + 1] << 8);
}

inline FILETIME LastWrite(const std::wstring& path) {
    FILETIME ft{};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) ft = data.ftLastWriteTime;
    return ft;
}

inline bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

}  // namespace CabTest
