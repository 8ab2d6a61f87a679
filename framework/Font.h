#pragma once
// CFont: owns one font handle, deleted with the object.
#include <windows.h>

class CFont {
public:
    CFont() = default;
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    // Replaces any font held before; false if the system refused.
    bool CreateFontIndirect(const LOGFONTW* logFont);
    bool GetLogFont(LOGFONTW* logFont) const;
    void DeleteObject();

    HFONT GetSafeHandle() const { return m_hFont; }
    operator HFONT() const { return m_hFont; }

private:
    HFONT m_hFont = nullptr;
};
