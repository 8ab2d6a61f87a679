#include "Staging.h"

#include <string>

#include "Files.h"
#include "Links.h"
#include "PartialFiles.h"
#include "Paths.h"
#include "Utf8.h"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

bool NoLink(const std::wstring& dir, const std::wstring& path) {
    return LinkOnPath(dir.c_str(), path.c_str()) == 0;
}

}  // namespace

CStaging::CStaging(const std::wstring& dir)
    : m_Dir(dir), m_AsideNumber(GetTickCount() ^ (GetCurrentProcessId() << 12)) {}

CStaging::~CStaging() {
    Rollback();
    if (m_hJournal != INVALID_HANDLE_VALUE) CloseHandle(m_hJournal);
}

bool CStaging::Fail(const std::wstring& path, DWORD error) {
    m_Failure.path = path;
    m_Failure.error = error ? error : ERROR_WRITE_FAULT;
    return false;
}

// Each change is in the journal before it is made: a change the journal does
// not hold was never begun. Lines wait in memory until a change needs them on
// disk; so a staged file's line goes with the next folder made, or with the
// commit's plan (a partial file the journal missed is swept by name).
void CStaging::Record(wchar_t kind, const std::wstring& from, const std::wstring& to) {
    m_Changes.push_back({kind, from, to});
    // The install directory itself holds the journal, so its making is not in
    // it: a run cut off then leaves an empty folder, which the next one uses.
    if (from.size() < m_Dir.size()) return;
    std::wstring line(1, kind);
    if (!from.empty()) line += L"\t" + from.substr(m_Dir.size());
    if (!to.empty()) line += L"\t" + to.substr(m_Dir.size());
    m_Pending += Utf8(line + L"\r\n");
}

bool CStaging::WriteJournal() {
    const std::wstring journal = m_Dir + kJournalFile;
    if (m_hJournal == INVALID_HANDLE_VALUE) {
        m_hJournal = CreateFileW(journal.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_hJournal == INVALID_HANDLE_VALUE) return Fail(journal, GetLastError());
    }
    DWORD written = 0;
    const bool whole =
        WriteFile(m_hJournal, m_Pending.data(), static_cast<DWORD>(m_Pending.size()), &written, nullptr) &&
        written == m_Pending.size();
    m_Pending.clear();
    return whole || Fail(journal, GetLastError());
}

bool CStaging::NoteNewFolders(const std::wstring& path) {
    std::vector<std::wstring> missing;
    std::wstring folder = path;
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    // The install directory (without its backslash) and the folders below it.
    while (folder.size() + 1 >= m_Dir.size() && !Exists(folder)) {
        missing.push_back(folder);
        folder = folder.substr(0, folder.find_last_of(L'\\'));
    }
    for (auto made = missing.rbegin(); made != missing.rend(); ++made) Record(L'D', *made);
    return missing.empty() || m_Pending.empty() || WriteJournal();
}

bool CStaging::MoveNow(const std::wstring& from, const std::wstring& to) {
    // Recorded only when it can happen: undoing it must never take a name that was there before.
    if (!Exists(from) || Exists(to)) return false;
    Record(L'M', from, to);
    return WriteJournal() && MoveFileExW(from.c_str(), to.c_str(), 0);
}

void CStaging::Stage(const std::wstring& partial, const std::wstring& target) {
    Record(L'S', partial, target);
    m_Plan.push_back({partial, target});
}

void CStaging::Retire(const std::wstring& path) { m_Plan.push_back({L"", path}); }

// Where an old file goes aside, in its own folder; empty when it stays: it is
// not there, or it is an obsolete file that is read-only (kept, as always), a
// folder or behind a link. A file to be replaced must be able to go.
bool CStaging::PlanAside(const std::wstring& path, bool required, std::wstring& aside) {
    aside.clear();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (!required && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) return true;
    // A folder where a file belongs is not put aside: it is named instead.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Fail(path, ERROR_ALREADY_EXISTS);
    if (const size_t link = LinkOnPath(m_Dir.c_str(), path.c_str())) {
        return !required || Fail(path.substr(0, link), kLinkError);
    }
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
    do {
        aside = folder + AsideFileName(m_AsideNumber++);
    } while (Exists(aside));
    return true;
}

