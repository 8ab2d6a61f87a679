// The engine's file operations: the runtime library's descriptor I/O underneath,
// the handle bookkeeping of the cabinet library's streams on top.
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include "Extract.h"
#include "Files.h"
#include "Links.h"
#include "PartialFiles.h"
#include "Staging.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

namespace Cabinet {

int CExtract::Read(INT_PTR handle, void* buffer, int count) {
    return _read(static_cast<int>(handle), buffer, static_cast<unsigned>(count));
}

int CExtract::Write(INT_PTR handle, const void* buffer, int count) {
    return _write(static_cast<int>(handle), buffer, static_cast<unsigned>(count));
}

int CExtract::Close(INT_PTR handle) { return _close(static_cast<int>(handle)); }

long CExtract::Seek(INT_PTR handle, long distance, int origin) {
    return _lseek(static_cast<int>(handle), distance, origin);
}

INT_PTR CExtract::Open(const wchar_t* path, int oflag, int pmode) {
    // An existing read-only file must not stop its replacement; a file made only
    // if it is new has nothing to replace, and its name is left alone.
    if ((oflag & _O_CREAT) && !(oflag & _O_EXCL)) SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    return _wsopen(path, oflag, _SH_DENYNO, pmode);
}

INT_PTR CExtract::OpenFileUtf8(const char* name, int oflag, int pmode) {
    size_t bytes = name ? strlen(name) : 0;
    size_t capacity = CStrBufW::kInitialCapacity;
    while (capacity <= bytes) capacity *= 2;
    CStrBufW wide;
    if (!wide.Reserve(capacity)) throw std::bad_alloc();
    if (bytes) {
        int n = MultiByteToWideChar(CP_UTF8, 0, name, static_cast<int>(bytes), wide.Buffer(),
                                    static_cast<int>(wide.Capacity()));
        wide.SetLength(n > 0 ? static_cast<size_t>(n) : 0);
    }
    INT_PTR handle = OpenFile(wide, oflag, pmode);
    wide.Wipe();
    return handle;
}

INT_PTR CExtract::OpenFile(const wchar_t* path, int oflag, int pmode) {
    const bool output = (pmode & _S_IWRITE) != 0;
    // A cabinet handle the map could not hold is refused before it exists, so no
    // stream or descriptor is ever left without an owner.
    if (!output && m_HandleMap.IsFull()) throw CMapOverflow();
    INT_PTR handle = Open(path, oflag, pmode);
    if (output) {
        m_hOutFile = handle;
        m_OutPath = path;
        m_OutWritten = 0;
    } else if (IsValidHandle(handle)) {
        m_HandleMap.Set(handle, 0);
    }
    return handle;
}

int CExtract::CloseFile(INT_PTR handle) {
    if (!IsValidHandle(handle)) return 0;
    // In memory mode a handle outside the map is the buffer's: nothing is open.
    if (m_ToMemory && !m_HandleMap.Contains(handle)) return 0;
    ClearRuntimeFailure();
    int result = Close(handle);
    if (handle == m_hOutFile) {
        m_hOutFile = 0;
        if (result != 0) AbandonOutputFile(kErrorTargetFile, RuntimeFailure(ERROR_WRITE_FAULT));
    }
    m_HandleMap.Remove(handle);
    return result;
}

long CExtract::SeekFile(INT_PTR handle, long distance, int origin) {
    long result = Seek(handle, distance, origin);
    if (IsValidHandle(handle) && m_HandleMap.Contains(handle))
        m_HandleMap.Set(handle, static_cast<int32_t>(result));
    return result;
}

int CExtract::WriteData(INT_PTR handle, const void* buffer, int count) {
    if (!m_ToMemory) {
        if (m_Abort) return -1;  // the file is deleted anyway: write no more of it
        ClearRuntimeFailure();
        int written = Write(handle, buffer, count);
        if (written == count) {
            if (handle == m_hOutFile) m_OutWritten += static_cast<uint32_t>(written);
            return written;
        }
        // The library may go on after a failed write, so the engine stops it. A short
        // write that the runtime library gives no reason for means the volume is full.
        AbandonOutputFile(kErrorTargetFile, RuntimeFailure(ERROR_DISK_FULL));
        return -1;
    }
    if (count < 0 ||
        static_cast<uint64_t>(m_Memory.Length) + static_cast<uint32_t>(count) > m_Memory.Capacity) {
        m_Error.Record(kErrorMemoryOverrun);
        return -1;
    }
    if (count == 0) return 0;
    memcpy(m_Memory.Data + m_Memory.Length, buffer, static_cast<size_t>(count));
    m_Memory.Length += static_cast<uint32_t>(count);
    return count;
}

// The first failure is the one reported; what follows from it adds nothing.
void CExtract::RecordOutputFailure(DWORD type, const wchar_t* path) {
    if (!HasError()) m_Error.Record(kErrorTargetFile, static_cast<int32_t>(type), path);
}

// Users may be able to write below the target directory; a link there could
// send what the engine writes to another place. True, with the link's path
// recorded, when `path` would go through one.
bool CExtract::RefuseLink(const wchar_t* path) {
    const size_t link = LinkOnPath(m_TargetDir, path);
    if (!link) return false;
    if (!HasError()) {
        CStrBufW linkPath;
        if (!linkPath.Assign(path, link)) throw std::bad_alloc();
        m_Error.Record(kErrorLinkInPath, 0, linkPath);
        linkPath.Wipe();
    }
    return true;
}

namespace {
// Made only if new: whatever a user may have put under that name is never opened.
constexpr int kPartialFlags = _O_BINARY | _O_EXCL | _O_CREAT | _O_SEQUENTIAL | _O_WRONLY;
constexpr int kOutputMode = _S_IREAD | _S_IWRITE;
constexpr int kPartialNames = 64;  // names tried before giving up
}  // namespace

// The output is written under a partial name beside its target and renamed over
// it once whole (PutPartialInPlace), so the target always holds the old file or
// the new one; with a staging it stays there until the whole update is put in
// place. A cut-off run's partial files in the folder go first, once per run,
// before this run has written any there.
INT_PTR CExtract::OpenPartialFile(const CStrBufW& targetDir, const wchar_t* targetPath) {
    if (m_SweptDirs.insert(targetDir.Get()).second) RemovePartialFiles(targetDir.Get());
    if (m_PartialNumber == 0) m_PartialNumber = GetTickCount() ^ (GetCurrentProcessId() << 16);
    CStrBufW partial;
    INT_PTR handle = -1;
    for (int tries = 0; tries < kPartialNames; ++tries) {
        if (!partial.Assign(targetDir) || !partial.Append(PartialFileName(m_PartialNumber++).c_str()))
            throw std::bad_alloc();
        ClearRuntimeFailure();
        handle = OpenFile(partial, kPartialFlags, kOutputMode);
        if (IsValidHandle(handle) || errno != EEXIST) break;
    }
    m_OutPartial.Empty();
    if (IsValidHandle(handle) && !m_OutPartial.Assign(partial)) {
        Close(handle);
        DeleteFileW(partial);
        throw std::bad_alloc();
    }
    if (!m_OutPath.Assign(targetPath)) throw std::bad_alloc();
    partial.Wipe();
    return handle;
}

// The whole, closed and stamped partial file takes the target's name. A rename
// replaces a link at the target instead of following it; a read-only old file
// gives way as it always has.
bool CExtract::PutPartialInPlace() {
    BOOL moved = MoveFileExW(m_OutPartial, m_OutPath, MOVEFILE_REPLACE_EXISTING);
    DWORD error = moved ? 0 : GetLastError();
    if (!moved && error == ERROR_ACCESS_DENIED) {
        const DWORD attributes = GetFileAttributesW(m_OutPath);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
            !RefuseLink(m_OutPath)) {
            SetFileAttributesW(m_OutPath, attributes & ~FILE_ATTRIBUTE_READONLY);
            moved = MoveFileExW(m_OutPartial, m_OutPath, MOVEFILE_REPLACE_EXISTING);
            error = moved ? 0 : GetLastError();
        }
    }
    // A rename over a file another program holds open (or runs from) is refused
    // as access denied; the user is better told the file is in use.
    if (!moved && error == ERROR_ACCESS_DENIED && !CanDeleteFile(m_OutPath)) error = ERROR_SHARING_VIOLATION;
    if (!moved) {
        AbandonOutputFile(kErrorTargetFile, error);
        return false;
    }
    m_OutPartial.Empty();
    return true;
}

