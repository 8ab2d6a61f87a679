// Memory streams over this program's own RCDATA resources, and over a sealed
// container held in memory.
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>

#include "Container.h"
#include "ExtractResource.h"
#include "PayloadKey.h"
#include "TestSupport.h"

using namespace Cabinet;
using namespace CabTest;

namespace {
constexpr int kTreeResource = 300;
constexpr int kEmptyResource = 301;
}  // namespace

TEST(Resource, ExtractsOwnResourceInPlace) {
    CExtractResource e;
    ASSERT_EQ(e.CreateFdi(), 1);
    std::wstring target = FreshDir(L"resource");
    ASSERT_TRUE(e.ExtractResource(L"", kTreeResource, 10, target.c_str(), nullptr)) << e.m_Error.Erf.erfOper;
    EXPECT_STREQ(e.m_ResourceName, L"#300");
    EXPECT_STREQ(e.m_ResourceType, L"#10");
    EXPECT_EQ(ReadBytes(target + L"sub\\deep\\big.bin"), ReadBytes(CabDir() + L"tree\\sub\\deep\\big.bin"));
    EXPECT_EQ(ReadBytes(target + L"Docs\\Guide.txt"), ReadBytes(CabDir() + L"tree\\Docs\\Guide.txt"));
    // Used where it lies: the block is the module's resource memory.
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(kTreeResource), MAKEINTRESOURCEW(10));
    EXPECT_EQ(e.m_ResourceData, LockResource(LoadResource(nullptr, found)));
    EXPECT_EQ(e.m_HandleMap.Count(), 0);
}

TEST(Resource, MissingOrEmptyFailsWith1004) {
    for (int id : {kEmptyResource, 999}) {
        CExtractResource e;
        ASSERT_EQ(e.CreateFdi(), 1);
        EXPECT_FALSE(e.ExtractResource(L"", id, 10, FreshDir(L"noresource").c_str(), nullptr));
        EXPECT_EQ(e.m_Error.OwnCode, kErrorResource);
    }
    CExtractResource e;
    EXPECT_EQ(e.LoadResourceData(L"no-such-module.dll", L"#300", L"#10"), 0);
    EXPECT_EQ(e.m_Error.OwnCode, kErrorResource);
}

TEST(Resource, StreamsAreIndependentAndBounded) {
    CExtractResource e;
    ASSERT_EQ(e.LoadResourceData(L"", L"#300", L"#10"), 1);
    std::vector<unsigned char> cab = ReadBytes(CabDir() + L"tree.cab");
    ASSERT_EQ(static_cast<size_t>(e.m_ResourceSize), cab.size());
    INT_PTR a = e.OpenFile(L"*CABINET\\*RESOURCE", _O_BINARY | _O_RDONLY, 0x100);
    INT_PTR b = e.OpenFile(L"anything at all", _O_BINARY | _O_RDONLY, 0x100);
    ASSERT_NE(a, -1);
    ASSERT_NE(b, -1);
    ASSERT_NE(a, b);
    unsigned char buf[64];
    EXPECT_EQ(e.Read(a, buf, 10), 10);
    EXPECT_EQ(memcmp(buf, cab.data(), 10), 0);
    EXPECT_EQ(e.Read(b, buf, 4), 4);
    EXPECT_EQ(memcmp(buf, cab.data(), 4), 0);  // b did not move with a
    EXPECT_EQ(e.Read(a, buf, 4), 4);
    EXPECT_EQ(memcmp(buf, cab.data() + 10, 4), 0);

    const long size = e.m_ResourceSize;
    EXPECT_EQ(e.Seek(a, size - 1, SEEK_SET), size - 1);
    for (auto [offset, origin] : {std::pair<long, int>{size, SEEK_SET},
                                  {-1, SEEK_SET},
                                  {0, SEEK_END},
                                  {1, SEEK_CUR},
                                  {-size, SEEK_CUR}}) {
        errno = 0;
        EXPECT_EQ(e.Seek(a, offset, origin), -1) << offset << " " << origin;
        EXPECT_EQ(errno, EBADF);
        EXPECT_EQ(e.Seek(a, 0, SEEK_CUR), size - 1);  // unchanged
    }
    EXPECT_EQ(e.Seek(a, -100, SEEK_CUR), size - 101);
    EXPECT_EQ(e.Read(a, buf, 64), 64);
    EXPECT_EQ(memcmp(buf, cab.data() + size - 101, 64), 0);
    EXPECT_EQ(e.Read(a, buf, 64), 37);  // the rest
    EXPECT_EQ(e.Read(a, buf, 64), 0);

    // A handle the map does not hold is a file, even on this engine.
    std::wstring path = FreshDir(L"streams") + L"out.bin";
    INT_PTR f = e.OpenFile(path.c_str(), _O_BINARY | _O_CREAT | _O_TRUNC | _O_WRONLY, 0x180);
    ASSERT_GT(f, 0);
    EXPECT_FALSE(e.m_HandleMap.Contains(f));
    EXPECT_EQ(e.m_hOutFile, f);
    EXPECT_EQ(e.Write(f, "abc", 3), 3);
    EXPECT_EQ(e.Seek(f, 0, SEEK_END), 3);
    EXPECT_EQ(e.CloseFile(f), 0);
    EXPECT_EQ(e.m_hOutFile, 0);
    EXPECT_EQ(ReadBytes(path), (std::vector<unsigned char>{'a', 'b', 'c'}));
    // An output file whose close fails is an error that names it.
    f = e.OpenFile(path.c_str(), _O_BINARY | _O_CREAT | _O_TRUNC | _O_WRONLY, 0x180);
    ASSERT_GT(f, 0);
    _close(static_cast<int>(f));
    EXPECT_EQ(e.CloseFile(f), -1);
    EXPECT_EQ(e.m_Error.OwnCode, kErrorTargetFile);
    EXPECT_EQ(e.m_Error.OwnType, ERROR_INVALID_HANDLE);
    EXPECT_STREQ(e.m_Error.File, path.c_str());
    EXPECT_TRUE(e.m_Abort);  // so Extract deletes it

    EXPECT_EQ(e.CloseFile(a), 0);
    EXPECT_EQ(e.CloseFile(b), 0);
    EXPECT_EQ(e.m_HandleMap.Count(), 0);
}

