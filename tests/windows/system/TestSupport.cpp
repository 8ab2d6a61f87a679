#include "TestSupport.h"

#include <shellapi.h>

#include <cstdio>

CScratchFolder::CScratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static unsigned s_Counter = 0;
    wchar_t name[64];
    swprintf(name, 64, L"vsys-%lu-%u\\", GetCurrentProcessId(), ++s_Counter);
    m_Path = std::wstring(temp) + name;
    CreateDirectoryW(m_Path.c_str(), nullptr);
}

CScratchFolder::~CScratchFolder() {
    // Double-zero-terminated list for the shell's recursive delete.
    std::wstring from = m_Path.substr(0, m_Path.size() - 1);
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

void WriteTextFile(const std::wstring& path, const char* text) {
    FILE* out = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(nullptr, out);
    std::fputs(text, out);
    std::fclose(out);
}
