#pragma once
#include <windows.h>
#include <oleauto.h>

// Owning holders for COM interfaces, BSTRs and VARIANTs: each releases what it
// holds when it goes out of scope, so locals declared in acquisition order are
// released in reverse order on every path (exceptions included).
template <class T>
class CComPtr {
public:
    CComPtr() = default;
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;
    ~CComPtr() { Reset(); }

    void Reset() {
        if (m_p != nullptr) {
            m_p->Release();
            m_p = nullptr;
        }
    }
    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // Out parameter for APIs that return a new reference; drops any old one first.
    T** Receive() {
        Reset();
        return &m_p;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    // Hands the reference to the caller.
    T* Detach() {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }

private:
    T* m_p = nullptr;
};

class CBstr {
public:
    CBstr() = default;
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    ~CBstr() { SysFreeString(m_bstr); }
    BSTR Get() const { return m_bstr; }
    void Attach(BSTR b) {
        SysFreeString(m_bstr);
        m_bstr = b;
    }

private:
    BSTR m_bstr = nullptr;
};

class CVariant {
public:
    CVariant() { VariantInit(&m_var); }
    CVariant(const CVariant&) = delete;
    CVariant& operator=(const CVariant&) = delete;
    ~CVariant() { VariantClear(&m_var); }
    VARIANT* Get() { return &m_var; }
    VARIANT& Ref() { return m_var; }

private:
    VARIANT m_var;
};
