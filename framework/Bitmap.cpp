#include "Bitmap.h"

CBitmap& CBitmap::operator=(CBitmap&& other) {
    if (this != &other) {
        DeleteObject();
        m_hBitmap = other.m_hBitmap;
        other.m_hBitmap = nullptr;
    }
    return *this;
}

bool CBitmap::Load(HINSTANCE module, UINT id) {
    DeleteObject();
    m_hBitmap = ::LoadBitmapW(module, MAKEINTRESOURCEW(id));
    return m_hBitmap != nullptr;
}

SIZE CBitmap::GetSize() const {
    BITMAP info = {};
    if (m_hBitmap == nullptr || ::GetObjectW(m_hBitmap, sizeof(info), &info) == 0) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

void CBitmap::DeleteObject() {
    if (m_hBitmap != nullptr) ::DeleteObject(m_hBitmap);
    m_hBitmap = nullptr;
}
