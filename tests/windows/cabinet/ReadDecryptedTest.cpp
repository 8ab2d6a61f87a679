// The decrypting read over real files: whole blocks, the plain region, the magic.
#include <fcntl.h>

#include <cstdio>

#include "Container.h"
#include "Extract.h"
#include "PayloadKey.h"
#include "TestSupport.h"

using namespace Cabinet;
using namespace CabTest;

namespace {

struct Sealed {
    std::vector<unsigned char> plain;   // the cabinet followed by the fill bytes
    std::vector<unsigned char> stored;  // the container
    std::wstring path;
    Sealed() {
        plain = ReadBytes(Cab(L"tree.cab"));
        stored = plain;
        EXPECT_EQ(SealContainer(stored, kPayloadKey, kPayloadKeyLength), "");
        plain.resize(stored.size(), 0);
        path = FreshDir(L"readdec") + L"sealed.bin";
        EXPECT_TRUE(WriteBytes(path, stored));
    }
};

std::vector<unsigned char> ReadAt(CExtract& e, INT_PTR h, long pos, int count, int* result) {
    std::vector<unsigned char> out(static_cast<size_t>(count) + 16, 0xCC);
    e.SeekFile(h, pos, SEEK_SET);
    *result = e.ReadDecrypted(h, out.data(), count);
    EXPECT_EQ(out[static_cast<size_t>(count)], 0xCC);  // nothing past the request
    out.resize(static_cast<size_t>(count));
    return out;
}

std::vector<unsigned char> Slice(const std::vector<unsigned char>& v, size_t at, size_t n) {
    return std::vector<unsigned char>(v.begin() + static_cast<long>(at),
                                      v.begin() + static_cast<long>(at + n));
}

}  // namespace

TEST(ReadDecrypted, BlocksPlainRegionAndMagic) {
    Sealed s;
    CExtract e;
    e.m_Cipher.SetKey(kPayloadKey, kPayloadKeyLength);
    INT_PTR h = e.OpenFile(s.path.c_str(), _O_BINARY | _O_RDONLY, 0x100);
    ASSERT_GT(h, 0);
    ASSERT_TRUE(e.m_HandleMap.Contains(h));
    int r;
    EXPECT_EQ(ReadAt(e, h, 0, 36, &r), Slice(s.plain, 0, 36));
    EXPECT_EQ(r, 36);
    EXPECT_EQ(e.m_HandleMap.Lookup(h), 36);
    EXPECT_EQ(ReadAt(e, h, 50, 20, &r), Slice(s.plain, 50, 20));
    EXPECT_EQ(ReadAt(e, h, 12241, 1000, &r), Slice(s.plain, 12241, 1000));
    EXPECT_EQ(e.m_HandleMap.Lookup(h), 12241 + 1000);
    // The next read continues where the last one stopped.
    std::vector<unsigned char> next(77);
    EXPECT_EQ(e.ReadDecrypted(h, next.data(), 77), 77);
    EXPECT_EQ(next, Slice(s.plain, 13241, 77));
    // Two bytes at 0 are not examined.
    std::vector<unsigned char> two = ReadAt(e, h, 0, 2, &r);
    EXPECT_EQ(r, 2);
    EXPECT_EQ(two, (std::vector<unsigned char>{'C', 'R'}));
    // Exactly to the end succeeds; one byte further fails.
    const long size = static_cast<long>(s.stored.size());
    EXPECT_EQ(ReadAt(e, h, size - 13, 13, &r), Slice(s.plain, s.plain.size() - 13, 13));
    EXPECT_EQ(r, 13);
    ReadAt(e, h, size - 13, 14, &r);
    EXPECT_EQ(r, -1);
    EXPECT_FALSE(e.HasError());
    EXPECT_EQ(e.CloseFile(h), 0);
}

TEST(ReadDecrypted, LargeRequestsArePiecewiseAndEqual) {
    Sealed s;
    ASSERT_GT(s.plain.size(), 200100u);
    CExtract e;
    e.m_Cipher.SetKey(kPayloadKey, kPayloadKeyLength);
    INT_PTR h = e.OpenFile(s.path.c_str(), _O_BINARY | _O_RDONLY, 0x100);
    int r;
    for (long at : {0L, 3L, 56L, 61L}) {
        std::vector<unsigned char> big = ReadAt(e, h, at, 200000, &r);
        EXPECT_EQ(r, 200000) << at;
        EXPECT_EQ(e.m_HandleMap.Lookup(h), at + 200000);
        std::vector<unsigned char> want = Slice(s.plain, static_cast<size_t>(at), 200000);
        // The magic is shown as "MSCF" only to reads that begin at offset 0.
        for (long i = at; i < 4; ++i) want[static_cast<size_t>(i - at)] = s.stored[static_cast<size_t>(i)];
        if (at == 0) memcpy(want.data(), "MSCF", 4);
        EXPECT_TRUE(big == want) << at;
    }
    e.CloseFile(h);
}

TEST(ReadDecrypted, KeyStateDecidesTheMagic) {
    Sealed s;
    {
        CExtract e;  // no key: a plain cabinet passes through
        INT_PTR h = e.OpenFile(Cab(L"tree.cab").c_str(), _O_BINARY | _O_RDONLY, 0x100);
        int r;
        EXPECT_EQ(ReadAt(e, h, 0, 36, &r), Slice(s.plain, 0, 36));
        e.CloseFile(h);
        h = e.OpenFile(s.path.c_str(), _O_BINARY | _O_RDONLY, 0x100);
        ReadAt(e, h, 0, 8, &r);
        EXPECT_EQ(r, -1);
        EXPECT_EQ(e.m_Error.OwnCode, kErrorSealedNoKey);
        e.CloseFile(h);
    }
    {
        CExtract e;
        e.m_Cipher.SetKey(kPayloadKey, kPayloadKeyLength);
        INT_PTR h = e.OpenFile(Cab(L"tree.cab").c_str(), _O_BINARY | _O_RDONLY, 0x100);
        int r;
        ReadAt(e, h, 0, 8, &r);
        EXPECT_EQ(r, -1);
        EXPECT_EQ(e.m_Error.OwnCode, kErrorPlainWithKey);
        EXPECT_EQ(e.m_HandleMap.Lookup(h), 8);
        e.CloseFile(h);
        // After an empty key the engine reads plainly again.
        e.m_Cipher.SetKey(kPayloadKey, 0);
        e.m_Error.Clear();
        h = e.OpenFile(Cab(L"tree.cab").c_str(), _O_BINARY | _O_RDONLY, 0x100);
        ReadAt(e, h, 0, 8, &r);
        EXPECT_EQ(r, 8);
        EXPECT_FALSE(e.HasError());
        e.CloseFile(h);
    }
}
