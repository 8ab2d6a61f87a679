// Every read of cabinet data: sealed containers are fetched in whole 8-byte
// blocks, deciphered past the plain header region and shown as a plain cabinet.
#include <cstdio>
#include <cstring>

#include "Container.h"
#include "Extract.h"

namespace Cabinet {

namespace {
constexpr int kWorkBufferSize = 65536;
// The largest request served by one block fetch wherever it begins: its whole
// blocks never exceed the work buffer.
constexpr int kChunk = kWorkBufferSize - 8;
constexpr int32_t kPlainBytes = static_cast<int32_t>(kContainerPlainBytes);
}  // namespace

// One block fetch for a request of at most kChunk bytes at logical position pos.
int CExtract::ReadBlocks(INT_PTR handle, int32_t pos, unsigned char* buffer, int count) {
    unsigned char work[kWorkBufferSize];
    const int32_t end = pos + count;
    const int32_t start = pos & ~7;
    const int32_t span = ((end - 1) & ~7) - start + 8;
    if (pos & 7) Seek(handle, start, SEEK_SET);
    if (span > 0) {
        int got = Read(handle, work, span);
        if (got < span) return -1;
    }
    int32_t plain = kPlainBytes - start;
    if (plain < 0) plain = 0;
    if (plain > span) plain = span;
    m_Cipher.Decrypt(work + plain, static_cast<uint32_t>(span - plain) / 8);
    if (count > 0) memcpy(buffer, work + (pos - start), static_cast<size_t>(count));
    Seek(handle, end, SEEK_SET);
    return count;
}

int CExtract::ReadDecrypted(INT_PTR handle, void* buffer, int count) {
    // A handle the map does not hold was never opened as a cabinet: read it plainly.
    if (!m_HandleMap.Contains(handle)) return Read(handle, buffer, count);
    const int32_t pos = m_HandleMap.Lookup(handle);
    auto* out = static_cast<unsigned char*>(buffer);

    int result;
    if (!m_Cipher.HasKey()) {
        result = Read(handle, buffer, count);
    } else {
        if (count < 0) return -1;
        // Larger requests are served piecewise; each piece fits the work buffer.
        int done = 0;
        result = 0;
        do {
            int piece = count - done > kChunk ? kChunk : count - done;
            if (ReadBlocks(handle, pos + done, out + done, piece) < 0) return -1;
            done += piece;
        } while (done < count);
        result = count;
    }
    if (result != -1) m_HandleMap.Set(handle, pos + result);

    if (pos != 0 || result < 4) return result;
    if (memcmp(out, "MSCF", 4) == 0) {
        if (!m_Cipher.HasKey()) return result;
        m_Error.Record(kErrorPlainWithKey);
        return -1;
    }
    if (memcmp(out, "CRYP", 4) == 0) {
        if (m_Cipher.HasKey()) {
            memcpy(out, "MSCF", 4);
            return result;
        }
        m_Error.Record(kErrorSealedNoKey);
        return -1;
    }
    m_Error.Record(kErrorNotACabinet);
    return -1;
}

}  // namespace Cabinet
