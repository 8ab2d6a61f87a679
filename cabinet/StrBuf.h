#pragma once
// Growable texts that own their memory and wipe it before release: the engine
// holds paths in them, and paths of an installation are nobody else's business.
#include <cstddef>

namespace Cabinet {

// UTF-16 text; capacity in characters (never below 300) plus a terminating zero.
// Allocation failure leaves the text unchanged and is reported by the result.
class CStrBufW {
public:
    static constexpr size_t kInitialCapacity = 300;

    CStrBufW();
    CStrBufW(const wchar_t* text);
    CStrBufW(const CStrBufW& other);
    CStrBufW& operator=(const CStrBufW& other);
    ~CStrBufW();

    bool Assign(const wchar_t* text);
    bool Assign(const wchar_t* text, size_t length);
    bool Append(const wchar_t* text);
    bool Append(wchar_t ch);
    // printf-style with a wide format; the length is counted first.
    bool Format(const wchar_t* format, ...);
    // Makes room for at least `length` characters plus the terminator.
    bool Reserve(size_t length);
    void SetLength(size_t length);  // after writing into Buffer(); length < capacity
    void Empty();
    void Wipe();  // zeroes the whole capacity and empties the text

    bool Equals(const wchar_t* text) const;
    bool IsEmpty() const { return m_Length == 0; }
    size_t Length() const { return m_Length; }
    size_t Capacity() const { return m_Capacity; }
    const wchar_t* Get() const { return m_Data ? m_Data : L""; }
    wchar_t* Buffer() { return m_Data; }
    operator const wchar_t*() const { return Get(); }
    wchar_t operator[](size_t i) const { return m_Data[i]; }

private:
    bool Grow(size_t length);
    void Release();

    wchar_t* m_Data = nullptr;
    size_t m_Capacity = 0;
    size_t m_Length = 0;
};

// UTF-8 text for the cabinet library: a byte capacity plus one terminator byte.
class CStrBufA {
public:
    static constexpr size_t kInitialCapacity = 300;

    CStrBufA();
    CStrBufA(const CStrBufA&) = delete;
    CStrBufA& operator=(const CStrBufA&) = delete;
    ~CStrBufA();

    bool Reserve(size_t length);
    void SetLength(size_t length);
    void Wipe();

    size_t Length() const { return m_Length; }
    size_t Capacity() const { return m_Capacity; }
    const char* Get() const { return m_Data ? m_Data : ""; }
    char* Buffer() { return m_Data; }

private:
    char* m_Data = nullptr;
    size_t m_Capacity = 0;
    size_t m_Length = 0;
};

}  // namespace Cabinet