bool CStaging::Commit() {
    // The plan is in the journal before the first file moves: every staged file
    // to its name, every obsolete file aside. What a step did shows on disk, so
    // each is undone or finished by what is there.
    std::vector<std::wstring> asides(m_Plan.size());
    for (size_t i = 0; i < m_Plan.size(); ++i) {
        const Planned& planned = m_Plan[i];
        if (!planned.partial.empty()) {
            Record(L'M', planned.partial, planned.target);
        } else if (PlanAside(planned.target, false, asides[i]) && !asides[i].empty()) {
            Record(L'M', planned.target, asides[i]);
        }
    }
    if (!WriteJournal()) return false;
    std::wstring aside;
    for (size_t i = 0; i < m_Plan.size(); ++i) {
        const Planned& planned = m_Plan[i];
        if (planned.partial.empty()) {
            // An obsolete file that cannot go stays, as it always has.
            if (!asides[i].empty()) MoveFileExW(planned.target.c_str(), asides[i].c_str(), 0);
            continue;
        }
        // A new file takes its name at once; an old one there goes aside first,
        // both moves in the journal before they are made.
        if (MoveFileExW(planned.partial.c_str(), planned.target.c_str(), 0)) continue;
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return Fail(planned.target, error);
        if (!PlanAside(planned.target, true, aside)) return false;
        Record(L'M', planned.target, aside);
        Record(L'M', planned.partial, planned.target);
        if (!WriteJournal()) return false;
        if (!MoveFileExW(planned.target.c_str(), aside.c_str(), 0)) {
            error = GetLastError();
            // A file another program holds open (or runs from) refuses the move
            // as access denied; the user is better told it is in use.
            if (error == ERROR_ACCESS_DENIED && !CanDeleteFile(planned.target.c_str()))
                error = ERROR_SHARING_VIOLATION;
            return Fail(planned.target, error);
        }
        if (!MoveFileExW(planned.partial.c_str(), planned.target.c_str(), 0))
            return Fail(planned.target, GetLastError());
    }
    Record(L'C', L"");
    return WriteJournal();
}

bool CStaging::Undo(const std::wstring& dir, const std::vector<Change>& changes, Failure& failure) {
    bool whole = true;
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        const std::wstring& from = change->from;
        const std::wstring& to = change->to;
        if (change->kind == L'M' && !Exists(from) && Exists(to)) {
            if (NoLink(dir, from) && NoLink(dir, to) && MoveFileExW(to.c_str(), from.c_str(), 0)) continue;
            if (whole) {
                failure.error = NoLink(dir, to) ? GetLastError() : kLinkError;
                failure.path = to;
            }
            whole = false;
        } else if (change->kind == L'S' && Exists(from) && NoLink(dir, from)) {
            DeleteOwnFile(from);
        } else if (change->kind == L'D' && NoLink(dir, from)) {
            RemoveDirectoryW(from.c_str());  // only when empty: anything else there stays
        }
    }
    return whole;
}

// A complete commit has put every staged file in place: only the moved-aside
// ones are left. One still in use (an uninstaller that was started from the
// file an update replaced, say) goes at the next restart.
void CStaging::Complete(const std::wstring& dir, const std::vector<Change>& changes) {
    for (const Change& change : changes) {
        if (change.kind == L'M' && IsAsideFileName(NameOf(change.to).c_str()) && NoLink(dir, change.to) &&
            !DeleteOwnFile(change.to) && GetLastError() != ERROR_FILE_NOT_FOUND)
            MoveFileExW(change.to.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
}

void CStaging::Rollback() {
    if (m_Changes.empty()) return;
    Failure failure;
    const bool whole = Undo(m_Dir, m_Changes, failure);
    if (m_hJournal != INVALID_HANDLE_VALUE) CloseHandle(m_hJournal);
    m_hJournal = INVALID_HANDLE_VALUE;
    // What could not be put back stays in the journal for the next run. The
    // install directory, where this run made it, goes last: the journal was in it.
    if (whole) {
        DeleteFileW((m_Dir + kJournalFile).c_str());
        const Change& first = m_Changes.front();
        if (first.kind == L'D' && first.from.size() < m_Dir.size()) RemoveDirectoryW(first.from.c_str());
    }
    m_Changes.clear();
    m_Plan.clear();
    m_Pending.clear();
}

void CStaging::Finish() {
    if (m_Changes.empty()) return;
    Complete(m_Dir, m_Changes);
    if (m_hJournal != INVALID_HANDLE_VALUE) CloseHandle(m_hJournal);
    m_hJournal = INVALID_HANDLE_VALUE;
    DeleteFileW((m_Dir + kJournalFile).c_str());
    m_Changes.clear();
    m_Plan.clear();
    m_Pending.clear();
}

int CStaging::Recover(const std::wstring& dir, Failure& failure) {
    const std::wstring journal = dir + kJournalFile;
    HANDLE file = CreateFileW(journal.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
    CloseHandle(file);

    std::vector<Change> changes;
    bool committed = false;
    // A line without its end was being written when the run stopped: its change never began.
    for (size_t at = 0, end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2) {
        const std::wstring line = FromUtf8(bytes.substr(at, end - at));
        if (line == L"C") committed = true;
        if (line.size() < 3 || line[1] != L'\t') continue;
        const size_t tab = line.find(L'\t', 2);
        const std::wstring from = line.substr(2, tab == std::wstring::npos ? tab : tab - 2);
        const std::wstring to = tab == std::wstring::npos ? L"" : line.substr(tab + 1);
        // Only names inside the install directory are acted on.
        if (!IsContainedName(from.c_str()) || (!to.empty() && !IsContainedName(to.c_str()))) continue;
        changes.push_back({line[0], dir + from, to.empty() ? L"" : dir + to});
    }
    if (committed) {
        Complete(dir, changes);
    } else if (!Undo(dir, changes, failure)) {
        return -1;
    }
    DeleteFileW(journal.c_str());
    return static_cast<int>(changes.size());
}
