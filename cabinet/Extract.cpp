#include "Extract.h"

#include <cstring>
#include <new>

#include "Links.h"
#include "SystemLibrary.h"

namespace Cabinet {

CExtract* s_CurrentEngine = nullptr;

void ErrorRecord::Clear() {
    Erf.erfOper = Erf.erfType = 0;
    Erf.fError = FALSE;
    OwnCode = OwnType = OwnFlag = 0;
    File.Empty();
}

void ErrorRecord::Record(int32_t code, int32_t type, const wchar_t* file) {
    OwnCode = code;
    OwnType = type;
    OwnFlag = 0;
    // The name only adds to the text; without room for it the record stands.
    if (!file || !File.Assign(file)) File.Empty();
}

bool MemoryBuffer::Reserve(uint32_t size) {
    if (Capacity >= size) return true;
    uint64_t capacity = Capacity ? Capacity : size;
    while (capacity < size) capacity *= 2;
    if (capacity > 0xFFFFFFFFu) capacity = size;  // doubling past 4 GiB: take what is asked
    unsigned char* data = new (std::nothrow) unsigned char[static_cast<size_t>(capacity)];
    if (!data) return false;
    if (Length) {
        memcpy(data, Data, Length);
        memset(Data, 0, Length);
    }
    delete[] Data;
    Data = data;
    Capacity = static_cast<uint32_t>(capacity);
    return true;
}

void MemoryBuffer::Release() {
    delete[] Data;
    Data = nullptr;
    Capacity = Length = 0;
}

CExtract::CExtract() : m_Callbacks{} { m_Error.Clear(); }

CExtract::~CExtract() {
    DestroyFdi();
    if (m_hCabinetDll) FreeLibrary(m_hCabinetDll);
    m_hCabinetDll = nullptr;
    m_OutPath.Wipe();
    m_OutPartial.Wipe();
    m_Error.Text.Wipe();
    m_Error.File.Wipe();
    m_Memory.Release();
    m_CabinetName.Wipe();
    m_TargetDir.Wipe();
    if (s_CurrentEngine == this) s_CurrentEngine = nullptr;
}

void CExtract::SetCallbacks(const ExtractCallbacks* callbacks) {
    m_Callbacks = callbacks ? *callbacks : ExtractCallbacks{};
}

int CExtract::CreateFdi() {
    s_CurrentEngine = this;
    m_Error.Clear();
    if (!m_hCabinetDll) {
        // Only the system's own copy, never a file of that name beside the program.
        HMODULE dll = LoadSystemLibrary(L"Cabinet.dll");
        if (dll) {
            m_FdiCreate = reinterpret_cast<decltype(m_FdiCreate)>(
                reinterpret_cast<void*>(GetProcAddress(dll, "FDICreate")));
            m_FdiCopy = reinterpret_cast<decltype(m_FdiCopy)>(
                reinterpret_cast<void*>(GetProcAddress(dll, "FDICopy")));
            m_FdiIsCabinet = reinterpret_cast<decltype(m_FdiIsCabinet)>(
                reinterpret_cast<void*>(GetProcAddress(dll, "FDIIsCabinet")));
            m_FdiDestroy = reinterpret_cast<decltype(m_FdiDestroy)>(
                reinterpret_cast<void*>(GetProcAddress(dll, "FDIDestroy")));
        }
        if (!dll || !m_FdiCreate || !m_FdiCopy || !m_FdiIsCabinet || !m_FdiDestroy) {
            if (dll) FreeLibrary(dll);
            m_hCabinetDll = nullptr;
            m_Error.Record(kErrorLibrary);
            return 0;
        }
        m_hCabinetDll = dll;
    }
    if (m_hFdi) return 1;  // one context is enough; keep it
    m_hFdi = m_FdiCreate(Callbacks::Alloc, Callbacks::Free, Callbacks::Open, Callbacks::Read,
                         Callbacks::Write, Callbacks::Close, Callbacks::Seek, cpu80386, &m_Error.Erf);
    if (m_hFdi) return 1;
    // The library is meant to say why; a failure without a trace is still one.
    if (!HasError()) m_Error.Record(kErrorSilentFailure);
    return 0;
}

// Converts to UTF-8 for the library; room for four bytes per UTF-16 unit.
static bool ToUtf8(const CStrBufW& text, CStrBufA& out) {
    size_t capacity = CStrBufA::kInitialCapacity;
    while (capacity <= text.Length() * 4) capacity *= 2;
    if (!out.Reserve(capacity)) return false;
    if (text.Length() == 0) {
        out.SetLength(0);
        return true;
    }
    int n = WideCharToMultiByte(CP_UTF8, 0, text.Get(), static_cast<int>(text.Length()), out.Buffer(),
                                static_cast<int>(out.Capacity()), nullptr, nullptr);
    if (n <= 0) return false;
    out.SetLength(static_cast<size_t>(n));
    return true;
}

bool CExtract::Extract(CStrBufW cabinetPath, CStrBufW targetDir, void* userParam) {
    if (!m_hFdi) {
        cabinetPath.Wipe();
        targetDir.Wipe();
        return false;
    }
    m_UserParam = userParam;
    m_Abort = 0;
    m_hOutFile = 0;
    m_OutPath.Empty();
    m_OutPartial.Empty();
    m_SweptDirs.clear();
    m_Error.Clear();
    m_HandleMap.Clear();

    m_TargetDir = targetDir;
    if (m_TargetDir.Length() >= 2 && m_TargetDir[m_TargetDir.Length() - 1] != L'\\')
        m_TargetDir.Append(L'\\');
    m_ToMemory = m_TargetDir.Equals(L"MEMORY\\") ? 1 : 0;

    CStrBufW directory, name;
    SplitPath(cabinetPath, directory, name);
    if (m_TargetDir.Length() < 3 || directory.Length() < 2 || name.Length() < 2) {
        m_Error.Record(kErrorArguments);
        cabinetPath.Wipe();
        targetDir.Wipe();
        directory.Wipe();
        name.Wipe();
        return false;
    }
    m_CabinetName = name;

    for (;;) {
        BOOL copied = FALSE;
        {
            CStrBufA nameUtf8, directoryUtf8;
            if (!ToUtf8(name, nameUtf8) || !ToUtf8(directory, directoryUtf8)) {
                m_Error.Record(kErrorOutOfMemory, ERROR_NOT_ENOUGH_MEMORY);
                break;
            }
            copied = m_FdiCopy(m_hFdi, nameUtf8.Buffer(), directoryUtf8.Buffer(), 0, Callbacks::Notify,
                               nullptr, userParam);
            nameUtf8.Wipe();
            directoryUtf8.Wipe();
        }
        if (!copied) {
            // A failure must never read as success, whatever the library recorded.
            if (!HasError()) m_Error.Record(kErrorSilentFailure);
            break;
        }
        if (name.Equals(m_CabinetName)) break;
        name = m_CabinetName;
    }

    CloseFile(m_hOutFile);
    // Stopped after the library's last notification: nothing else says so.
    if (m_Abort && !HasError()) m_Error.Record(kErrorUserAbort);
    RemoveLastOutput();

    cabinetPath.Wipe();
    targetDir.Wipe();
    directory.Wipe();
    name.Wipe();
    return !HasError();
}

namespace {

// The engine's words for the codes that come without a system error code.
const wchar_t* OwnText(int32_t code) {
    switch (code) {
    case FDIERROR_CABINET_NOT_FOUND: return L"The cabinet file cannot be found.";
    case FDIERROR_NOT_A_CABINET: return L"The file is not a cabinet.";
    case FDIERROR_UNKNOWN_CABINET_VERSION: return L"The cabinet's format version is not supported.";
    case FDIERROR_CORRUPT_CABINET: return L"The cabinet is damaged.";
    case FDIERROR_ALLOC_FAIL: return L"There is not enough memory to extract the cabinet.";
    case FDIERROR_BAD_COMPR_TYPE: return L"The cabinet uses an unknown compression method.";
    case FDIERROR_MDI_FAIL: return L"The cabinet's data cannot be decompressed.";
    case FDIERROR_TARGET_FILE: return L"A file cannot be written.";
    case FDIERROR_RESERVE_MISMATCH: return L"The cabinets of the set do not match.";
    case FDIERROR_WRONG_CABINET: return L"The next cabinet does not belong to the set.";
    case FDIERROR_USER_ABORT: return L"The extraction was cancelled.";
    case kErrorLibrary: return L"The system's cabinet library Cabinet.dll cannot be loaded.";
    case kErrorArguments: return L"The target directory or the cabinet path is too short.";
    case kErrorResource: return L"The cabinet resource is missing or empty.";
    case kErrorPlainWithKey: return L"The cabinet is not sealed, but a key was given.";
    case kErrorSealedNoKey: return L"The cabinet is sealed, but no key was given.";
    case kErrorMemoryOverrun: return L"A file does not fit the memory reserved for it.";
    case kErrorSilentFailure: return L"The cabinet library failed without giving a reason.";
    case kErrorHandleMapFull: return L"Too many cabinet files are open at once.";
    case kErrorLinkInPath: return kLinkRefusedText;
    default: return L"The extraction failed.";
    }
}

}  // namespace

const wchar_t* CExtract::GetErrorText() {
    ErrorRecord& e = m_Error;
    if (!HasError()) return L"Success";
    if (e.OwnCode) e.Erf.erfOper = e.OwnCode;
    if (e.OwnType) e.Erf.erfType = e.OwnType;
    const wchar_t* own = OwnText(e.Erf.erfOper);
    if (e.Erf.erfType == 0) {
        bool done = e.File.IsEmpty() ? e.Text.Assign(own) : e.Text.Format(L"%ls\n%ls", e.File.Get(), own);
        return done ? e.Text.Get() : own;
    }
    wchar_t message[2000];
    if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(e.Erf.erfType), 0, message,
                        2000, nullptr)) {
        wcscpy(message, L"Microsoft has no explanation for this error code.");
    }
    if (!e.Text.Format(L"%ls\nError %d: %ls", e.File.Get(), e.Erf.erfType, message)) return own;
    return e.Text;
}

