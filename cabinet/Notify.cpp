// The library's notifications: where each file goes, its directories, its output
// file or its room in the memory buffer, and its date, time and attributes.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstring>
#include <cwchar>
#include <new>

#include "Extract.h"
#include "Paths.h"
#include "Staging.h"

namespace Cabinet {

namespace {

constexpr USHORT kAppliedAttributes = 0x27;  // read-only, hidden, system, archive
constexpr USHORT kAttributeUtc = 0x100;
constexpr size_t kDirectoryBuffer = 1000;

// Decodes into a buffer of 300 characters, doubled while too small for the bytes.
bool Decode(const char* text, bool utf8, CStrBufW& out) {
    size_t bytes = text ? strlen(text) : 0;
    size_t capacity = CStrBufW::kInitialCapacity;
    while (capacity < bytes) capacity *= 2;
    if (!out.Reserve(capacity)) return false;
    if (bytes == 0) {
        out.SetLength(0);
        return true;
    }
    if (utf8) {
        int n = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(bytes), out.Buffer(),
                                    static_cast<int>(out.Capacity()));
        out.SetLength(n > 0 ? static_cast<size_t>(n) : 0);
    } else {
        // Without the UTF-8 bit each byte is the code unit of the same value.
        wchar_t* p = out.Buffer();
        for (size_t i = 0; i < bytes; ++i) p[i] = static_cast<unsigned char>(text[i]);
        out.SetLength(bytes);
    }
    return true;
}

}  // namespace

void CExtract::SplitPath(const wchar_t* path, CStrBufW& directory, CStrBufW& name) {
    const wchar_t* last = wcsrchr(path, L'\\');
    if (!last) {
        directory.Empty();
        name.Assign(path);
        return;
    }
    directory.Assign(path, static_cast<size_t>(last - path) + 1);
    name.Assign(last + 1);
}

DWORD CExtract::CreateDirectoryPath(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;

    size_t length = wcslen(path);
    if (length >= kDirectoryBuffer) return ERROR_FILENAME_EXCED_RANGE;
    wchar_t parent[kDirectoryBuffer];
    wcscpy(parent, path);
    if (length > 1 && parent[length - 1] == L'\\') parent[--length] = 0;
    wchar_t* cut = wcsrchr(parent, L'\\');
    // A topmost component that does not exist has no parent to create.
    if (!cut) return ERROR_PATH_NOT_FOUND;
    *cut = 0;

    DWORD result = CreateDirectoryPath(parent);
    if (result) return result;
    if (!CreateDirectoryW(path, nullptr)) return GetLastError();
    return 0;
}

void CExtract::SetStoredTime(HANDLE file, USHORT date, USHORT time, USHORT attributes) {
    FILETIME stamp;
    if (!DosDateTimeToFileTime(date, time, &stamp)) return;
    FILETIME utc = stamp;
    if (!(attributes & kAttributeUtc)) LocalFileTimeToFileTime(&stamp, &utc);
    ::SetFileTime(file, &utc, nullptr, &utc);
}

void CExtract::SetStoredAttributes(const wchar_t* path, USHORT attributes) {
    // None of the applied bits set means a plain file; 0 would leave the
    // attributes the file was created with.
    DWORD applied = attributes & kAppliedAttributes;
    SetFileAttributesW(path, applied ? applied : FILE_ATTRIBUTE_NORMAL);
}

void CExtract::SetFileTimeAndAttributes(const wchar_t* path, USHORT date, USHORT time, USHORT attributes) {
    HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    SetStoredTime(file, date, time, attributes);
    CloseHandle(file);
    SetStoredAttributes(path, attributes);
}

INT_PTR CExtract::OnNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION notification) {
    if (m_Abort) return -1;
    switch (type) {
    case fdintCABINET_INFO: OnCabinetInfo(notification); return 0;
    case fdintPARTIAL_FILE: return 0;
    case fdintCOPY_FILE: return OnCopyFile(notification);
    case fdintCLOSE_FILE_INFO: return OnCloseFile(notification);
    case fdintNEXT_CABINET: return OnNextCabinet(notification);
    default: return 0;
    }
}

void CExtract::OnCabinetInfo(PFDINOTIFICATION n) {
    if (!m_Callbacks.CabinetOpened) return;
    CStrBufW path;
    if (!Decode(n->psz3, true, path)) throw std::bad_alloc();
    CabinetInfo info{n->psz1, n->psz2, path.Get(), n->setID, n->iCabinet};
    m_Callbacks.CabinetOpened(&info, m_UserParam);
    path.Wipe();
}

// A staged update removes again the folders it made, should it not stand.
bool CExtract::NoteNewFolders(const CStrBufW& targetDir) {
    if (!m_Staging || GetFileAttributesW(targetDir) != INVALID_FILE_ATTRIBUTES) return true;
    if (m_Staging->NoteNewFolders(targetDir.Get())) return true;
    RecordOutputFailure(m_Staging->LastFailure().error, m_Staging->LastFailure().path.c_str());
    return false;
}

