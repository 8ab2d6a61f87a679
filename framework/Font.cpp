#include "Font.h"

bool CFont::CreateFontIndirect(const LOGFONTW* logFont) {
    DeleteObject();
    m_hFont = ::CreateFontIndirectW(logFont);
    return m_hFont != nullptr;
}

bool CFont::GetLogFont(LOGFONTW* logFont) const {
    return m_hFont != nullptr && ::GetObjectW(m_hFont, sizeof(LOGFONTW), logFont) == sizeof(LOGFONTW);
}

void CFont::DeleteObject() {
    if (m_hFont != nullptr) ::DeleteObject(m_hFont);
    m_hFont = nullptr;
}
