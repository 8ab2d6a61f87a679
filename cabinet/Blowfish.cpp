#include "Blowfish.h"

#include <cstring>

namespace {
#include "BlowfishTables.inc"

inline uint32_t LoadLE(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void StoreLE(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

// Blocks deciphered side by side in the hot loop: ECB blocks are independent, so
// their table look-ups overlap in the processor instead of waiting on each other.
constexpr uint32_t kLanes = 4;
}  // namespace

#define BF_F(S, x) \
    ((((S)[0][(x) >> 24] + (S)[1][((x) >> 16) & 0xFF]) ^ (S)[2][((x) >> 8) & 0xFF]) + (S)[3][(x)&0xFF])

int CBlowfish::SetKey(const unsigned char* key, uint32_t length) {
    m_KeySet = 0;
    if (length == 0) return 0;
    std::memcpy(m_P, kInitialP, sizeof(m_P));
    std::memcpy(m_S, kInitialS, sizeof(m_S));
    uint32_t j = 0;
    for (int i = 0; i < 18; ++i) {
        uint32_t word = 0;
        for (int k = 0; k < 4; ++k) {
            word = (word << 8) | key[j % length];
            ++j;
        }
        m_P[i] ^= word;
    }
    uint32_t block[2] = {0, 0};
    for (int i = 0; i < 18; i += 2) {
        EncryptBlock(block);
        m_P[i] = block[0];
        m_P[i + 1] = block[1];
    }
    for (int s = 0; s < 4; ++s) {
        for (int i = 0; i < 256; i += 2) {
            EncryptBlock(block);
            m_S[s][i] = block[0];
            m_S[s][i + 1] = block[1];
        }
    }
    m_KeySet = 1;
    return 1;
}

void CBlowfish::EncryptBlock(uint32_t block[2]) const {
    uint32_t l = block[0], r = block[1];
    for (int i = 0; i < 16; i += 2) {
        l ^= m_P[i];
        r ^= BF_F(m_S, l);
        r ^= m_P[i + 1];
        l ^= BF_F(m_S, r);
    }
    l ^= m_P[16];
    r ^= m_P[17];
    block[0] = r;
    block[1] = l;
}

void CBlowfish::DecryptBlock(uint32_t block[2]) const {
    uint32_t l = block[0], r = block[1];
    for (int i = 17; i > 1; i -= 2) {
        l ^= m_P[i];
        r ^= BF_F(m_S, l);
        r ^= m_P[i - 1];
        l ^= BF_F(m_S, r);
    }
    l ^= m_P[1];
    r ^= m_P[0];
    block[0] = r;
    block[1] = l;
}

int CBlowfish::Decrypt(unsigned char* data, uint32_t blockCount) const {
    if (!m_KeySet) return 0;
    uint32_t n = 0;
    for (; n + kLanes <= blockCount; n += kLanes) {
        unsigned char* p = data + size_t(n) * 8;
        uint32_t l[kLanes], r[kLanes];
        for (uint32_t k = 0; k < kLanes; ++k) {
            l[k] = LoadLE(p + 8 * k);
            r[k] = LoadLE(p + 8 * k + 4);
        }
        for (int i = 17; i > 1; i -= 2) {
            for (uint32_t k = 0; k < kLanes; ++k) {
                l[k] ^= m_P[i];
                r[k] ^= BF_F(m_S, l[k]) ^ m_P[i - 1];
            }
            for (uint32_t k = 0; k < kLanes; ++k) l[k] ^= BF_F(m_S, r[k]);
        }
        for (uint32_t k = 0; k < kLanes; ++k) {
            StoreLE(p + 8 * k, r[k] ^ m_P[0]);
            StoreLE(p + 8 * k + 4, l[k] ^ m_P[1]);
        }
    }
    for (; n < blockCount; ++n) {
        unsigned char* p = data + size_t(n) * 8;
        uint32_t block[2] = {LoadLE(p), LoadLE(p + 4)};
        DecryptBlock(block);
        StoreLE(p, block[0]);
        StoreLE(p + 4, block[1]);
    }
    return 1;
}

int CBlowfish::Encrypt(unsigned char* data, uint32_t blockCount) const {
    if (!m_KeySet) return 0;
    for (uint32_t n = 0; n < blockCount; ++n) {
        unsigned char* p = data + size_t(n) * 8;
        uint32_t block[2] = {LoadLE(p), LoadLE(p + 4)};
        EncryptBlock(block);
        StoreLE(p, block[0]);
        StoreLE(p + 4, block[1]);
    }
    return 1;
}
