// The file commands on Wine's real files and registry: files kept in use by
// another process, read-only files, one file under several names, wildcard
// deletions, names in several scripts. The stored list is read with the
// registry API directly.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

#include "common/utf16_text.h"
#include "registry/RegistryRoutines.h"
#include "scheduler/file_commands.h"
#include "scheduler/refusal_text.h"
#include "common/unique_handle.h"
#include "tests/wine/held_file.h"
#include "tests/wine/real_registry_test.h"
#include "tests/wine/test_files.h"
#include "tests/wine/wine_registry_fixture.h"

namespace pendrix::wine {
namespace {

const wchar_t kRoot[] = L"C:\\pendrix_file_tests";

class FileCommandsOnWine : public ::testing::Test {
protected:
    FileCommandsOnWine() {
        CreateDirectoryW(kRoot, nullptr);
        RemoveFolder(folder);
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    ~FileCommandsOnWine() override { RemoveFolder(folder); }

    std::wstring Path(const std::wstring& name) const { return folder + L"\\" + name; }
    std::wstring StoredW() const { return WideText(ReadRawW(key, L"PendingFileRenameOperations")); }
    FileCommands& Launch() {
        commands = std::make_unique<FileCommands>(registry, SystemFileSystemApi(), SystemListLock(),
                                                  PendingRenameList(registry).Read(),
                                                  PendingRenameList(registry, kPendingValue2Name).Read());
        return *commands;
    }

    std::wstring folder = std::wstring(kRoot) + L"\\" +
                          std::wstring(Widen(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    ClearedPendingValue pending;
    HKEY& key = pending.key;
    RegistryRoutines registry;
    std::unique_ptr<FileCommands> commands;
};

struct ReplaceRow {
    const char* name;
    std::function<std::unique_ptr<HeldFile>(FileCommandsOnWine&)> arrange;
    CommandOutcome outcome;
    const char* destinationAfter;  // nullptr: absent
    DWORD attributesAfter = FILE_ATTRIBUTE_ARCHIVE;
    bool movedAsIs = false;  // scheduled: the source itself, not a copy staged beside the destination
};

TEST_F(FileCommandsOnWine, ReplaceKeepsTheDestinationUnlessItIsReplaced) {
    const std::wstring source = Path(L"новый файл.dll");
    const std::wstring destination = Path(L"旧 library.dll");
    const std::wstring link = Path(L"hard link.dll");
    auto hold = [](const std::wstring& path, bool exclusive) { return std::make_unique<HeldFile>(path, exclusive); };
    auto attributes = [&](DWORD set) {
        return [&, set](FileCommandsOnWine&) {
            SetFileAttributesW(destination.c_str(), set);
            return std::unique_ptr<HeldFile>();
        };
    };
    const DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    const ReplaceRow rows[] = {
        {"free destination", [](FileCommandsOnWine&) { return nullptr; }, CommandOutcome::DoneNow, "new"},
        {"destination in use", [&](FileCommandsOnWine&) { return hold(destination, false); },
         CommandOutcome::Scheduled, "old"},
        // Replaced at once, and read-only again.
        {"destination read-only", attributes(FILE_ATTRIBUTE_READONLY), CommandOutcome::DoneNow, "new",
         FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE},
        // ReplaceFileW alone would drop these.
        {"hidden system destination", attributes(kHiddenSystem), CommandOutcome::DoneNow, "new", kHiddenSystem},
        {"destination absent",
         [&](FileCommandsOnWine&) {
             DeleteFileW(destination.c_str());
             return nullptr;
         },
         CommandOutcome::Scheduled, nullptr},
        // The copy staged takes the destination's attributes, not the source's.
        {"hidden system destination in use",
         [&](FileCommandsOnWine& test) {
             attributes(kHiddenSystem)(test);
             return hold(destination, false);
         },
         CommandOutcome::Scheduled, "old", kHiddenSystem},
        {"source locked", [&](FileCommandsOnWine&) { return hold(source, true); }, CommandOutcome::Scheduled, "old",
         FILE_ATTRIBUTE_ARCHIVE, true},
    };
    for (const ReplaceRow& row : rows) {
        SCOPED_TRACE(row.name);
        RemoveFolder(folder);
        CreateDirectoryW(folder.c_str(), nullptr);
        RegDeleteValueA(key, kPendingValueName);
        WriteFile(source, "new");
        WriteFile(destination, "old");
        const std::unique_ptr<HeldFile> held = row.arrange(*this);
        if (held) {
            ASSERT_TRUE(held->Holding());
        }

        const CommandResult result = Launch().Replace(Narrow(source), Narrow(destination), true);
        EXPECT_EQ(result.outcome, row.outcome);
        const std::optional<std::string> after = ReadFile(destination);
        EXPECT_EQ(after.has_value(), row.destinationAfter != nullptr);
        if (after && row.destinationAfter) {
            EXPECT_EQ(*after, row.destinationAfter);
            EXPECT_EQ(GetFileAttributesW(destination.c_str()), row.attributesAfter);
        }
        // Nothing of the attempt is left behind: the two files, and the copy staged for the restart.
        const bool staged = row.outcome == CommandOutcome::Scheduled && !row.movedAsIs;
        for (const std::wstring& name : FolderContents(folder)) {
            EXPECT_TRUE(name == L"новый файл.dll" || name == L"旧 library.dll" ||
                        (staged && name == L"旧 library.dll.pendrix-new-1"))
                << Narrow(name);
        }
        if (row.outcome == CommandOutcome::Scheduled) {
            const std::wstring installed = staged ? destination + L".pendrix-new-1" : source;
            if (staged) {
                EXPECT_EQ(ReadFile(installed), "new");
            }
            // Wine keeps no owner or rules of files of its own (it derives
            // them from Linux's): those of the copy are shown by the stand-in.
            if (staged && row.destinationAfter) {
                EXPECT_EQ(GetFileAttributesW(installed.c_str()), row.attributesAfter);
            }
            EXPECT_EQ(StoredW(), L"\\??\\" + installed + std::wstring(1, L'\0') + L"!\\??\\" + destination +
                                     std::wstring(2, L'\0'));
        } else {
            EXPECT_EQ(ReadRawW(key, L"PendingFileRenameOperations").status, ERROR_FILE_NOT_FOUND);
        }
        SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
    }

    // A second name of the destination sees the new content: the file
    // itself is written, not swapped for another.
    WriteFile(source, "newer");
    SetFileAttributesW(destination.c_str(), kHiddenSystem);
    ASSERT_TRUE(CreateHardLinkW(link.c_str(), destination.c_str(), nullptr));
    EXPECT_EQ(Launch().Replace(Narrow(source), Narrow(destination), true).outcome, CommandOutcome::DoneNow);
    EXPECT_EQ(ReadFile(destination), "newer");
    EXPECT_EQ(ReadFile(link), "newer");
    EXPECT_EQ(GetFileAttributesW(destination.c_str()), kHiddenSystem);
    EXPECT_EQ(FolderContents(folder), (std::vector<std::wstring>{L"hard link.dll", L"новый файл.dll", L"旧 library.dll"}));
}

// What can never be carried out is refused, and nothing changes: not the
// list another program wrote, not a file.
TEST_F(FileCommandsOnWine, ARefusalLeavesTheListAndTheFilesAsTheyWere) {
    const std::wstring list = W(L"\\??\\C:\\other\\a.dll\0!\\??\\C:\\other\\b.dll\0\0");
    ASSERT_EQ(WriteRawW(key, L"PendingFileRenameOperations", REG_MULTI_SZ, list), ERROR_SUCCESS);
    WriteFile(Path(L"file.txt"), "content");
    CreateDirectoryW(Path(L"folder").c_str(), nullptr);
    WriteFile(Path(L"folder\\inside.txt"), "inside");
    const std::string file = Narrow(Path(L"file.txt"));
    const std::string sub = Narrow(Path(L"folder"));
    struct Refused {
        std::function<CommandResult(FileCommands&)> run;
        std::int32_t status;
    };
    const Refused refusals[] = {
        // The source is the destination's own folder: it would become a file.
        {[&](FileCommands& c) { return c.Replace(sub, sub + "\\inside.txt", true); }, kErrorDirectoryNotSupported},
        {[&](FileCommands& c) { return c.Replace(sub + "\\missing.txt", file, true); }, ERROR_FILE_NOT_FOUND},
        {[&](FileCommands& c) { return c.Replace(file, Narrow(Path(L"a<b>.txt")), false); }, ERROR_INVALID_NAME},
        {[&](FileCommands& c) { return c.Delete(Narrow(Path(L"missing.txt")), true); }, ERROR_FILE_NOT_FOUND},
        {[&](FileCommands& c) { return c.Delete(sub, false); }, ERROR_DIR_NOT_EMPTY},
        {[&](FileCommands& c) { return c.Delete(Narrow(Path(L"*.bak")), false); }, ERROR_FILE_NOT_FOUND},
        {[&](FileCommands& c) { return c.Delete(file + ":*", true); }, ERROR_INVALID_NAME},
        {[&](FileCommands& c) { return c.Delete("\\\\.\\C:", true); }, ERROR_BAD_PATHNAME},
        {[&](FileCommands& c) { return c.Delete("\\\\?\\C:", true); }, ERROR_BAD_PATHNAME},
        {[&](FileCommands& c) { return c.Delete("\\\\.\\PhysicalDrive0", true); }, ERROR_BAD_PATHNAME},
    };
    for (const Refused& refused : refusals) {
        const CommandResult result = refused.run(Launch());
        EXPECT_EQ(result.outcome, CommandOutcome::Refused) << result.subjectName;
        EXPECT_EQ(result.status, refused.status) << result.subjectName;
        EXPECT_TRUE(result.deletedNow.empty());
        EXPECT_EQ(StoredW(), list);
        EXPECT_EQ(ReadFile(Path(L"file.txt")), "content");
        EXPECT_EQ(ReadFile(Path(L"folder\\inside.txt")), "inside");
        EXPECT_EQ(FolderContents(folder), (std::vector<std::wstring>{L"file.txt", L"folder"}));
    }
}

// FindFirstFileW matches a pattern against the short names too: here Wine
// gives "x.html" the short name "X~~~~NAP.HTM" (or the like), which "*.htm"
// matches. Only a long name that matches counts.
TEST_F(FileCommandsOnWine, APatternSelectsFilesByTheirLongNamesOnly) {
    const wchar_t* const names[] = {L"keep.htmlx", L"report.htm_old", L"x.html", L"y.htm", L"z.txt"};
    for (const wchar_t* name : names) WriteFile(Path(name), "x");
    WIN32_FIND_DATAW found{};
    int matchedHere = 0;
    UniqueFindHandle search(FindFirstFileW(Path(L"*.htm").c_str(), &found));
    for (bool more = static_cast<bool>(search); more; more = FindNextFileW(search.Get(), &found)) ++matchedHere;
    ASSERT_GT(matchedHere, 1) << "the short names are not matched here: the test shows nothing";

    const CommandResult scheduled = Launch().Delete(Narrow(Path(L"*.htm")), false);
    EXPECT_EQ(scheduled.outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(StoredW(), L"\\??\\" + Path(L"y.htm") + std::wstring(3, L'\0'));
    EXPECT_EQ(FolderContents(folder), std::vector<std::wstring>(std::begin(names), std::end(names)));

    RegDeleteValueA(key, kPendingValueName);
    const CommandResult now = Launch().Delete(Narrow(Path(L"*.htm")), true);
    EXPECT_EQ(now.outcome, CommandOutcome::DoneNow);
    EXPECT_EQ(now.deletedNow, std::vector<std::string>{Narrow(Path(L"y.htm"))});
    EXPECT_EQ(FolderContents(folder),
              (std::vector<std::wstring>{L"keep.htmlx", L"report.htm_old", L"x.html", L"z.txt"}));
    EXPECT_EQ(ReadRawW(key, L"PendingFileRenameOperations").status, ERROR_FILE_NOT_FOUND);
}

// Beyond MAX_PATH, where the temporary file's name once overflowed a fixed
// buffer: the replacement works, the list gets the whole name, and no
// temporary file stays.
TEST_F(FileCommandsOnWine, LongPathsWorkAndLeaveNothingBehind) {
    const std::wstring outer = Path(std::wstring(120, L'a'));
    const std::wstring deep = outer + L"\\" + std::wstring(130, L'b');
    ASSERT_GE(deep.size(), 262u);
    ASSERT_TRUE(CreateDirectoryW(outer.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(AnyLength(deep).c_str(), nullptr));
    const std::wstring source = deep + L"\\new.dll";
    const std::wstring destination = deep + L"\\lib.dll";
    WriteFile(source, "new");
    WriteFile(destination, "old");

    EXPECT_EQ(Launch().Replace(Narrow(source), Narrow(destination), true).outcome, CommandOutcome::DoneNow);
    EXPECT_EQ(ReadFile(destination), "new");
    EXPECT_EQ(FolderContents(deep), (std::vector<std::wstring>{L"lib.dll", L"new.dll"}));
    {
        const HeldFile held(destination);
        ASSERT_TRUE(held.Holding());
        WriteFile(source, "newer");
        const CommandResult scheduled = Launch().Replace(Narrow(source), Narrow(destination), true);
        EXPECT_EQ(scheduled.outcome, CommandOutcome::Scheduled) << RefusalReason(scheduled);
        EXPECT_EQ(StoredW(), L"\\??\\" + destination + L".pendrix-new-1" + std::wstring(1, L'\0') + L"!\\??\\" +
                                 destination + std::wstring(2, L'\0'));
        EXPECT_EQ(ReadFile(destination), "new");
    }
    EXPECT_EQ(FolderContents(deep), (std::vector<std::wstring>{L"lib.dll", L"lib.dll.pendrix-new-1", L"new.dll"}));
    EXPECT_TRUE(DeleteFileW(AnyLength(destination + L".pendrix-new-1").c_str()));
    RegDeleteValueA(key, kPendingValueName);
    EXPECT_EQ(Launch().Delete(Narrow(deep + L"\\*.dll"), true).outcome, CommandOutcome::DoneNow);
    EXPECT_TRUE(FolderContents(deep).empty());
}

TEST_F(FileCommandsOnWine, ADestinationWhoseTemporaryNameJustFitsIsReplaced) {
    // GetTempFileNameW takes a folder of up to MAX_PATH - 14 characters: the
    // name it makes there ("\\pdxXXXX.tmp") fills MAX_PATH with its NUL.
    const std::wstring deep = folder + L"\\" + std::wstring(MAX_PATH - 14 - folder.size() - 1, L'd');
    RemoveFolder(deep);  // left by a run that ended on the way
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    const std::wstring destination = deep + L"\\x";
    WriteFile(Path(L"new"), "new");
    WriteFile(destination, "old");
    EXPECT_EQ(Launch().Replace(Narrow(Path(L"new")), Narrow(destination), true).outcome, CommandOutcome::DoneNow);
    EXPECT_EQ(ReadFile(destination), "new");
    EXPECT_EQ(FolderContents(deep), std::vector<std::wstring>{L"x"}) << "no temporary file left";
    RemoveFolder(deep);
}

TEST_F(FileCommandsOnWine, OneFileUnderAnotherNameIsNotReplacedByItself) {
    const std::wstring file = Path(L"A Long Library Name.dll");
    WriteFile(file, "only copy");
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameW(file.c_str(), shortName, MAX_PATH), 0u);
    const std::wstring link = Path(L"hard link.dll");
    ASSERT_TRUE(CreateHardLinkW(link.c_str(), file.c_str(), nullptr));
    SetCurrentDirectoryW(folder.c_str());

    for (const std::wstring& other : {std::wstring(shortName), Path(L"a long LIBRARY name.DLL"),
                                      std::wstring(L"A Long Library Name.dll"), link}) {
        SCOPED_TRACE(Narrow(other));
        EXPECT_EQ(Launch().Replace(Narrow(file), Narrow(other), true).outcome, CommandOutcome::SameFile);
        EXPECT_EQ(ReadFile(file), "only copy");
        EXPECT_EQ(ReadRawW(key, L"PendingFileRenameOperations").status, ERROR_FILE_NOT_FOUND);
    }
    SetCurrentDirectoryW(kRoot);
}

TEST_F(FileCommandsOnWine, APatternSchedulesWhatItCouldNotDeleteByFullName) {
    for (const wchar_t* name : {L"a.tmp", L"b.tmp", L"c.tmp", L"keep.log"}) WriteFile(Path(name), "x");
    {
        const HeldFile held(Path(L"b.tmp"));
        ASSERT_TRUE(held.Holding());
        SetCurrentDirectoryW(kRoot);
        const std::string relative = Narrow(folder.substr(std::wstring(kRoot).size() + 1)) + "\\*.tmp";
        const CommandResult result = Launch().Delete(relative, true);
        EXPECT_EQ(result.outcome, CommandOutcome::Scheduled);
        EXPECT_EQ(FolderContents(folder), (std::vector<std::wstring>{L"b.tmp", L"keep.log"}));
        EXPECT_EQ(StoredW(), L"\\??\\" + Path(L"b.tmp") + std::wstring(3, L'\0'));
    }
    // With nothing in use, the pattern goes at once and the list is untouched.
    RegDeleteValueA(key, kPendingValueName);
    EXPECT_EQ(Launch().Delete(Narrow(Path(L"*.tmp")), true).outcome, CommandOutcome::DoneNow);
    EXPECT_EQ(FolderContents(folder), std::vector<std::wstring>{L"keep.log"});
    EXPECT_EQ(ReadRawW(key, L"PendingFileRenameOperations").status, ERROR_FILE_NOT_FOUND);
}

// Cancel All gives back exactly the bytes found at start, whatever form
// another program stored (with RegSetValueExW, unit for unit), in either
// value; the value this session did not write stays as it is.
TEST_F(FileCommandsOnWine, CancelAllGivesBackExactlyTheBytesFoundAtStart) {
    const std::wstring nul(1, L'\0');
    const std::wstring pair = L"\\??\\C:\\a.txt" + nul + L"!\\??\\C:\\b.txt";
    const std::wstring forms[] = {
        pair,                                                                  // no closing NUL
        pair + nul,                                                            // one
        pair + nul + nul,                                                      // two
        pair + nul + nul + nul + nul,                                          // surplus
        L"\\??\\C:\\a" + nul + nul + nul + L"\\??\\C:\\c" + nul + nul + nul,  // an empty string inside
        L"\\??\\C:\\\xD800x" + nul + L"!\\??\\C:\\\xDC00\xDBFF" + nul + nul,   // lone surrogates
        L"",                                                                   // no data
    };
    const std::wstring other = L"*1\\??\\C:\\other" + nul + nul + nul;
    WriteFile(Path(L"e.log"), "x");
    WriteFile(Path(L"new.dll"), "new");
    WriteFile(Path(L"held.dll"), "old");
    const HeldFile held(Path(L"held.dll"));
    ASSERT_TRUE(held.Holding());
    // Each way a command schedules: a deletion, a replacement from a staged
    // copy, a replacement from a source moved as it is.
    const std::function<CommandResult(FileCommands&)> schedules[] = {
        [&](FileCommands& run) { return run.Delete(Narrow(Path(L"e.log")), false); },
        [&](FileCommands& run) { return run.Replace(Narrow(Path(L"new.dll")), Narrow(Path(L"held.dll")), true); },
        [&](FileCommands& run) {
            const HeldFile locked(Path(L"new.dll"), true);
            return run.Replace(Narrow(Path(L"new.dll")), Narrow(Path(L"held.dll")), false);
        },
    };
    const std::wstring names[] = {L"PendingFileRenameOperations", L"PendingFileRenameOperations2"};
    for (std::size_t written = 0; written < 2; ++written)
      for (const auto& schedule : schedules) {
        for (const std::wstring& form : forms) {
            SCOPED_TRACE(::testing::PrintToString(Narrow(names[written])) + " " +
                         ::testing::PrintToString(form.size()) + " way " +
                         std::to_string(&schedule - schedules));
            for (const std::wstring& name : names) RegDeleteValueW(key, name.c_str());
            ASSERT_EQ(WriteExactW(key, names[written], REG_MULTI_SZ, form), ERROR_SUCCESS);
            // The first value, when the second is written, holds another
            // program's entry: it is neither appended to nor rewritten.
            if (written == 1) {
                ASSERT_EQ(WriteExactW(key, names[0], REG_MULTI_SZ, other), ERROR_SUCCESS);
            }
            const RawValue before = ReadRawW(key, names[written]);
            ASSERT_EQ(before.bytes.size(), form.size() * sizeof(wchar_t));
            Launch();
            EXPECT_EQ(schedule(*commands).outcome, CommandOutcome::Scheduled);
            EXPECT_NE(ReadRawW(key, names[written]).bytes, before.bytes) << "appended to the value that runs last";
            EXPECT_TRUE(commands->CancelAll().reversed);
            const RawValue after = ReadRawW(key, names[written]);
            EXPECT_EQ(after.type, DWORD{REG_MULTI_SZ});
            EXPECT_EQ(after.bytes, before.bytes);
            if (written == 1) {
                EXPECT_EQ(WideText(ReadRawW(key, names[0])), other);
            } else {
                EXPECT_EQ(ReadRawW(key, names[1]).status, ERROR_FILE_NOT_FOUND);
            }
        }
      }
    for (const std::wstring& name : names) RegDeleteValueW(key, name.c_str());
}

}  // namespace
}  // namespace pendrix::wine
