// What the next run makes of the journal an update cut off hard left behind,
// against the real file system: undone, or finished once its commit was
// complete; never acted on through a name outside the install directory.
#include "Staging.h"

#include <map>
#include <string>

#include "TestSupport.h"

namespace {

std::string Read(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[256];
    DWORD got = 0;
    ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(file);
    return std::string(buffer, got);
}

TEST(StagingRecover, UndoesAnUnfinishedCommitAndFinishesACompleteOne) {
    const std::string staged = "S\tsub\\~Vantrelle-00000001.tmp\tsub\\a.txt\r\n",
                      aside = "M\tsub\\a.txt\tsub\\~Vantrelle-00000002.old\r\n",
                      placed = "M\tsub\\~Vantrelle-00000001.tmp\tsub\\a.txt\r\n";
    const char* const kNone = "<missing>";
    const struct {
        const char* what;
        std::string journal;
        const char* before[3];  // sub\a.txt, its partial file, its moved-aside file
        const char* after[3];
        int changes;  // what Recover reports
    } cases[] = {
        {"cut in the commit", staged + aside + placed, {"new", kNone, "old"}, {"old", kNone, kNone}, 3},
        {"commit complete",
         staged + aside + placed + "C\r\n",
         {"new", kNone, "old"},
         {"new", kNone, kNone},
         3},
        // The change being written when the run stopped never began.
        {"last line cut",
         staged + aside + "M\tsub\\~Vantrelle-0",
         {kNone, "new", "old"},
         {"old", kNone, kNone},
         2},
        {"cut while staging", staged, {"old", "new", kNone}, {"old", kNone, kNone}, 1},
        // A name outside the install directory is never acted on.
        {"outside",
         "S\t..\\outside.txt\tsub\\a.txt\r\nM\tsub\\a.txt\t..\\outside.txt\r\n",
         {kNone, kNone, kNone},
         {kNone, kNone, kNone},
         0},
    };
    const wchar_t* const names[] = {L"sub\\a.txt", L"sub\\~Vantrelle-00000001.tmp",
                                    L"sub\\~Vantrelle-00000002.old"};
    for (const auto& c : cases) {
        CScratchFolder scratch;
        const std::wstring dir = scratch.Path(L"dir\\");
        CreateDirectoryW(dir.c_str(), nullptr);
        CreateDirectoryW((dir + L"sub").c_str(), nullptr);
        for (int i = 0; i < 3; ++i) {
            if (std::string(c.before[i]) != kNone) WriteTextFile(dir + names[i], c.before[i]);
        }
        // The old file may be read-only: it goes back as it was.
        SetFileAttributesW((dir + names[2]).c_str(), FILE_ATTRIBUTE_READONLY);
        WriteTextFile(scratch.Path(L"outside.txt"), "outside");
        WriteTextFile(dir + kJournalFile, c.journal.c_str());
        CStaging::Failure failure;
        EXPECT_EQ(c.changes, CStaging::Recover(dir, failure)) << c.what;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(c.after[i], Read(dir + names[i])) << c.what << ": " << names[i];
        EXPECT_EQ("outside", Read(scratch.Path(L"outside.txt"))) << c.what;
        EXPECT_EQ(kNone, Read(dir + kJournalFile)) << c.what;
        SetFileAttributesW((dir + names[0]).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

}  // namespace
