#pragma once
// An update that is whole or not at all. Every new file is first written in
// full under a partial name beside its target (staged). Only when all are
// staged are they put in place (the commit): each old file is moved aside to
// "~Vantrelle-XXXXXXXX.old" in its folder, then the new one takes its name;
// obsolete files are moved aside the same way. Until the update is finished,
// every change can be undone in reverse order, and the moved-aside files are
// deleted only then.
//
// Each change is written to a journal in the install directory before it is
// made, so the next run can undo what a run cut off hard (power, Task Manager)
// left, or finish it when its commit was complete. The journal is written, not
// forced to the disk: a killed process loses nothing of it, and forcing it
// would force every staged file with it. The journal is one line a
// change, UTF-8, paths relative to the install directory:
//   "D\tFOLDER"        a folder made
//   "S\tPARTIAL\tFILE" a file staged under a partial name
//   "M\tFROM\tTO"      a file or folder moved (to its new name, or aside)
//   "C"                the commit is complete
#include <windows.h>

#include <string>
#include <vector>

// ERROR_STOPPED_ON_SYMLINK, which mingw-w64's headers lack: a link on the way.
inline constexpr DWORD kLinkError = 681;

// The journal's name in the install directory.
inline constexpr wchar_t kJournalFile[] = L"~Vantrelle-journal.dat";

class CStaging {
public:
    // `dir` is the install directory, ending in a backslash.
    explicit CStaging(const std::wstring& dir);
    // What was neither finished nor undone is undone.
    ~CStaging();
    CStaging(const CStaging&) = delete;
    CStaging& operator=(const CStaging&) = delete;

    // Notes the folders of `path` that do not exist yet, the install directory
    // itself included, before the caller makes them, so that undoing removes
    // them again.
    bool NoteNewFolders(const std::wstring& path);
    // Moves a file or folder now (a folder of an older release to its new name);
    // undone with the rest. False when it did not move.
    bool MoveNow(const std::wstring& from, const std::wstring& to);
    // A whole, closed file under its partial name, to take `target`'s place.
    void Stage(const std::wstring& partial, const std::wstring& target);
    // An obsolete file, moved aside by the commit (a read-only one stays).
    void Retire(const std::wstring& path);

    // Puts every staged file in place and retires the obsolete ones. On a
    // failure nothing is undone yet: Failure() names the file and the reason.
    bool Commit();
    // Undoes every change, newest first, and removes the staged files.
    void Rollback();
    // Deletes the moved-aside files and the journal: the update stands.
    void Finish();

    struct Failure {
        std::wstring path;
        DWORD error = 0;  // kLinkError: `path` is a link
    };
    const Failure& LastFailure() const { return m_Failure; }

    // Puts back into one consistent state what a run cut off in `dir` left:
    // undone, or finished when its commit was complete. Returns how many changes
    // were found; -1, with Failure(), when they could not all be undone (the
    // journal then stays for another try).
    static int Recover(const std::wstring& dir, Failure& failure);

private:
    struct Change {
        wchar_t kind;  // D, S, M or C, as in the journal
        std::wstring from, to;
    };
    struct Planned {
        std::wstring partial, target;  // no partial: an obsolete file to retire
    };

    void Record(wchar_t kind, const std::wstring& from, const std::wstring& to = L"");
    bool WriteJournal();
    bool PlanAside(const std::wstring& path, bool required, std::wstring& aside);
    bool Fail(const std::wstring& path, DWORD error);
    static bool Undo(const std::wstring& dir, const std::vector<Change>& changes, Failure& failure);
    static void Complete(const std::wstring& dir, const std::vector<Change>& changes);

    std::wstring m_Dir;
    HANDLE m_hJournal = INVALID_HANDLE_VALUE;
    std::string m_Pending;          // journal lines not yet written
    std::vector<Change> m_Changes;  // made and neither finished nor undone
    std::vector<Planned> m_Plan;
    Failure m_Failure;
    uint32_t m_AsideNumber;
};
