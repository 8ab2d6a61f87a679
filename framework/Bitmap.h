#pragma once
// CBitmap: owns one bitmap handle, deleted with the object or when another
// bitmap is moved in.
#include <windows.h>

class CBitmap {
public:
    CBitmap() = default;
    ~CBitmap() { DeleteObject(); }
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;
    CBitmap& operator=(CBitmap&& other);

    // Replaces any bitmap held before; false if the module has no such bitmap.
    bool Load(HINSTANCE module, UINT id);
    // Width and height in pixels; 0 x 0 when none is held.
    SIZE GetSize() const;
    void DeleteObject();

    HBITMAP GetSafeHandle() const { return m_hBitmap; }
    operator HBITMAP() const { return m_hBitmap; }

private:
    HBITMAP m_hBitmap = nullptr;
};
