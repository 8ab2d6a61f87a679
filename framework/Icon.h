#pragma once
// CIcon: owns one icon made from a resource at a size of the caller's choice,
// destroyed with the object or when another icon is moved in.
#include <windows.h>

class CIcon {
public:
    CIcon() = default;
    ~CIcon() { DestroyIcon(); }
    CIcon(const CIcon&) = delete;
    CIcon& operator=(const CIcon&) = delete;
    CIcon& operator=(CIcon&& other);

    // Replaces any icon held before with the group's image nearest to size x
    // size pixels, scaled to it; false if the module has no such icon.
    bool Load(HINSTANCE module, UINT id, int size);
    void DestroyIcon();

    HICON GetSafeHandle() const { return m_hIcon; }
    operator HICON() const { return m_hIcon; }

private:
    HICON m_hIcon = nullptr;
};
