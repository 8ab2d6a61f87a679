#include "StrBuf.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>

namespace Cabinet {

// Zeroing through a volatile pointer so the compiler cannot drop it before free.
template <typename T>
static void SecureZero(T* data, size_t count) {
    volatile T* p = data;
    for (size_t i = 0; i < count; ++i) p[i] = 0;
}

// Both texts grow the same way: the capacity doubles from its start value until
// the length fits, the characters move one by one and each old one is zeroed as
// it goes, and the old block is wiped whole before it is freed.
template <typename T>
static bool GrowZeroing(T*& data, size_t& capacity, size_t used, size_t length, size_t initial) {
    if (data && length <= capacity) return true;
    size_t grown = capacity ? capacity : initial;
    while (grown < length) {
        if (grown > (static_cast<size_t>(-1) / sizeof(T)) / 4) return false;
        grown *= 2;
    }
    T* block = new (std::nothrow) T[grown + 1];
    if (!block) return false;
    for (size_t i = 0; i < used; ++i) {
        block[i] = data[i];
        data[i] = 0;
    }
    block[used] = 0;
    if (data) {
        SecureZero(data, capacity + 1);
        delete[] data;
    }
    data = block;
    capacity = grown;
    return true;
}

CStrBufW::CStrBufW() { Grow(0); }

CStrBufW::CStrBufW(const wchar_t* text) {
    Grow(0);
    Assign(text);
}

CStrBufW::CStrBufW(const CStrBufW& other) {
    Grow(other.m_Length);
    Assign(other.Get(), other.m_Length);
}

CStrBufW& CStrBufW::operator=(const CStrBufW& other) {
    if (this != &other) Assign(other.Get(), other.m_Length);
    return *this;
}

CStrBufW::~CStrBufW() { Release(); }

void CStrBufW::Release() {
    if (m_Data) {
        SecureZero(m_Data, m_Capacity + 1);
        delete[] m_Data;
    }
    m_Data = nullptr;
    m_Capacity = m_Length = 0;
}

bool CStrBufW::Grow(size_t length) {
    return GrowZeroing(m_Data, m_Capacity, m_Length, length, kInitialCapacity);
}

bool CStrBufW::Reserve(size_t length) { return Grow(length); }

void CStrBufW::SetLength(size_t length) {
    if (!m_Data) return;
    if (length > m_Capacity) length = m_Capacity;
    m_Length = length;
    m_Data[length] = 0;
}

bool CStrBufW::Assign(const wchar_t* text) { return Assign(text, text ? wcslen(text) : 0); }

bool CStrBufW::Assign(const wchar_t* text, size_t length) {
    if (text == m_Data && m_Data) {  // self-assignment of a prefix
        SetLength(length);
        return true;
    }
    if (!Grow(length)) return false;
    if (length) memcpy(m_Data, text, length * sizeof(wchar_t));
    SetLength(length);
    return true;
}

bool CStrBufW::Append(const wchar_t* text) {
    size_t add = text ? wcslen(text) : 0;
    if (!Grow(m_Length + add)) return false;
    if (add) memcpy(m_Data + m_Length, text, add * sizeof(wchar_t));
    SetLength(m_Length + add);
    return true;
}

bool CStrBufW::Append(wchar_t ch) {
    wchar_t text[2] = {ch, 0};
    return Append(text);
}

bool CStrBufW::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    va_list count;
    va_copy(count, args);
    int needed = _vscwprintf(format, count);
    va_end(count);
    bool ok = needed >= 0 && Grow(static_cast<size_t>(needed));
    if (ok) {
        _vsnwprintf(m_Data, m_Capacity + 1, format, args);
        SetLength(static_cast<size_t>(needed));
    }
    va_end(args);
    return ok;
}

void CStrBufW::Empty() { SetLength(0); }

void CStrBufW::Wipe() {
    if (m_Data) SecureZero(m_Data, m_Capacity + 1);
    m_Length = 0;
}

bool CStrBufW::Equals(const wchar_t* text) const { return wcscmp(Get(), text ? text : L"") == 0; }

CStrBufA::CStrBufA() { Reserve(0); }

CStrBufA::~CStrBufA() {
    if (m_Data) {
        SecureZero(m_Data, m_Capacity + 1);
        delete[] m_Data;
    }
}

bool CStrBufA::Reserve(size_t length) {
    return GrowZeroing(m_Data, m_Capacity, m_Length, length, kInitialCapacity);
}

void CStrBufA::SetLength(size_t length) {
    if (!m_Data) return;
    if (length > m_Capacity) length = m_Capacity;
    m_Length = length;
    m_Data[length] = 0;
}

void CStrBufA::Wipe() {
    if (m_Data) SecureZero(m_Data, m_Capacity + 1);
    m_Length = 0;
}

}  // namespace Cabinet
