// The engine against Wine's real Cabinet.dll and file system, with cabinets made
// by gcab (and cabarc for a spanned set) from generated trees.
#include <fcntl.h>

#include <set>

#include "Container.h"
#include "Extract.h"
#include "Links.h"
#include "PayloadKey.h"
#include "TestSupport.h"

using namespace Cabinet;
using namespace CabTest;

namespace {

std::wstring Tree(const wchar_t* rel) { return CabDir() + L"tree\\" + rel; }

std::wstring SystemText(DWORD code) {
    wchar_t text[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, text, 512, nullptr);
    return text;
}

struct Recorder {
    CExtract* engine = nullptr;
    std::vector<std::wstring> copied;
    std::vector<uint32_t> lengths;
    std::vector<std::wstring> next;
    int abortAfter = -1;
    std::wstring skipSubDir;
};

int32_t BeforeCopy(FileInfo* file, void* user) {
    auto* r = static_cast<Recorder*>(user);
    return r->skipSubDir.empty() || r->skipSubDir != file->SubDirectory;
}

void AfterCopy(const wchar_t* path, MemoryBuffer* memory, void* user) {
    auto* r = static_cast<Recorder*>(user);
    r->copied.push_back(path);
    if (memory) r->lengths.push_back(memory->Length);
    if (static_cast<int>(r->copied.size()) == r->abortAfter) r->engine->Abort();
}

void NextCabinet(CabinetInfo* info, int32_t, void* user) {
    static_cast<Recorder*>(user)->next.push_back(
        std::wstring(info->NextCabinet, info->NextCabinet + strlen(info->NextCabinet)));
}

struct Engine {
    CExtract engine;
    Recorder rec;
    explicit Engine(bool withKey = false) {
        rec.engine = &engine;
        ExtractCallbacks cb{BeforeCopy, AfterCopy, nullptr, NextCabinet, nullptr, nullptr};
        engine.SetCallbacks(&cb);
        if (withKey) engine.m_Cipher.SetKey(kPayloadKey, kPayloadKeyLength);
        EXPECT_EQ(engine.CreateFdi(), 1);
    }
    bool Run(const std::wstring& cab, const std::wstring& target) {
        return engine.Extract(cab.c_str(), target.c_str(), &rec);
    }
};

std::wstring Stash(const std::wstring& name, const std::vector<unsigned char>& bytes) {
    std::wstring dir = FreshDir(L"cab-" + name);
    EXPECT_TRUE(WriteBytes(dir + L"x.cab", bytes));
    return dir + L"x.cab";
}

void ExpectTree(const std::wstring& target) {
    for (const wchar_t* rel : {L"top.txt", L"Docs\\Guide.txt", L"sub\\deep\\big.bin", L"empty.txt"}) {
        EXPECT_TRUE(Exists(target + rel)) << rel;
        EXPECT_EQ(ReadBytes(target + rel), ReadBytes(Tree(rel))) << rel;
    }
}

}  // namespace

TEST(Extract, TreeByteForByteWithDatesAndAttributes) {
    std::vector<unsigned char> cab = ReadBytes(Cab(L"tree.cab"));
    ASSERT_FALSE(cab.empty());
    SetAttributes(cab, "top.txt", 0x21);
    SetAttributes(cab, "sub\\deep\\big.bin", 0x45);
    SetAttributes(cab, "Docs\\Guide.txt", 0x122);
    std::wstring path = Stash(L"attrs", cab);
    std::wstring target = FreshDir(L"attrs-out");
    Engine e;
    ASSERT_TRUE(e.Run(path, target)) << e.engine.m_Error.Erf.erfOper;
    EXPECT_FALSE(e.engine.HasError());
    EXPECT_STREQ(e.engine.GetErrorText(), L"Success");
    ExpectTree(target);
    EXPECT_EQ(e.rec.copied.size(), 4u);
    EXPECT_EQ(GetFileAttributesW((target + L"top.txt").c_str()), 0x21u);
    // Read-only and system are applied, 0x40 is not. (Wine reports every regular file as archive.)
    EXPECT_EQ(GetFileAttributesW((target + L"sub\\deep\\big.bin").c_str()) & 0x47u, 0x05u);
    EXPECT_EQ(GetFileAttributesW((target + L"Docs\\Guide.txt").c_str()), 0x22u);

    FILETIME stored, utc;
    ASSERT_TRUE(DosDateTimeToFileTime(DosDate(cab, "top.txt"), DosTime(cab, "top.txt"), &stored));
    LocalFileTimeToFileTime(&stored, &utc);
    EXPECT_TRUE(SameTime(LastWrite(target + L"top.txt"), utc));
    // Bit 0x100: the stored value is UTC already.
    EXPECT_TRUE(SameTime(LastWrite(target + L"Docs\\Guide.txt"), stored));
}

