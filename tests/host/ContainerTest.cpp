#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Blowfish.h"
#include "Container.h"
#include "PayloadKey.h"

namespace {

std::vector<unsigned char> FakeCabinet(size_t size) {
    std::vector<unsigned char> cab(size);
    for (size_t i = 0; i < size; ++i) cab[i] = static_cast<unsigned char>(i * 13 + 1);
    std::memcpy(cab.data(), "MSCF", 4);
    return cab;
}

const unsigned char* Key() { return Cabinet::kPayloadKey; }

TEST(Container, SealFillsToBlocksAndKeepsThePlainRegion) {
    for (size_t size : {56u, 57u, 63u, 64u, 1001u}) {
        auto cab = FakeCabinet(size), sealed = cab;
        ASSERT_EQ("", Cabinet::SealContainer(sealed, Key(), 10));
        ASSERT_EQ((size + 7) / 8 * 8, sealed.size());
        EXPECT_EQ(0, std::memcmp(sealed.data(), "CRYP", 4));
        EXPECT_EQ(0, std::memcmp(sealed.data() + 4, cab.data() + 4, 52));
        if (size > 64) {
            EXPECT_NE(0, std::memcmp(sealed.data() + 56, cab.data() + 56, 8));
        }

        // Each block from 56 on is enciphered on its own (ECB, little-endian halves).
        CBlowfish bf;
        bf.SetKey(Key(), 10);
        auto deciphered = sealed;
        bf.Decrypt(deciphered.data() + 56, static_cast<uint32_t>((sealed.size() - 56) / 8));
        EXPECT_EQ(0, std::memcmp(deciphered.data() + 56, cab.data() + 56, size - 56));
        for (size_t i = size; i < deciphered.size(); ++i) EXPECT_EQ(0, deciphered[i]) << "fill";

        auto opened = sealed;
        ASSERT_EQ("", Cabinet::OpenContainer(opened, Key(), 10));
        cab.resize(sealed.size(), 0);
        EXPECT_EQ(cab, opened);
    }
}

TEST(Container, RefusesWrongInput) {
    auto plain = FakeCabinet(100);
    auto notCab = plain;
    notCab[0] = 'X';
    EXPECT_NE("", Cabinet::SealContainer(notCab, Key(), 10));
    EXPECT_EQ('X', notCab[0]);  // refused input is left as it was
    auto tiny = FakeCabinet(8);
    EXPECT_NE("", Cabinet::SealContainer(tiny, Key(), 10));
    EXPECT_EQ(8u, tiny.size());
    EXPECT_NE("", Cabinet::OpenContainer(plain, Key(), 10));  // "MSCF" is not a container
    auto sealed = FakeCabinet(100);
    EXPECT_NE("", Cabinet::SealContainer(sealed, Key(), 0));
    std::vector<unsigned char> longKey(73, 1);
    EXPECT_NE("", Cabinet::SealContainer(sealed, longKey.data(), 73));
    ASSERT_EQ("", Cabinet::SealContainer(sealed, Key(), 10));
    sealed.push_back(0);  // no longer whole blocks
    EXPECT_NE("", Cabinet::OpenContainer(sealed, Key(), 10));
}

}  // namespace
