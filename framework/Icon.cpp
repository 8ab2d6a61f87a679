#include "Icon.h"

CIcon& CIcon::operator=(CIcon&& other) {
    if (this != &other) {
        DestroyIcon();
        m_hIcon = other.m_hIcon;
        other.m_hIcon = nullptr;
    }
    return *this;
}

bool CIcon::Load(HINSTANCE module, UINT id, int size) {
    DestroyIcon();
    // Not shared (no LR_SHARED): this object is its only owner.
    m_hIcon = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
    return m_hIcon != nullptr;
}

void CIcon::DestroyIcon() {
    if (m_hIcon != nullptr) ::DestroyIcon(m_hIcon);
    m_hIcon = nullptr;
}
