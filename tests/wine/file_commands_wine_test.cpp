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
#include "tests/wine/held_file.h"
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
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegDeleteValueA(key, kPendingValueName);
    }
    ~FileCommandsOnWine() override {
        // A list left behind would be carried out by the next Wine session.
        RegDeleteValueA(key, kPendingValueName);
        RegCloseKey(key);
        RemoveFolder(folder);
    }

    std::wstring Path(const std::wstring& name) const { return folder + L"\\" + name; }
    std::wstring StoredW() const { return WideText(ReadRawW(key, L"PendingFileRenameOperations")); }
    FileCommands& Launch() {
        commands = std::make_unique<FileCommands>(registry, SystemFileSystemApi(), PendingRenameList(registry).Read());
        return *commands;
    }

    std::wstring folder = std::wstring(kRoot) + L"\\" +
                          std::wstring(Widen(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    HKEY key = nullptr;
    RegistryRoutines registry;
    std::unique_ptr<FileCommands> commands;
};

struct ReplaceRow {
    const char* name;
    std::function<std::unique_ptr<HeldFile>(FileCommandsOnWine&)> arrange;
    CommandOutcome outcome;
    const char* destinationAfter;  // nullptr: absent
};

TEST_F(FileCommandsOnWine, ReplaceKeepsTheDestinationUnlessItIsReplaced) {
    const std::wstring source = Path(L"новый файл.dll");
    const std::wstring destination = Path(L"旧 library.dll");
    auto hold = [](const std::wstring& path, bool exclusive) { return std::make_unique<HeldFile>(path, exclusive); };
    const ReplaceRow rows[] = {
        {"free destination", [](FileCommandsOnWine&) { return nullptr; }, CommandOutcome::DoneNow, "new"},
        {"destination in use", [&](FileCommandsOnWine&) { return hold(destination, false); },
         CommandOutcome::Scheduled, "old"},
        {"destination read-only",
         [&](FileCommandsOnWine&) {
             SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_READONLY);
             return nullptr;
         },
         CommandOutcome::Scheduled, "old"},
        {"destination absent",
         [&](FileCommandsOnWine&) {
             DeleteFileW(destination.c_str());
             return nullptr;
         },
         CommandOutcome::Scheduled, nullptr},
        {"source absent",
         [&](FileCommandsOnWine&) {
             DeleteFileW(source.c_str());
             return nullptr;
         },
         CommandOutcome::Scheduled, "old"},
        {"source locked", [&](FileCommandsOnWine&) { return hold(source, true); }, CommandOutcome::Scheduled, "old"},
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
        }
        // Nothing of the attempt is left behind: just the two files.
        for (const std::wstring& name : FolderContents(folder)) {
            EXPECT_TRUE(name == L"новый файл.dll" || name == L"旧 library.dll") << Narrow(name);
        }
        if (row.outcome == CommandOutcome::Scheduled) {
            EXPECT_EQ(StoredW(), L"\\??\\" + source + std::wstring(1, L'\0') + L"!\\??\\" + destination +
                                     std::wstring(2, L'\0'));
        } else {
            EXPECT_EQ(ReadRawW(key, L"PendingFileRenameOperations").status, ERROR_FILE_NOT_FOUND);
        }
        SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
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

}  // namespace
}  // namespace pendrix::wine
