#pragma once
// Blowfish in ECB over 8-byte blocks whose two halves are little-endian words.
// Portable: no Windows header, so the host tools and tests use it too.
#include <cstdint>

class CBlowfish {
public:
    // 1 when the key is set, 0 for an empty key (which also drops a key set before).
    int SetKey(const unsigned char* key, uint32_t length);
    bool HasKey() const { return m_KeySet != 0; }

    void EncryptBlock(uint32_t block[2]) const;
    void DecryptBlock(uint32_t block[2]) const;

    // Deciphers blockCount consecutive 8-byte blocks in place; 0 (data untouched)
    // when no key is set, else 1.
    int Decrypt(unsigned char* data, uint32_t blockCount) const;
    // Enciphers in place, the inverse of Decrypt; for whatever seals a payload.
    int Encrypt(unsigned char* data, uint32_t blockCount) const;

private:
    int32_t m_KeySet = 0;
    uint32_t m_P[18];
    uint32_t m_S[4][256];
};