bool CExtract::HasError() const { return m_Error.Erf.fError || m_Error.OwnType != 0 || m_Error.OwnCode != 0; }

bool CExtract::CabinetIsDamaged() const {
    if (!HasError()) return false;
    switch (ErrorCode()) {
    case FDIERROR_NOT_A_CABINET:
    case FDIERROR_UNKNOWN_CABINET_VERSION:
    case FDIERROR_CORRUPT_CABINET:
    case FDIERROR_BAD_COMPR_TYPE:
    case FDIERROR_MDI_FAIL:
    case kErrorResource:
    case kErrorPlainWithKey:
    case kErrorSealedNoKey: return true;
    case kErrorTargetFile:
        // A stored name that no file can have: the cabinet's bytes are wrong.
        return ErrorType() == ERROR_INVALID_NAME;
    default: return false;
    }
}

int CExtract::DestroyFdi() {
    if (!m_hFdi) return 1;
    BOOL result = m_FdiDestroy(m_hFdi);
    m_hFdi = nullptr;
    m_Memory.Release();
    return result;
}

// The base engine's streams are the runtime library's file descriptors.
void CExtract::Abort() { m_Abort = 1; }

void* CExtract::Alloc(ULONG size) { return GlobalAlloc(GMEM_FIXED, size); }

