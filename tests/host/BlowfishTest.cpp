#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Blowfish.h"

namespace {

std::vector<unsigned char> Hex(const std::string& hex) {
    std::vector<unsigned char> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

uint32_t BigEndian(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// The published reference vectors read each half big-endian; our blocks read it
// little-endian, so the bytes of each half are reversed on the way in and out.
std::vector<unsigned char> SwapHalves(std::vector<unsigned char> b) {
    for (size_t i = 0; i + 4 <= b.size(); i += 4) {
        std::swap(b[i], b[i + 3]);
        std::swap(b[i + 1], b[i + 2]);
    }
    return b;
}

struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// Eric Young's ECB test vectors and one of Bruce Schneier's variable-key ones.
const Vector kVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
};

// Eric Young's variable-key-length vectors: the first n bytes of one key, n = 1..24.
const char kLongKey[] = "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677";
const char* const kLongKeyCiphers[24] = {
    "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05", "B39E44481BDB1E6E",
    "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82", "15750E7A4F4EC577", "122BA70B3AB64AE0",
    "3A833C9AFFC537F6", "9409DA87A90F6BF2", "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F",
    "93142887EE3BE15C", "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
    "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
};

TEST(Blowfish, MatchesPublishedVectorsOnWords) {
    for (const Vector& v : kVectors) {
        auto key = Hex(v.key), plain = Hex(v.plain), cipher = Hex(v.cipher);
        CBlowfish bf;
        ASSERT_EQ(1, bf.SetKey(key.data(), static_cast<uint32_t>(key.size())));
        uint32_t block[2] = {BigEndian(&plain[0]), BigEndian(&plain[4])};
        bf.EncryptBlock(block);
        EXPECT_EQ(BigEndian(&cipher[0]), block[0]) << v.key;
        EXPECT_EQ(BigEndian(&cipher[4]), block[1]) << v.key;
        bf.DecryptBlock(block);
        EXPECT_EQ(BigEndian(&plain[0]), block[0]) << v.key;
        EXPECT_EQ(BigEndian(&plain[4]), block[1]) << v.key;
    }
}

TEST(Blowfish, MatchesPublishedVariableKeyLengthVectors) {
    auto key = Hex(kLongKey), plain = Hex("FEDCBA9876543210");
    for (uint32_t n = 1; n <= 24; ++n) {
        CBlowfish bf;
        bf.SetKey(key.data(), n);
        uint32_t block[2] = {BigEndian(&plain[0]), BigEndian(&plain[4])};
        bf.EncryptBlock(block);
        auto cipher = Hex(kLongKeyCiphers[n - 1]);
        EXPECT_EQ(BigEndian(&cipher[0]), block[0]) << n << " key bytes";
        EXPECT_EQ(BigEndian(&cipher[4]), block[1]) << n << " key bytes";
    }
}

TEST(Blowfish, DecryptUsesLittleEndianHalves) {
    for (const Vector& v : kVectors) {
        auto key = Hex(v.key);
        CBlowfish bf;
        bf.SetKey(key.data(), static_cast<uint32_t>(key.size()));
        auto data = SwapHalves(Hex(v.cipher));
        ASSERT_EQ(1, bf.Decrypt(data.data(), 1));
        EXPECT_EQ(SwapHalves(Hex(v.plain)), data) << v.key;
        ASSERT_EQ(1, bf.Encrypt(data.data(), 1));
        EXPECT_EQ(SwapHalves(Hex(v.cipher)), data) << v.key;
    }
}

// The initial tables: a key-less instance cannot show them, but a one-block
// encryption with the all-zero key differs if any of P0, S0[0] or S3[255] were
// wrong; check them straight from the generated tables as well.
namespace tables {
#include "BlowfishTables.inc"
}
TEST(Blowfish, InitialTablesAreDigitsOfPi) {
    EXPECT_EQ(0x243F6A88u, tables::kInitialP[0]);
    EXPECT_EQ(0x8979FB1Bu, tables::kInitialP[17]);
    EXPECT_EQ(0xD1310BA6u, tables::kInitialS[0][0]);
    EXPECT_EQ(0x3AC372E6u, tables::kInitialS[3][255]);
}

TEST(Blowfish, NoKeyMeansNoDecryption) {
    CBlowfish bf;
    unsigned char data[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    unsigned char copy[16];
    std::memcpy(copy, data, sizeof data);
    EXPECT_FALSE(bf.HasKey());
    EXPECT_EQ(0, bf.Decrypt(data, 2));
    EXPECT_EQ(0, std::memcmp(copy, data, sizeof data));

    const unsigned char key[] = {1, 2, 3};
    EXPECT_EQ(1, bf.SetKey(key, 3));
    EXPECT_EQ(1, bf.Decrypt(data, 0));  // no blocks: nothing to do, still success
    EXPECT_EQ(0, std::memcmp(copy, data, sizeof data));
    EXPECT_EQ(0, bf.SetKey(key, 0));  // an empty key drops the one set before
    EXPECT_FALSE(bf.HasKey());
    EXPECT_EQ(0, bf.Decrypt(data, 2));
    EXPECT_EQ(0, std::memcmp(copy, data, sizeof data));
}

void ExpectSameCipher(const CBlowfish& a, const CBlowfish& b) {
    for (uint32_t i = 0; i < 64; ++i) {
        uint32_t x[2] = {i * 0x9E3779B9u, ~i}, y[2] = {x[0], x[1]};
        a.EncryptBlock(x);
        b.EncryptBlock(y);
        ASSERT_EQ(x[0], y[0]);
        ASSERT_EQ(x[1], y[1]);
    }
}

TEST(Blowfish, KeysAreUsedCyclicallyUpTo72Bytes) {
    // A 1-byte key equals the same byte repeated; a 10-byte key equals itself
    // repeated to 72 bytes; a 100-byte key equals its first 72 bytes.
    std::vector<unsigned char> key100(100);
    for (size_t i = 0; i < key100.size(); ++i) key100[i] = static_cast<unsigned char>(i * 37 + 11);

    CBlowfish a, b;
    unsigned char one = 0xA5;
    std::vector<unsigned char> ones(72, 0xA5);
    a.SetKey(&one, 1);
    b.SetKey(ones.data(), 72);
    ExpectSameCipher(a, b);

    std::vector<unsigned char> ten(key100.begin(), key100.begin() + 10), tenRepeated;
    while (tenRepeated.size() < 72) tenRepeated.push_back(ten[tenRepeated.size() % 10]);
    a.SetKey(ten.data(), 10);
    b.SetKey(tenRepeated.data(), 72);
    ExpectSameCipher(a, b);

    a.SetKey(key100.data(), 100);
    b.SetKey(key100.data(), 72);
    ExpectSameCipher(a, b);

    // ...and 71 bytes is a different key, so the comparison above means something.
    b.SetKey(key100.data(), 71);
    uint32_t x[2] = {1, 2}, y[2] = {1, 2};
    a.EncryptBlock(x);
    b.EncryptBlock(y);
    EXPECT_FALSE(x[0] == y[0] && x[1] == y[1]);
}

TEST(Blowfish, SetKeyAgainDependsOnlyOnTheLastKey) {
    const unsigned char k1[] = {1, 2, 3, 4}, k2[] = {9, 8, 7};
    CBlowfish a, b;
    a.SetKey(k1, 4);
    a.SetKey(k2, 3);
    b.SetKey(k2, 3);
    ExpectSameCipher(a, b);
}

TEST(Blowfish, InterleavedDecryptEqualsBlockByBlock) {
    // Every count around the interleaving width, so each tail length is covered.
    std::mt19937 rng(7);
    const unsigned char key[10] = {3, 1, 4, 1, 5, 9, 2, 6, 5, 3};
    CBlowfish bf;
    bf.SetKey(key, 10);
    for (uint32_t count = 0; count <= 21; ++count) {
        std::vector<unsigned char> data(count * 8);
        for (auto& c : data) c = static_cast<unsigned char>(rng());
        auto expected = data;
        for (uint32_t n = 0; n < count; ++n) {
            unsigned char* p = &expected[n * 8];
            uint32_t block[2];
            block[0] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
            block[1] = uint32_t(p[4]) | uint32_t(p[5]) << 8 | uint32_t(p[6]) << 16 | uint32_t(p[7]) << 24;
            bf.DecryptBlock(block);
            for (int i = 0; i < 4; ++i) {
                p[i] = static_cast<unsigned char>(block[0] >> (8 * i));
                p[4 + i] = static_cast<unsigned char>(block[1] >> (8 * i));
            }
        }
        ASSERT_EQ(1, bf.Decrypt(data.data(), count));
        EXPECT_EQ(expected, data) << count << " blocks";
    }
}

}  // namespace
