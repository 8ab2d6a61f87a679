// cabx [--key HEX] CABINET TARGETDIR
// cabx [--key HEX] --memory CABINET
// (a first option --peak reports the peak private memory on stderr, for ./bench)
// cabx [--key HEX] [--memory] --resource MODULE ID TARGETDIR
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "ExtractResource.h"

namespace {

int Usage() {
    fwprintf(stderr,
             L"usage: cabx [--key HEX] CABINET TARGETDIR\n"
             L"       cabx [--key HEX] --memory CABINET\n"
             L"       cabx [--key HEX] [--memory] --resource MODULE ID TARGETDIR\n");
    return 2;
}

bool ParseHex(const wchar_t* text, std::vector<unsigned char>& key) {
    size_t n = wcslen(text);
    if (n == 0 || n % 2) return false;
    auto digit = [](wchar_t c) -> int {
        if (c >= L'0' && c <= L'9') return c - L'0';
        if (c >= L'a' && c <= L'f') return c - L'a' + 10;
        if (c >= L'A' && c <= L'F') return c - L'A' + 10;
        return -1;
    };
    for (size_t i = 0; i < n; i += 2) {
        int hi = digit(text[i]), lo = digit(text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        key.push_back(static_cast<unsigned char>(hi * 16 + lo));
    }
    return true;
}

struct Progress {
    bool memory = false;
    uint32_t lastLength = 0;  // the buffer keeps every file, one after another
};

void AfterCopy(const wchar_t* targetPath, Cabinet::MemoryBuffer* memory, void* user) {
    auto* progress = static_cast<Progress*>(user);
    if (memory) {
        wprintf(L"%ls %u\n", targetPath, memory->Length - progress->lastLength);
        progress->lastLength = memory->Length;
    } else {
        wprintf(L"%ls\n", targetPath);
    }
}

int Fail(Cabinet::CExtract& engine) {
    const wchar_t* text = engine.GetErrorText();
    fwprintf(stderr, L"%ls\n", text);
    fwprintf(stderr, L"codes: oper=%d type=%d own=%d\n", engine.m_Error.Erf.erfOper,
             engine.m_Error.Erf.erfType, engine.m_Error.OwnCode);
    return 1;
}

// The engine needs a directory and a name; let the system resolve what was typed.
Cabinet::CStrBufW FullPath(const wchar_t* path) {
    Cabinet::CStrBufW full;
    DWORD n = GetFullPathNameW(path, 0, nullptr, nullptr);
    if (n == 0 || !full.Reserve(n)) return Cabinet::CStrBufW(path);
    DWORD written = GetFullPathNameW(path, n + 1, full.Buffer(), nullptr);
    full.SetLength(written <= n ? written : 0);
    return full;
}

bool Prepare(Cabinet::CExtract& engine, const Cabinet::ExtractCallbacks& callbacks,
             const std::vector<unsigned char>& key) {
    engine.SetCallbacks(&callbacks);
    if (!key.empty()) engine.m_Cipher.SetKey(key.data(), static_cast<uint32_t>(key.size()));
    return engine.CreateFdi() != 0;
}

}  // namespace

// For the benchmarks: the process's peak commit (its private memory), on stderr.
void ReportPeak() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters))
        fwprintf(stderr, L"peak_private_bytes %llu\n",
                 static_cast<unsigned long long>(counters.PeakPagefileUsage));
}

int Run(int argc, wchar_t** argv);

int wmain(int argc, wchar_t** argv) {
    bool peak = argc > 1 && wcscmp(argv[1], L"--peak") == 0;
    if (peak) {
        --argc;
        ++argv;
        argv[0] = argv[-1];
    }
    int rc = Run(argc, argv);
    if (peak) ReportPeak();
    return rc;
}

int Run(int argc, wchar_t** argv) {
    std::vector<unsigned char> key;
    bool memory = false, resource = false;
    int i = 1;
    for (; i < argc && argv[i][0] == L'-' && argv[i][1] == L'-'; ++i) {
        if (wcscmp(argv[i], L"--key") == 0 && i + 1 < argc) {
            if (!ParseHex(argv[++i], key)) return Usage();
        } else if (wcscmp(argv[i], L"--memory") == 0) {
            memory = true;
        } else if (wcscmp(argv[i], L"--resource") == 0) {
            resource = true;
        } else {
            return Usage();
        }
    }
    const int rest = argc - i;
    if (resource ? rest != (memory ? 2 : 3) && rest != 3 : rest != (memory ? 1 : 2)) return Usage();

    Cabinet::ExtractCallbacks callbacks{};
    callbacks.AfterCopy = AfterCopy;
    Progress progress;
    progress.memory = memory;

    if (resource) {
        wchar_t* end = nullptr;
        long id = wcstol(argv[i + 1], &end, 10);
        if (!end || *end) return Usage();
        Cabinet::CExtractResource engine;
        if (!Prepare(engine, callbacks, key)) return Fail(engine);
        Cabinet::CStrBufW target = memory ? Cabinet::CStrBufW(Cabinet::kMemoryTarget) : FullPath(argv[i + 2]);
        if (!engine.ExtractResource(argv[i], static_cast<int32_t>(id), 10, target, &progress))
            return Fail(engine);
        if (memory) wprintf(L"total %u\n", engine.m_Memory.Length);
        return 0;
    }
    Cabinet::CExtract engine;
    if (!Prepare(engine, callbacks, key)) return Fail(engine);
    Cabinet::CStrBufW target = memory ? Cabinet::CStrBufW(Cabinet::kMemoryTarget) : FullPath(argv[i + 1]);
    if (!engine.Extract(FullPath(argv[i]), target, &progress)) return Fail(engine);
    if (memory) wprintf(L"total %u\n", engine.m_Memory.Length);
    return 0;
}
