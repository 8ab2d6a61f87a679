#pragma once
// The log a run writes when it is asked to (/log=PATH): UTF-8 text, one entry a
// line after the local time; a text of several lines keeps them as they are.
// A log that was never opened takes every entry and writes nothing.
#include <windows.h>

#include <string>

#include "Language.h"

class CLog {
public:
    CLog() = default;
    ~CLog();
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    // Creates the file, or empties an existing one; false, with GetLastError, when it cannot.
    bool Open(const std::wstring& path);
    void Write(const std::wstring& text);
    void Write(const wchar_t* text) { Write(std::wstring(text)); }
    // Words as the user read them and, where that was not English, in English too.
    void Write(const Words& words);

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
};
