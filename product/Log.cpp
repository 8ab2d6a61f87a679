#include "Log.h"

#include <cstdio>

#include "Utf8.h"

CLog::~CLog() {
    if (m_hFile != INVALID_HANDLE_VALUE) CloseHandle(m_hFile);
}

bool CLog::Open(const std::wstring& path) {
    // Others may read it while the run goes on.
    m_hFile = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE) return false;
    const char bom[] = "\xEF\xBB\xBF";
    DWORD written = 0;
    WriteFile(m_hFile, bom, 3, &written, nullptr);
    return true;
}

void CLog::Write(const Words& words) {
    Write(words.shown);
    if (words.english != words.shown) Write(L"In English:\n" + words.english);
}

void CLog::Write(const std::wstring& text) {
    if (m_hFile == INVALID_HANDLE_VALUE) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[16];
    swprintf(stamp, 16, L"%02u:%02u:%02u  ", now.wHour, now.wMinute, now.wSecond);
    std::wstring line = stamp;
    for (wchar_t c : text) {
        if (c == L'\n') line += L'\r';
        line += c;
    }
    line += L"\r\n";
    const std::string utf8 = Utf8(line);
    if (utf8.empty()) return;
    DWORD written = 0;
    WriteFile(m_hFile, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}
