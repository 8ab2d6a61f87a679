#include "Report.h"

std::wstring SystemErrorLine(unsigned long code) {
    wchar_t text[512] = {};
    std::wstring line = L"Error " + std::to_wstring(code) + L": ";
    if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                        512, nullptr)) {
        return line + L"Microsoft has no explanation for this error code.";
    }
    line += text;
    while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r' || line.back() == L' '))
        line.pop_back();
    return line;
}

void CReport::Step(const wchar_t* step) {
    m_Step = step;
    m_Log.Write(step);
}

bool CReport::Fail(ExitCode code, const std::wstring& text) {
    if (m_Code == kExitSuccess) m_Code = code;
    m_Log.Write(L"Error in step \"" + m_Step + L"\" (exit code " + std::to_wstring(code) + L"):\n" + text);
    return false;
}

bool CBoxReport::Fail(ExitCode code, const std::wstring& text) {
    CReport::Fail(code, text);
    ::MessageBoxW(m_hOwner, text.c_str(), L"Error", MB_OK);
    return false;
}
