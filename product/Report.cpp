#include "Report.h"

#include "Language.h"

namespace {

// The system's text for the code in `language` (0: the user's own); empty when it has none.
std::wstring SystemText(unsigned long code, LANGID language) {
    wchar_t text[512] = {};
    if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, language,
                        text, 512, nullptr))
        return {};
    std::wstring reason = text;
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' '))
        reason.pop_back();
    return reason;
}

}  // namespace

Words SystemErrorLine(unsigned long code) {
    // The system's words come in the user's language already; a system without
    // its English texts gives the log the user's.
    Words reason(SystemText(code, 0), SystemText(code, EnglishLanguage()));
    if (reason.shown.empty()) reason = Say(IDS_NO_EXPLANATION);
    if (reason.english.empty()) reason.english = reason.shown;
    return Say(IDS_ERROR_LINE, {std::to_wstring(code), reason});
}

void CReport::Step(const wchar_t* step) {
    m_Step = step;
    m_Log.Write(step);
}

bool CReport::Fail(ExitCode code, const Words& text) {
    if (m_Code == kExitSuccess) m_Code = code;
    m_Log.Write(L"Error in step \"" + m_Step + L"\" (exit code " + std::to_wstring(code) + L"):\n" + text);
    return false;
}

bool CBoxReport::Fail(ExitCode code, const Words& text) {
    CReport::Fail(code, text);
    if (m_Failure.empty()) m_Failure = text.shown;
    return false;
}

void CBoxReport::ShowFailure() {
    if (m_Failure.empty()) return;
    ::MessageBoxW(m_hOwner, m_Failure.c_str(), Text(IDS_ERROR_CAPTION).c_str(), MB_OK);
    m_Failure.clear();
}
