#pragma once
// A cabinet held in a block of memory: every open the cabinet library makes
// becomes a stream of its own over the block; output files stay on disk.
#include "Extract.h"

namespace Cabinet {

// One open cabinet handle over the block; the handle is this record's address.
struct MemoryStream {
    const unsigned char* Data;
    int32_t Position;
    int32_t Size;
};

class CExtractMemory : public CExtract {
public:
    CExtractMemory() = default;

    int Read(INT_PTR handle, void* buffer, int count) override;
    int Close(INT_PTR handle) override;
    long Seek(INT_PTR handle, long distance, int origin) override;
    INT_PTR Open(const wchar_t* path, int oflag, int pmode) override;

    virtual INT_PTR OpenMemory(const wchar_t* path, int oflag, int pmode);
    virtual int ReadMemory(INT_PTR handle, void* buffer, int count);
    virtual long SeekMemory(INT_PTR handle, long distance, int origin);
    virtual int CloseMemory(INT_PTR handle);

    // The block is not owned: it belongs to whoever holds the memory (a module).
    const unsigned char* m_ResourceData = nullptr;
    int32_t m_ResourcePos = 0;
    int32_t m_ResourceSize = 0;
};

}  // namespace Cabinet
