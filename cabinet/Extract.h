#pragma once
// The extraction engine over the system's Cabinet.dll: it supplies every callback
// of the library's file-decompression interface and places each extracted file,
// in a target directory or in one memory buffer.
#include <windows.h>
// fdi.h needs the Windows types first.
#include <fdi.h>

#include <cstdint>
#include <set>
#include <string>

#include "Blowfish.h"
#include "Map.h"
#include "StrBuf.h"

class CStaging;

namespace Cabinet {

// The engine's own error codes; the library's FDIERROR values share the field.
enum : int32_t {
    kErrorNotACabinet = 2,       // FDIERROR_NOT_A_CABINET
    kErrorOutOfMemory = 5,       // FDIERROR_ALLOC_FAIL
    kErrorTargetFile = 8,        // FDIERROR_TARGET_FILE: an output file not created, written or closed
    kErrorUserAbort = 11,        // FDIERROR_USER_ABORT
    kErrorLibrary = 1000,        // Cabinet.dll or one of its entry points missing
    kErrorArguments = 1002,      // target, cabinet directory or name too short
    kErrorResource = 1004,       // cabinet resource missing or empty
    kErrorPlainWithKey = 1007,   // "MSCF" although a key is set
    kErrorSealedNoKey = 1008,    // "CRYP" although no key is set
    kErrorMemoryOverrun = 1009,  // memory mode: write past the reserved room
    kErrorSilentFailure = 1010,  // FDICopy failed and left no trace
    kErrorHandleMapFull = 1011,  // more cabinet handles open than CMap holds
    kErrorLinkInPath = 1012,     // a link below the target directory on an output's way
};

// Handles are file descriptors or stream addresses, and an address may read as
// negative; 0 and -1 are never handles, at either width.
inline bool IsValidHandle(INT_PTR handle) { return handle != 0 && handle != -1; }

// The reserved names of memory and resource extraction.
inline constexpr wchar_t kMemoryTarget[] = L"MEMORY";
inline constexpr wchar_t kResourceCabinetPath[] = L"*CABINET\\*RESOURCE";

struct MemoryBuffer {
    unsigned char* Data = nullptr;
    uint32_t Capacity = 0;
    uint32_t Length = 0;
    int32_t Reserved[3] = {};

    // Makes room for at least `size` bytes, keeping what is there.
    bool Reserve(uint32_t size);
    void Release();
};

// What a per-file callback learns; the texts belong to the engine and are wiped
// when the callback returns.
struct FileInfo {
    const wchar_t* Name;
    const wchar_t* SubDirectory;  // with its trailing backslash, or empty
    const wchar_t* CabinetPath;   // the whole stored path
    const wchar_t* TargetDirectory;
    const wchar_t* TargetPath;
    int32_t Size;
    FILETIME Time;  // stored local time, not converted to UTC
    uint16_t Attributes;
};

struct CabinetInfo {
    const char* NextCabinet;  // as the library delivers them
    const char* NextDisk;
    const wchar_t* CabinetPath;
    uint16_t SetId;
    uint16_t CabinetIndex;
};

struct ExtractCallbacks {
    int32_t (*BeforeCopy)(FileInfo* file, void* userParam);  // 0 skips the file
    void (*AfterCopy)(const wchar_t* targetPath, MemoryBuffer* memory, void* userParam);
    void (*CabinetOpened)(CabinetInfo* cabinet, void* userParam);
    void (*NextCabinet)(CabinetInfo* cabinet, int32_t error, void* userParam);
    void (*Reserved1)();
    void (*Reserved2)();
};

struct ErrorRecord {
    ERF Erf = {};  // filled by the library
    CStrBufW Text;
    int32_t OwnCode = 0;
    int32_t OwnType = 0;
    int32_t OwnFlag = 0;
    CStrBufW File;  // the output file the error concerns; empty when none

    void Clear();
    void Record(int32_t code, int32_t type = 0, const wchar_t* file = nullptr);
};

class CExtract {
public:
    CExtract();
    ~CExtract();
    CExtract(const CExtract&) = delete;
    CExtract& operator=(const CExtract&) = delete;

    // The stream operations; derived engines read the cabinet from elsewhere.
    virtual void Abort();
    virtual void* Alloc(ULONG size);
    virtual void Free(void* block);
    virtual int Read(INT_PTR handle, void* buffer, int count);
    virtual int Write(INT_PTR handle, const void* buffer, int count);
    virtual int Close(INT_PTR handle);
    virtual long Seek(INT_PTR handle, long distance, int origin);
    virtual INT_PTR Open(const wchar_t* path, int oflag, int pmode);

