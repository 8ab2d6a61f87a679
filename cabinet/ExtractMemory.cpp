#include "ExtractMemory.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace Cabinet {

// CMap holds exactly the handles opened without the write bit, which are exactly
// the memory streams; every other handle is an output file.
INT_PTR CExtractMemory::Open(const wchar_t* path, int oflag, int pmode) {
    if (pmode & _S_IWRITE) return CExtract::Open(path, oflag, pmode);
    return OpenMemory(path, oflag, pmode);
}

int CExtractMemory::Read(INT_PTR handle, void* buffer, int count) {
    if (!m_HandleMap.Contains(handle)) return CExtract::Read(handle, buffer, count);
    int n = ReadMemory(handle, buffer, count);
    if (n > 0) reinterpret_cast<MemoryStream*>(handle)->Position += n;
    return n;
}

long CExtractMemory::Seek(INT_PTR handle, long distance, int origin) {
    if (!m_HandleMap.Contains(handle)) return CExtract::Seek(handle, distance, origin);
    return SeekMemory(handle, distance, origin);
}

int CExtractMemory::Close(INT_PTR handle) {
    if (!m_HandleMap.Contains(handle)) return CExtract::Close(handle);
    return CloseMemory(handle);
}

INT_PTR CExtractMemory::OpenMemory(const wchar_t*, int, int) {
    auto* stream = new (std::nothrow) MemoryStream{m_ResourceData, m_ResourcePos, m_ResourceSize};
    if (!stream) return -1;
    return reinterpret_cast<INT_PTR>(stream);
}

int CExtractMemory::ReadMemory(INT_PTR handle, void* buffer, int count) {
    auto* stream = reinterpret_cast<MemoryStream*>(handle);
    if (stream->Position >= stream->Size || count <= 0) return 0;
    int32_t n = count;
    if (n > stream->Size - stream->Position) n = stream->Size - stream->Position;
    memcpy(buffer, stream->Data + stream->Position, static_cast<size_t>(n));
    return n;
}

long CExtractMemory::SeekMemory(INT_PTR handle, long distance, int origin) {
    auto* stream = reinterpret_cast<MemoryStream*>(handle);
    int64_t target;
    if (origin == SEEK_SET) {
        target = distance;
    } else if (origin == SEEK_CUR) {
        target = static_cast<int64_t>(stream->Position) + distance;
    } else {
        errno = EBADF;  // seeking from the end is not offered
        return -1;
    }
    if (target < 0 || target >= stream->Size) {
        errno = EBADF;
        return -1;
    }
    stream->Position = static_cast<int32_t>(target);
    return static_cast<long>(target);
}

int CExtractMemory::CloseMemory(INT_PTR handle) {
    delete reinterpret_cast<MemoryStream*>(handle);
    return 0;
}

}  // namespace Cabinet