TEST(Memory, SealedContainerInMemoryExtracts) {
    std::vector<unsigned char> sealed = ReadBytes(CabDir() + L"tree.cab");
    ASSERT_EQ(SealContainer(sealed, kPayloadKey, kPayloadKeyLength), "");
    CExtractMemory e;
    e.m_Cipher.SetKey(kPayloadKey, kPayloadKeyLength);
    e.m_ResourceData = sealed.data();
    e.m_ResourceSize = static_cast<int32_t>(sealed.size());
    ASSERT_EQ(e.CreateFdi(), 1);
    std::wstring target = FreshDir(L"memsealed");
    ASSERT_TRUE(e.Extract(kResourceCabinetPath, target.c_str(), nullptr)) << e.m_Error.Erf.erfOper;
    EXPECT_EQ(ReadBytes(target + L"sub\\deep\\big.bin"), ReadBytes(CabDir() + L"tree\\sub\\deep\\big.bin"));
    EXPECT_EQ(ReadBytes(target + L"top.txt"), ReadBytes(CabDir() + L"tree\\top.txt"));
}

namespace {
// Streams placed at the top of the address space, where a handle reads as
// negative at 32 bits (this program is large-address-aware); each is counted.
struct HighStreams : CExtractMemory {
    static constexpr int kSlots = 16;
    MemoryStream* slots = static_cast<MemoryStream*>(VirtualAlloc(
        nullptr, kSlots * sizeof(MemoryStream), MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN, PAGE_READWRITE));
    bool used[kSlots] = {};
    int live = 0;
    INT_PTR last = 0;
    ~HighStreams() { VirtualFree(slots, 0, MEM_RELEASE); }
    INT_PTR OpenMemory(const wchar_t*, int, int) override {
        int i = 0;
        while (i < kSlots && used[i]) ++i;
        if (!slots || i == kSlots) return -1;
        used[i] = true;
        ++live;
        slots[i] = MemoryStream{m_ResourceData, m_ResourcePos, m_ResourceSize};
        return last = reinterpret_cast<INT_PTR>(&slots[i]);
    }
    int CloseMemory(INT_PTR handle) override {
        used[reinterpret_cast<MemoryStream*>(handle) - slots] = false;
        --live;
        return 0;
    }
};
}  // namespace

TEST(Memory, StreamsAtAnyAddressAreReleasedAlsoWhenTheMapIsFull) {
    std::vector<unsigned char> cab = ReadBytes(CabDir() + L"tree.cab");
    HighStreams e;
    e.m_ResourceData = cab.data();
    e.m_ResourceSize = static_cast<int32_t>(cab.size());
    ASSERT_EQ(e.CreateFdi(), 1);
    std::wstring target = FreshDir(L"highstreams");
    ASSERT_TRUE(e.Extract(kResourceCabinetPath, target.c_str(), nullptr)) << e.GetErrorText();
    EXPECT_TRUE(sizeof(void*) == 8 || e.last < 0) << "no stream above 2 GiB: link with --large-address-aware";
    EXPECT_EQ(e.live, 0);
    EXPECT_EQ(ReadBytes(target + L"top.txt"), ReadBytes(CabDir() + L"tree\\top.txt"));

    // The eleventh cabinet handle is refused, and no stream is left behind for it.
    std::string name = "*CABINET\\*RESOURCE";
    INT_PTR handles[CMap::kCapacity];
    for (INT_PTR& h : handles)
        EXPECT_TRUE(IsValidHandle(h = Callbacks::Open(&name[0], _O_BINARY | _O_RDONLY, 0)));
    EXPECT_EQ(Callbacks::Open(&name[0], _O_BINARY | _O_RDONLY, 0), -1);
    EXPECT_EQ(e.m_Error.OwnCode, kErrorHandleMapFull);
    EXPECT_EQ(e.live, CMap::kCapacity);
    for (INT_PTR h : handles) EXPECT_EQ(Callbacks::Close(h), 0);
    EXPECT_EQ(e.live, 0);
}