void CExtract::Free(void* block) {
    if (block) GlobalFree(block);
}

namespace Callbacks {

// Everything a callback may meet that is not a failure result already.
template <typename Result, typename Body>
static Result Guard(Result failure, Body body) {
    CExtract* engine = s_CurrentEngine;
    if (!engine) return failure;
    try {
        return body(engine);
    } catch (const CMapOverflow&) {
        engine->m_Error.Record(kErrorHandleMapFull, ERROR_TOO_MANY_OPEN_FILES);
    } catch (const std::bad_alloc&) {
        engine->m_Error.Record(kErrorOutOfMemory, ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        engine->m_Error.Record(kErrorSilentFailure);
    }
    return failure;
}

FNALLOC(Alloc) {
    return Guard<void*>(nullptr, [&](CExtract* e) { return e->Alloc(cb); });
}

FNFREE(Free) {
    Guard<int>(0, [&](CExtract* e) {
        e->Free(pv);
        return 0;
    });
}

FNOPEN(Open) {
    // The library's permission mode is not used: cabinet inputs are mode 0x100.
    (void)pmode;
    return Guard<INT_PTR>(-1, [&](CExtract* e) { return e->OpenFileUtf8(pszFile, oflag, 0x100); });
}

FNREAD(Read) {
    return Guard<UINT>(static_cast<UINT>(-1), [&](CExtract* e) {
        return static_cast<UINT>(e->ReadDecrypted(hf, pv, static_cast<int>(cb)));
    });
}

FNWRITE(Write) {
    return Guard<UINT>(static_cast<UINT>(-1), [&](CExtract* e) {
        return static_cast<UINT>(e->WriteData(hf, pv, static_cast<int>(cb)));
    });
}

FNCLOSE(Close) {
    return Guard<int>(-1, [&](CExtract* e) { return e->CloseFile(hf); });
}

FNSEEK(Seek) {
    return Guard<__LONG32>(
        -1, [&](CExtract* e) { return static_cast<__LONG32>(e->SeekFile(hf, dist, seektype)); });
}

FNFDINOTIFY(Notify) {
    return Guard<INT_PTR>(-1, [&](CExtract* e) { return e->OnNotify(fdint, pfdin); });
}

}  // namespace Callbacks

}  // namespace Cabinet
