#include "Report.h"

#include "Language.h"

std::wstring SystemErrorLine(unsigned long code) {
    wchar_t text[512] = {};
    // The system's words come in the user's language already.
    std::wstring reason = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                         code, 0, text, 512, nullptr)
                              ? text
                              : Text(IDS_NO_EXPLANATION);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' '))
        reason.pop_back();
    return Text(IDS_ERROR_LINE, {std::to_wstring(code), reason});
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
    ::MessageBoxW(m_hOwner, text.c_str(), Text(IDS_ERROR_CAPTION).c_str(), MB_OK);
    return false;
}