    void SetCallbacks(const ExtractCallbacks* callbacks);
    // With a staging, each whole output file is handed to it under its partial
    // name instead of being renamed into place; null (the default): renamed at once.
    void SetStaging(CStaging* staging) { m_Staging = staging; }
    int CreateFdi();
    bool Extract(CStrBufW cabinetPath, CStrBufW targetDir, void* userParam);
    const wchar_t* GetErrorText();
    bool HasError() const;
    // The failure lies in the cabinet itself: missing, not a cabinet, sealed
    // wrongly or under another key, or damaged.
    bool CabinetIsDamaged() const;
    // The failure's code: the engine's own where it recorded one, else the library's.
    int32_t ErrorCode() const { return m_Error.OwnCode ? m_Error.OwnCode : m_Error.Erf.erfOper; }
    // The system's error code behind it, where there is one; else 0.
    int32_t ErrorType() const { return m_Error.OwnType ? m_Error.OwnType : m_Error.Erf.erfType; }
    // The output file the failure concerns; empty when none.
    const wchar_t* ErrorFile() const { return m_Error.File.Get(); }
    int DestroyFdi();

    // Reached from the library's callbacks (Callbacks below).
    INT_PTR OpenFileUtf8(const char* name, int oflag, int pmode);
    INT_PTR OpenFile(const wchar_t* path, int oflag, int pmode);
    int CloseFile(INT_PTR handle);
    long SeekFile(INT_PTR handle, long distance, int origin);
    int WriteData(INT_PTR handle, const void* buffer, int count);
    int ReadDecrypted(INT_PTR handle, void* buffer, int count);
    INT_PTR OnNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION notification);

    static void SplitPath(const wchar_t* path, CStrBufW& directory, CStrBufW& name);
    static DWORD CreateDirectoryPath(const wchar_t* path);
    static void SetFileTimeAndAttributes(const wchar_t* path, USHORT date, USHORT time, USHORT attributes);
    // Its two halves: the cabinet's date and time on an open file, and the
    // cabinet's attributes that Windows keeps.
    static void SetStoredTime(HANDLE file, USHORT date, USHORT time, USHORT attributes);
    static void SetStoredAttributes(const wchar_t* path, USHORT attributes);

    ExtractCallbacks m_Callbacks;
    CMap m_HandleMap;
    CStrBufW m_TargetDir;
    CStrBufW m_CabinetName;
    CBlowfish m_Cipher;
    MemoryBuffer m_Memory;
    ErrorRecord m_Error;
    HFDI m_hFdi = nullptr;
    int32_t m_Abort = 0;
    int32_t m_ToMemory = 0;
    INT_PTR m_hOutFile = 0;
    CStrBufW m_OutPath;                  // the output's own name; errors name it
    CStrBufW m_OutPartial;               // where it is written until whole; empty once renamed or staged
    std::set<std::wstring> m_SweptDirs;  // folders cleared of a cut-off run's partial files
    CStaging* m_Staging = nullptr;
    uint32_t m_PartialNumber = 0;
    uint32_t m_OutExpected = 0;  // the output file's size as the cabinet gives it
    uint32_t m_OutWritten = 0;   // and what the library has written of it
    void* m_UserParam = nullptr;
    HMODULE m_hCabinetDll = nullptr;
    decltype(&::FDICreate) m_FdiCreate = nullptr;
    decltype(&::FDICopy) m_FdiCopy = nullptr;
    decltype(&::FDIIsCabinet) m_FdiIsCabinet = nullptr;
    decltype(&::FDIDestroy) m_FdiDestroy = nullptr;

private:
    void RecordOutputFailure(DWORD type, const wchar_t* path);
    bool RefuseLink(const wchar_t* path);
    INT_PTR OpenPartialFile(const CStrBufW& targetDir, const wchar_t* targetPath);
    bool PutPartialInPlace();
    bool NoteNewFolders(const CStrBufW& targetDir);
    void RemoveLastOutput();
    void AbandonOutputFile(int32_t code, DWORD type);
    static void ClearRuntimeFailure();
    static DWORD RuntimeFailure(DWORD fallback);
    int ReadBlocks(INT_PTR handle, int32_t pos, unsigned char* buffer, int count);
    INT_PTR OnCopyFile(PFDINOTIFICATION notification);
    INT_PTR OnCloseFile(PFDINOTIFICATION notification);
    INT_PTR OnNextCabinet(PFDINOTIFICATION notification);
    void OnCabinetInfo(PFDINOTIFICATION notification);
};

// The one engine that receives the library's callbacks; set by CreateFdi.
extern CExtract* s_CurrentEngine;

// The plain functions handed to the library. Each forwards to s_CurrentEngine and
// turns any C++ exception into a recorded error and the library's failure value.
namespace Callbacks {
FNALLOC(Alloc);
FNFREE(Free);
FNOPEN(Open);
FNREAD(Read);
FNWRITE(Write);
FNCLOSE(Close);
FNSEEK(Seek);
FNFDINOTIFY(Notify);
}  // namespace Callbacks

}  // namespace Cabinet