TEST(Extract, SealedContainerWithKeyMatchesPlain) {
    std::vector<unsigned char> cab = ReadBytes(Cab(L"tree.cab"));
    ASSERT_EQ(SealContainer(cab, kPayloadKey, kPayloadKeyLength), "");
    std::wstring path = Stash(L"sealed", cab);
    std::wstring target = FreshDir(L"sealed-out");
    Engine e(true);
    ASSERT_TRUE(e.Run(path, target)) << e.engine.m_Error.Erf.erfOper;
    ExpectTree(target);
}

TEST(Extract, RefusesWrongMagicForTheKeyState) {
    std::vector<unsigned char> sealed = ReadBytes(Cab(L"tree.cab"));
    SealContainer(sealed, kPayloadKey, kPayloadKeyLength);
    std::wstring sealedPath = Stash(L"refuse", sealed);
    struct Case {
        std::wstring cab;
        bool key;
        int32_t code;
        const wchar_t* text;
    } cases[] = {
        {Cab(L"tree.cab"), true, kErrorPlainWithKey, L"The cabinet is not sealed, but a key was given."},
        {sealedPath, false, kErrorSealedNoKey, L"The cabinet is sealed, but no key was given."},
        {Cab(L"notcab.bin"), false, kErrorNotACabinet, L"The file is not a cabinet."},
        {Cab(L"notcab.bin"), true, kErrorNotACabinet, L"The file is not a cabinet."},
    };
    for (const Case& c : cases) {
        std::wstring target = FreshDir(L"refuse-out");
        Engine e(c.key);
        EXPECT_FALSE(e.Run(c.cab, target));
        EXPECT_EQ(e.engine.m_Error.OwnCode, c.code);
        EXPECT_STREQ(e.engine.GetErrorText(), c.text);
        EXPECT_TRUE(e.engine.CabinetIsDamaged());
        EXPECT_FALSE(Exists(target + L"top.txt"));
    }
}

TEST(Extract, ArgumentChecks) {
    {
        // FDICreate cannot allocate its context: no context, and Extract keeps the
        // record of why.
        struct NoMemory : CExtract {
            void* Alloc(ULONG) override { return nullptr; }
        } never;
        EXPECT_EQ(never.CreateFdi(), 0);
        EXPECT_FALSE(never.Extract(Cab(L"tree.cab").c_str(), FreshDir(L"args").c_str(), nullptr));
        EXPECT_EQ(never.m_Error.Erf.erfOper, FDIERROR_ALLOC_FAIL);
        EXPECT_STREQ(never.GetErrorText(), L"There is not enough memory to extract the cabinet.");
        // A library that fails without a trace is still failing. Wine's always
        // fills the record, so an entry point that says nothing stands in for it.
        never.m_FdiCreate = [](PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE, PFNSEEK, int, PERF) {
            return HFDI{};
        };
        EXPECT_EQ(never.CreateFdi(), 0);
        EXPECT_STREQ(never.GetErrorText(), L"The cabinet library failed without giving a reason.");
    }
    Engine e;
    EXPECT_FALSE(e.Run(Cab(L"tree.cab"), L"C"));
    EXPECT_EQ(e.engine.m_Error.OwnCode, kErrorArguments);
    EXPECT_FALSE(e.Run(L"tree.cab", FreshDir(L"args")));
    EXPECT_EQ(e.engine.m_Error.OwnCode, kErrorArguments);
    EXPECT_FALSE(e.Run(CabDir() + L"x", FreshDir(L"args")));
    EXPECT_EQ(e.engine.m_Error.OwnCode, kErrorArguments);
    // "C:" becomes "C:\" and passes the checks; the cabinet is missing.
    EXPECT_FALSE(e.Run(CabDir() + L"missing.cab", L"C:"));
    EXPECT_NE(e.engine.m_Error.OwnCode, kErrorArguments);
    EXPECT_STREQ(e.engine.m_TargetDir, L"C:\\");
    EXPECT_TRUE(e.engine.HasError());
}

