#pragma once
// Byte position of every open cabinet handle: ten entries, searched linearly,
// no allocation. The cabinet library never holds more than a few open at once.
#include <cstdint>
#include <exception>

#include <basetsd.h>

namespace Cabinet {

// Raised by CMap::Set on a full map; the engine's callbacks catch it, so it never
// leaves the cabinet library.
class CMapOverflow : public std::exception {
public:
    const char* what() const noexcept override { return "Overflow in CMap::Set()"; }
};

class CMap {
public:
    static constexpr int kCapacity = 10;

    void Set(INT_PTR key, int32_t value) {
        for (int i = 0; i < m_Count; ++i) {
            if (m_Keys[i] == key) {
                m_Values[i] = value;
                return;
            }
        }
        if (m_Count >= kCapacity) throw CMapOverflow();
        m_Keys[m_Count] = key;
        m_Values[m_Count] = value;
        ++m_Count;
    }

    void Remove(INT_PTR key) {
        for (int i = 0; i < m_Count; ++i) {
            if (m_Keys[i] == key) {
                --m_Count;
                m_Keys[i] = m_Keys[m_Count];
                m_Values[i] = m_Values[m_Count];
                return;
            }
        }
    }

    bool Contains(INT_PTR key) const {
        for (int i = 0; i < m_Count; ++i)
            if (m_Keys[i] == key) return true;
        return false;
    }

    int32_t Lookup(INT_PTR key) const {
        for (int i = 0; i < m_Count; ++i)
            if (m_Keys[i] == key) return m_Values[i];
        return -1;
    }

    void Clear() { m_Count = 0; }
    int Count() const { return m_Count; }
    bool IsFull() const { return m_Count >= kCapacity; }

private:
    int32_t m_Count = 0;
    INT_PTR m_Keys[kCapacity] = {};
    int32_t m_Values[kCapacity] = {};
};

}  // namespace Cabinet
