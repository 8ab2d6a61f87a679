#pragma once
#include <windows.h>

// Owns one system handle, so it is closed on every path out of a function.
class cHandle {
public:
    cHandle() = default;
    explicit cHandle(HANDLE h) : m_hHandle(h) {}
    cHandle(const cHandle&) = delete;
    cHandle& operator=(const cHandle&) = delete;
    virtual ~cHandle() {
        if (m_hHandle != nullptr) {
            CloseHandle(m_hHandle);
            m_hHandle = nullptr;
        }
    }

    HANDLE Get() const { return m_hHandle; }
    // For APIs that hand back a new handle through an out parameter.
    PHANDLE Receive() { return &m_hHandle; }

private:
    HANDLE m_hHandle = nullptr;
};