TEST(Extract, AbortFromCallbackDeletesLastOutputFile) {
    // After the first file, and after the last (read-only) one, when no notification follows.
    std::vector<unsigned char> cab = ReadBytes(Cab(L"tree.cab"));
    SetAttributes(cab, "empty.txt", 0x01);
    std::wstring path = Stash(L"abort", cab);
    for (int after : {1, 4}) {
        std::wstring target = FreshDir(L"abort-out");
        Engine e;
        e.rec.abortAfter = after;
        EXPECT_FALSE(e.Run(path, target)) << after;
        EXPECT_STREQ(e.engine.GetErrorText(), L"The extraction was cancelled.");
        ASSERT_EQ(e.rec.copied.size(), static_cast<size_t>(after));
        EXPECT_FALSE(Exists(e.rec.copied.back())) << after;  // completed and closed, still removed
        EXPECT_EQ(Exists(target + L"Docs\\Guide.txt"), after == 4);
    }
}

TEST(Extract, ReplacesReadOnlyFileAndSkipsOnRequest) {
    std::wstring target = FreshDir(L"replace");
    ASSERT_TRUE(WriteBytes(target + L"top.txt", {'o', 'l', 'd'}));
    SetFileAttributesW((target + L"top.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    // A cut-off run's partial file goes, read-only too; a file merely named alike stays.
    ASSERT_TRUE(WriteBytes(target + L"~Vantrelle-0000ABCD.tmp", {'c', 'u', 't'}));
    SetFileAttributesW((target + L"~Vantrelle-0000ABCD.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(WriteBytes(target + L"~Vantrelle-notes.tmp", {'m', 'i', 'n', 'e'}));
    Engine e;
    e.rec.skipSubDir = L"Docs\\";
    ASSERT_TRUE(e.Run(Cab(L"tree.cab"), target));
    EXPECT_FALSE(Exists(target + L"~Vantrelle-0000ABCD.tmp"));
    EXPECT_TRUE(Exists(target + L"~Vantrelle-notes.tmp"));
    EXPECT_EQ(ReadBytes(target + L"top.txt"), ReadBytes(Tree(L"top.txt")));
    EXPECT_FALSE(Exists(target + L"Docs"));  // neither file nor directory
    EXPECT_EQ(e.rec.copied.size(), 3u);
    for (const std::wstring& p : e.rec.copied) EXPECT_EQ(p.find(L"Docs"), std::wstring::npos);
}

TEST(Extract, MemoryModeAppendsFilesAndRefusesOverrun) {
    Engine e;
    EXPECT_TRUE(e.Run(Cab(L"small-large.cab"), L"MEMORY"));
    EXPECT_TRUE(e.engine.m_ToMemory);
    std::vector<unsigned char> small = ReadBytes(CabDir() + L"mem\\small.txt");
    std::vector<unsigned char> large = ReadBytes(CabDir() + L"mem\\large.bin");
    ASSERT_EQ(e.rec.lengths.size(), 2u);
    EXPECT_EQ(e.rec.lengths[0], small.size());
    EXPECT_EQ(e.rec.lengths[1], small.size() + large.size());
    std::vector<unsigned char> both = small;
    both.insert(both.end(), large.begin(), large.end());
    ASSERT_EQ(e.engine.m_Memory.Length, both.size());
    EXPECT_EQ(memcmp(e.engine.m_Memory.Data, both.data(), both.size()), 0);
    EXPECT_EQ(e.rec.copied[0], L"MEMORY\\small.txt");
    // The buffer's handle has nothing to close, at either width.
    EXPECT_EQ(Callbacks::Close(static_cast<INT_PTR>(0xFF000000u)), 0);
    EXPECT_FALSE(e.engine.HasError());
    EXPECT_EQ(e.engine.DestroyFdi(), 1);
    EXPECT_EQ(e.engine.m_Memory.Data, nullptr);

    // The large file's room leaves no space for the small one after it.
    Engine f;
    EXPECT_FALSE(f.Run(Cab(L"large-small.cab"), L"MEMORY\\"));
    EXPECT_EQ(f.engine.m_Error.OwnCode, kErrorMemoryOverrun);
    // "Memory\" is an ordinary directory, here the one below the current directory.
    Engine g;
    std::wstring dir = FreshDir(L"case");
    ASSERT_TRUE(CreateDirectoryW((dir + L"Memory").c_str(), nullptr));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(dir.c_str());
    EXPECT_TRUE(g.Run(Cab(L"small-large.cab"), L"Memory\\"));
    SetCurrentDirectoryW(previous);
    EXPECT_FALSE(g.engine.m_ToMemory);
    EXPECT_TRUE(Exists(dir + L"Memory\\small.txt"));
}

TEST(Extract, MemoryModeRefusesNegativeOrAbsurdSizes) {
    for (uint32_t size : {0xFFFFFFF0u, 0x7FFFFFFFu}) {
        std::vector<unsigned char> cab = ReadBytes(Cab(L"small-large.cab"));
        SetSize(cab, "large.bin", size);
        std::wstring path = Stash(L"absurd", cab);
        Engine e;
        EXPECT_FALSE(e.Run(path, L"MEMORY"));
        EXPECT_TRUE(e.engine.HasError());
        EXPECT_LE(e.engine.m_Memory.Capacity, 0x10000u);
    }
}

TEST(Extract, FollowsSpannedSet) {
    std::wstring target = FreshDir(L"span");
    Engine e;
    ASSERT_TRUE(e.Run(Cab(L"span1.cab"), target)) << e.engine.m_Error.Erf.erfOper;
    EXPECT_EQ(ReadBytes(target + L"big.bin"), ReadBytes(CabDir() + L"span\\big.bin"));
    EXPECT_EQ(ReadBytes(target + L"last.txt"), ReadBytes(CabDir() + L"span\\last.txt"));
    ASSERT_GE(e.rec.next.size(), 2u);
    EXPECT_EQ(e.rec.next[0], L"span2.cab");
    EXPECT_STREQ(e.engine.m_CabinetName, L"span3.cab");
}

TEST(Extract, Utf8AndEightBitNames) {
    std::vector<unsigned char> cab = ReadBytes(Cab(L"names.cab"));
    Rename(cab, "latX.txt", "lat\xE9.txt");
    std::wstring target = FreshDir(L"names");
    Engine e;
    ASSERT_TRUE(e.Run(Stash(L"names", cab), target));
    EXPECT_EQ(ReadBytes(target + L"utf-caf\u00e9.txt"), (std::vector<unsigned char>{'u', 't', 'f'}));
    EXPECT_EQ(ReadBytes(target + L"lat\u00e9.txt"), (std::vector<unsigned char>{'l', 'a', 't'}));
}

TEST(Extract, RefusesNamesOutsideTheTarget) {
    const char* names[] = {"..\\evil.txt",    "\\rooted.txt", "/rooted.txt", "C:evil.txt", "a\\..\\..\\e.t",
                           "\\\\srv\\s\\e.t", "a/../../e.tx", "sub\\..",     "x:stream",   "..",
                           "ok\\c:\\x.t"};
    for (const char* name : names) {
        std::string stored = name;
        if (stored.size() < 8) stored = stored + std::string(8 - stored.size(), '\0');
        size_t n = strlen(name) < 8 ? 8 : strlen(name);
        std::vector<unsigned char> cab = ReadBytes(Cab((L"evil-" + std::to_wstring(n) + L".cab").c_str()));
        ASSERT_FALSE(cab.empty()) << name;
        Rename(cab, std::string(n, 'x'), std::string(name) + std::string(n - strlen(name), ' '));
        if (strlen(name) < n)
            cab[Find(cab, std::string(name) + std::string(n - strlen(name), ' ')).nameOffset + strlen(name)] =
                0;
        std::wstring outer = FreshDir(L"evil");
        std::wstring target = outer + L"in\\";
        CreateDirectoryW(target.c_str(), nullptr);
        Engine e;
        EXPECT_FALSE(e.Run(Stash(L"evil", cab), target)) << name;
        EXPECT_EQ(e.engine.m_Error.OwnCode, kErrorTargetFile) << name;
        EXPECT_EQ(e.engine.m_Error.OwnType, ERROR_INVALID_NAME) << name;
        EXPECT_TRUE(e.engine.CabinetIsDamaged()) << name;
        EXPECT_EQ(
            std::wstring(e.engine.GetErrorText()),
            std::wstring(name, name + strlen(name)) + L"\nError 123: " + SystemText(ERROR_INVALID_NAME));
        EXPECT_TRUE(e.rec.copied.empty());
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((outer + L"*").c_str(), &fd);
        int entries = 0;
        if (h != INVALID_HANDLE_VALUE) {
            do ++entries;
            while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        EXPECT_EQ(entries, 3) << name;  // ".", ".." and in
        EXPECT_FALSE(Exists(outer + L"in\\rooted.txt"));
    }
}

TEST(Extract, GoesThroughNoLinkBelowTheTarget) {
    // Made by the build (make-cabinets.sh): Wine cannot make links itself.
    const std::wstring links = CabDir() + L"links\\";
    const std::vector<unsigned char> own = {'o', 'w', 'n'};
    ASSERT_TRUE(WriteBytes(links + L"victim\\Guide.txt", own));
    RemoveTree(links + L"out\\sub");
    Engine e;
    EXPECT_FALSE(e.Run(Cab(L"tree.cab"), links + L"out\\"));
    EXPECT_EQ(
        std::wstring(e.engine.GetErrorText()),
        links +
            L"out\\Docs\nThis is a link to another place, and the installer does not work through links "
            L"in the folders it installs into.\nPlease remove the link, then run the installer again.");
    EXPECT_FALSE(e.engine.CabinetIsDamaged());
    EXPECT_EQ(ReadBytes(links + L"victim\\Guide.txt"), own);
    EXPECT_FALSE(Exists(links + L"out\\sub")) << "the link stopped the extraction";
    // A link two levels down is seen too: every part of the way counts, not only the first.
    DeleteFileW((links + L"victim\\big.bin").c_str());
    Engine d;
    EXPECT_FALSE(d.Run(Cab(L"tree.cab"), links + L"two\\"));
    EXPECT_EQ(std::wstring(d.engine.GetErrorText()), links + L"two\\sub\\deep\n" + kLinkRefusedText);
    EXPECT_FALSE(Exists(links + L"victim\\big.bin"));
    // The target itself may be reached through a link: that one is its owner's.
    Engine f;
    EXPECT_TRUE(f.Run(Cab(L"tree.cab"), links + L"via\\")) << f.engine.GetErrorText();
    ExpectTree(links + L"real\\");
}

TEST(Extract, ErrorTexts) {
    CExtract e;
    EXPECT_STREQ(e.GetErrorText(), L"Success");
    // Codes without a system code get the engine's own words, one text each.
    std::set<std::wstring> texts;
    for (int32_t code : {2, 4, 11, 1000, 1002, 1004, 1007, 1008, 1009, 1010, 1011, 1012}) {
        e.m_Error.Record(code);
        std::wstring text = e.GetErrorText();
        EXPECT_TRUE(texts.insert(text).second) << code << " repeats " << text.c_str();
        EXPECT_NE(text, L"Success");
    }
    EXPECT_TRUE(texts.count(L"The system's cabinet library Cabinet.dll cannot be loaded."));
    EXPECT_FALSE(texts.count(L""));
    // The library's trace without any code is no success either.
    e.m_Error.Clear();
    e.m_Error.Erf.fError = TRUE;
    EXPECT_STREQ(e.GetErrorText(), L"The extraction failed.");
    e.m_Error.Record(0, 0x7FFF0001);
    EXPECT_STREQ(e.GetErrorText(), L"\nError 2147418113: Microsoft has no explanation for this error code.");
    e.m_Error.Record(kErrorTargetFile, ERROR_DISK_FULL, L"C:\\Out\\big.bin");
    EXPECT_EQ(std::wstring(e.GetErrorText()), L"C:\\Out\\big.bin\nError 112: " + SystemText(ERROR_DISK_FULL));
}

TEST(Handles, MapOverflowBecomesFailureNotException) {
    CMap map;
    for (int i = 1; i <= 10; ++i) map.Set(i, i * 100);
    map.Set(3, 7);
    EXPECT_EQ(map.Lookup(3), 7);
    try {
        map.Set(11, 0);
        ADD_FAILURE() << "no overflow";
    } catch (const CMapOverflow& overflow) {
        EXPECT_STREQ(overflow.what(), "Overflow in CMap::Set()");
    }
    map.Remove(1);
    EXPECT_FALSE(map.Contains(1));
    EXPECT_EQ(map.Lookup(10), 1000);
    EXPECT_EQ(map.Lookup(1), -1);

    // Through the library's open callback: the eleventh cabinet handle fails.
    Engine e;
    std::string path = "Z:" VANTRELLE_CAB_DIR "/tree.cab";
    INT_PTR handles[11];
    for (int i = 0; i < 10; ++i) {
        handles[i] = Callbacks::Open(&path[0], _O_BINARY | _O_RDONLY, 0);
        EXPECT_GT(handles[i], 0);
    }
    EXPECT_EQ(Callbacks::Open(&path[0], _O_BINARY | _O_RDONLY, 0), -1);
    EXPECT_EQ(e.engine.m_Error.OwnCode, kErrorHandleMapFull);
    EXPECT_EQ(e.engine.m_Error.OwnType, ERROR_TOO_MANY_OPEN_FILES);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Callbacks::Close(handles[i]), 0);
    EXPECT_EQ(e.engine.m_HandleMap.Count(), 0);
}

TEST(Paths, SplitAndCreateDirectories) {
    CStrBufW dir, name;
    CExtract::SplitPath(L"Docs\\Guide.txt", dir, name);
    EXPECT_STREQ(dir, L"Docs\\");
    EXPECT_STREQ(name, L"Guide.txt");
    CExtract::SplitPath(L"Guide.txt", dir, name);
    EXPECT_STREQ(dir, L"");
    EXPECT_STREQ(name, L"Guide.txt");

    std::wstring base = FreshDir(L"dirs");
    EXPECT_EQ(CExtract::CreateDirectoryPath((base + L"a\\b\\c\\").c_str()), 0u);
    EXPECT_TRUE(GetFileAttributesW((base + L"a\\b\\c").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    WriteBytes(base + L"file", {'x'});
    EXPECT_EQ(CExtract::CreateDirectoryPath((base + L"file").c_str()),
              static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    std::wstring longPath = base + std::wstring(1200, L'd') + L"\\";
    EXPECT_NE(CExtract::CreateDirectoryPath(longPath.c_str()), 0u);
    EXPECT_NE(CExtract::CreateDirectoryPath(L"nosuchtop"), 0u);
}

TEST(Extract, FailedCopyIsNeverSuccess) {
    // A truncated cabinet: whatever the library records, the result is failure.
    std::vector<unsigned char> cab = ReadBytes(Cab(L"tree.cab"));
    cab.resize(cab.size() / 2);
    Engine e;
    std::wstring out = FreshDir(L"truncated-out");
    EXPECT_FALSE(e.Run(Stash(L"truncated", cab), out));
    EXPECT_TRUE(e.engine.HasError());
    // and no file it left is shorter than the original.
    for (const wchar_t* name : {L"top.txt", L"Docs\\Guide.txt", L"sub\\deep\\big.bin"}) {
        if (Exists(out + name)) {
            EXPECT_EQ(ReadBytes(CabDir() + L"tree\\" + name), ReadBytes(out + name)) << name;
        }
    }
    // A context the library does not know: FDICopy fails and records nothing.
    HFDI context = e.engine.m_hFdi;
    std::vector<unsigned char> stranger(4096);
    e.engine.m_hFdi = reinterpret_cast<HFDI>(stranger.data());
    EXPECT_FALSE(e.Run(Cab(L"tree.cab"), FreshDir(L"stranger-out")));
    e.engine.m_hFdi = context;
    EXPECT_EQ(e.engine.m_Error.OwnCode, kErrorSilentFailure);
    EXPECT_STREQ(e.engine.GetErrorText(), L"The cabinet library failed without giving a reason.");
}
