// The engine's file operations: the runtime library's descriptor I/O underneath,
// the handle bookkeeping of the cabinet library's streams on top.
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include "Extract.h"

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
    // An existing read-only file must not stop its replacement.
    if (oflag & _O_CREAT) SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
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
    INT_PTR handle = Open(path, oflag, pmode);
    if (pmode & _S_IWRITE) {
        m_hOutFile = handle;
        m_OutPath = path;
    } else if (handle != 0 && handle != -1) {
        try {
            m_HandleMap.Set(handle, 0);
        } catch (const CMapOverflow&) {
            // The library never learns of this handle, so it must not stay open.
            Close(handle);
            throw;
        }
    }
    return handle;
}

int CExtract::CloseFile(INT_PTR handle) {
    if (handle <= 0) return 0;
    int result = Close(handle);
    if (handle == m_hOutFile) m_hOutFile = 0;
    m_HandleMap.Remove(handle);
    return result;
}

long CExtract::SeekFile(INT_PTR handle, long distance, int origin) {
    long result = Seek(handle, distance, origin);
    if (handle != 0 && handle != -1 && m_HandleMap.Contains(handle))
        m_HandleMap.Set(handle, static_cast<int32_t>(result));
    return result;
}

int CExtract::WriteData(INT_PTR handle, const void* buffer, int count) {
    if (!m_ToMemory) return Write(handle, buffer, count);
    if (count < 0 || static_cast<uint64_t>(m_Memory.Length) + static_cast<uint32_t>(count) >
                         m_Memory.Capacity) {
        m_Error.Record(kErrorMemoryOverrun);
        return -1;
    }
    if (count == 0) return 0;
    memcpy(m_Memory.Data + m_Memory.Length, buffer, static_cast<size_t>(count));
    m_Memory.Length += static_cast<uint32_t>(count);
    return count;
}

}  // namespace Cabinet