// After a failure the partial file goes, and the target keeps what it held.
// After Abort with no partial file left, the output completed last goes, as
// every output opened before an abort always has; a staged one is the
// staging's, and its target still holds the old file.
void CExtract::RemoveLastOutput() {
    const CStrBufW& path = !m_OutPartial.IsEmpty() ? m_OutPartial : m_OutPath;
    if (path.IsEmpty() || (m_OutPartial.IsEmpty() && (!m_Abort || m_Staging)) ||
        LinkOnPath(m_TargetDir, path))
        return;
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);  // a read-only file goes too
    DeleteFileW(path);
    m_OutPartial.Empty();
}

// An output file not written or closed in full must not look complete: the
// extraction stops and deletes it, as after Abort. The first failure is the one reported.
void CExtract::AbandonOutputFile(int32_t code, DWORD type) {
    if (!HasError()) m_Error.Record(code, static_cast<int32_t>(type), m_OutPath);
    m_Abort = 1;
}

void CExtract::ClearRuntimeFailure() {
    _doserrno = 0;
    errno = 0;
}

// The system's code for the runtime library's last failure; where the library
// kept none, its errno says what kind of failure it was.
DWORD CExtract::RuntimeFailure(DWORD fallback) {
    if (_doserrno) return _doserrno;
    switch (errno) {
    case ENOSPC: return ERROR_DISK_FULL;
    case EACCES: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EMFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    default: return fallback;
    }
}

}  // namespace Cabinet