INT_PTR CExtract::OnCopyFile(PFDINOTIFICATION n) {
    CStrBufW stored, subDir, name, targetDir, targetPath;
    if (!Decode(n->psz1, (n->attribs & _A_NAME_IS_UTF) != 0, stored)) throw std::bad_alloc();
    if (!IsContainedName(stored)) {
        m_Error.Record(kErrorTargetFile, ERROR_INVALID_NAME, stored);
        return -1;
    }
    SplitPath(stored, subDir, name);
    bool built = targetDir.Assign(m_TargetDir) && targetDir.Append(subDir) && targetPath.Assign(targetDir) &&
                 targetPath.Append(name);
    if (!built) throw std::bad_alloc();

    INT_PTR result = 0;
    bool wanted = true;
    if (m_Callbacks.BeforeCopy) {
        FileInfo info{name,       subDir,    stored, targetDir, targetPath, static_cast<int32_t>(n->cb),
                      FILETIME{}, n->attribs};
        DosDateTimeToFileTime(n->date, n->time, &info.Time);
        wanted = m_Callbacks.BeforeCopy(&info, m_UserParam) != 0;
    }
    if (!wanted) {
        result = 0;
    } else if (m_ToMemory) {
        // The whole file must fit after what is already in the buffer, and the buffer
        // stays addressable by the engine's 32-bit positions.
        const long size = n->cb;
        if (size < 0 || static_cast<uint64_t>(m_Memory.Length) + static_cast<uint64_t>(size) >
                            static_cast<uint64_t>(INT32_MAX)) {
            m_Error.Record(kErrorMemoryOverrun);
            result = -1;
        } else if (!m_Memory.Reserve(static_cast<uint32_t>(size))) {
            m_Error.Record(kErrorOutOfMemory, ERROR_NOT_ENOUGH_MEMORY);
            result = -1;
        } else {
            uint32_t candidate = 0xFF000000u;
            while (m_HandleMap.Contains(static_cast<INT_PTR>(candidate))) ++candidate;
            result = static_cast<INT_PTR>(candidate);
        }
    } else if (RefuseLink(targetPath) || !NoteNewFolders(targetDir)) {
        result = -1;
    } else {
        // Folders made now were not there to be checked: one may have become a
        // link before its file is opened.
        const bool making = GetFileAttributesW(targetDir) == INVALID_FILE_ATTRIBUTES;
        DWORD directoryError = CreateDirectoryPath(targetDir);
        ClearRuntimeFailure();
        result = making && RefuseLink(targetPath) ? -1 : OpenPartialFile(targetDir, targetPath);
        m_OutExpected = static_cast<uint32_t>(n->cb);
        if (!IsValidHandle(result)) {
            // A directory that could not be made is why its file could not be.
            RecordOutputFailure(directoryError ? directoryError : RuntimeFailure(ERROR_OPEN_FAILED),
                                targetPath);
            result = -1;
        }
    }
    stored.Wipe();
    subDir.Wipe();
    name.Wipe();
    targetDir.Wipe();
    targetPath.Wipe();
    return result;
}

INT_PTR CExtract::OnCloseFile(PFDINOTIFICATION n) {
    CStrBufW stored, targetPath;
    if (!Decode(n->psz1, (n->attribs & _A_NAME_IS_UTF) != 0, stored)) throw std::bad_alloc();
    if (!targetPath.Assign(m_TargetDir) || !targetPath.Append(stored)) throw std::bad_alloc();
    INT_PTR result = 1;
    if (!m_ToMemory) {
        // A library may close a file it could not write in full (a cut-off
        // cabinet, say): such a file must not get its date and look complete.
        const bool output = n->hf == m_hOutFile;
        const bool whole = !output || m_OutWritten == m_OutExpected;
        // Dated through the handle it was written with: no second open of the file.
        if (output && whole)
            SetStoredTime(reinterpret_cast<HANDLE>(_get_osfhandle(static_cast<int>(n->hf))), n->date, n->time,
                          n->attribs);
        if (CloseFile(n->hf) != 0) {
            result = -1;
        } else if (!whole) {
            AbandonOutputFile(FDIERROR_CORRUPT_CABINET, 0);
            result = -1;
        } else if (RefuseLink(m_OutPartial) || (!m_Staging && RefuseLink(targetPath))) {
            result = -1;  // a staged file's target is looked at when the commit acts on it
        } else {
            SetStoredAttributes(m_OutPartial, n->attribs);
            if (m_Staging) {
                m_Staging->Stage(m_OutPartial.Get(), m_OutPath.Get());
                m_OutPartial.Empty();  // the staging's now
            } else if (!PutPartialInPlace()) {
                result = -1;
            }
        }
    }
    if (result == 1 && m_Callbacks.AfterCopy)
        m_Callbacks.AfterCopy(targetPath, m_ToMemory ? &m_Memory : nullptr, m_UserParam);
    stored.Wipe();
    targetPath.Wipe();
    return result;
}

INT_PTR CExtract::OnNextCabinet(PFDINOTIFICATION n) {
    if (n->fdie != FDIERROR_NONE) {
        m_Error.Record(static_cast<int32_t>(n->fdie));
        return -1;
    }
    if (!Decode(n->psz1, true, m_CabinetName)) throw std::bad_alloc();
    if (m_Callbacks.NextCabinet) {
        CStrBufW path;
        if (!Decode(n->psz3, true, path)) throw std::bad_alloc();
        CabinetInfo info{n->psz1, n->psz2, path.Get(), n->setID, n->iCabinet};
        m_Callbacks.NextCabinet(&info, 0, m_UserParam);
        path.Wipe();
    }
    return 0;
}

}  // namespace Cabinet
