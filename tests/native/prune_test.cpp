// prune and status through the console tool's commands over the stand-ins:
// only the entries with no effect go, after a backup that holds the value as
// it was; a backup that exists is never overwritten; a change between the
// backup and the write leaves the list as the other program wrote it; and
// every JSON document carries the exit code.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/json_reader.h"
#include "common/pendrix_error.h"
#include "registry/reg_file.h"
#include "registry/registry_constants.h"
#include "scheduler/pending_prune.h"
#include "tests/common/literal_text.h"
#include "tests/native/cli_test_support.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using testing::FakeFileSystem;
using testing::FakeListLock;
using testing::FakeRegistry;

using ::pendrix::testing::kSessionManager;
const std::string kBackup = "C:\\b\\backup.reg";
// 1: a deletion of a file that is gone; 2: a replacement that takes
// effect; 3: a rename whose source is gone; 4: a deletion never reached.
const std::string kList = S("\\??\\C:\\tmp\\gone.tmp\0\0\\??\\C:\\w\\new\0!\\??\\C:\\w\\app\0\\??\\C:\\w\\old\0"
                            "\\??\\C:\\w\\older\0\0\0\\??\\C:\\tmp\\late\0\0\0");
const std::string kPruned = S("\\??\\C:\\w\\new\0!\\??\\C:\\w\\app\0\0\0\\??\\C:\\tmp\\late\0\0\0");

using testing::NoHolders;
using testing::RecordedOutput;

class PruneTest : public ::testing::Test {
protected:
    PruneTest() {
        files.PutFolder("C:\\w");
        files.PutFolder("C:\\b");
        files.PutFolder("C:\\tmp");
        files.Put("C:\\w\\new", "new");
        files.Put("C:\\w\\app", "app");
    }
    void Store(const std::string& data, std::uint32_t type = kRegMultiSz) {
        registry.PutText(kSessionManager, kPendingValueName, type, data);
    }
    std::string Stored() const {
        const auto* value = registry.FindValue(kSessionManager, kPendingValueName);
        return value == nullptr ? "<absent>" : value->Text();
    }
    // The command ("prune" with --backup kBackup), with --json and --dry-run.
    int Run(const std::string& command, bool json = false, bool dryRun = false) {
        output = RecordedOutput();
        cli::CliContext context{routines, files, holders, lock, output, testing::ErrorTextStandIn};
        std::vector<std::string> line{command};
        if (command == "prune") line.insert(line.end(), {"--backup", kBackup});
        if (json) line.push_back("--json");
        if (dryRun) line.push_back("--dry-run");
        return testing::RunCommandLine(line, context);
    }
    std::string Backup() {
        const FakeFileSystem::File* file = files.Find(kBackup);
        return file == nullptr ? "<none>" : file->content;
    }
    static std::string BackupOf(const std::string& stored) {
        return RegFileBytes("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                            {{"PendingFileRenameOperations", kRegMultiSz, StoredBytesOfText(stored)}});
    }

    FakeRegistry registry;
    RegistryRoutines routines{registry};
    FakeFileSystem files;
    FakeListLock lock;
    NoHolders holders;
    RecordedOutput output;
};

TEST_F(PruneTest, WithdrawsOnlyTheEntriesWithNoEffectAfterABackup) {
    Store(kList);
    EXPECT_EQ(Run("prune"), 0) << output.error;
    EXPECT_EQ(Stored(), kPruned);
    EXPECT_EQ(Backup(), BackupOf(kList));
    EXPECT_NE(output.out.find("Saved the list to \"C:\\b\\backup.reg\""), std::string::npos) << output.out;
    EXPECT_NE(output.out.find("Withdrew 2 entries that can have no effect; 2 entries stay."), std::string::npos)
        << output.out;
    EXPECT_EQ(lock.owned, 0);

    // Nothing left to withdraw: no second backup, no write.
    files.Remove(kBackup);
    const int writes = registry.setCalls;
    EXPECT_EQ(Run("prune"), 0);
    EXPECT_EQ(Backup(), "<none>");
    EXPECT_EQ(registry.setCalls, writes);
    EXPECT_EQ(Stored(), kPruned);
}

TEST_F(PruneTest, BothValuesInTheOrderTheStartUpRunsThem) {
    // The second value deletes what the first moves there: it takes effect;
    // its deletion of a file that is gone does not.
    Store(S("\\??\\C:\\w\\new\0\\??\\C:\\w\\moved\0\\??\\C:\\tmp\\gone\0\0\0"));
    const std::string second = S("\\??\\C:\\w\\moved\0\0\\??\\C:\\tmp\\gone2\0\0\0");
    registry.PutText(kSessionManager, kPendingValue2Name, kRegMultiSz, second);
    EXPECT_EQ(Run("prune"), 0) << output.error;
    EXPECT_EQ(Stored(), S("\\??\\C:\\w\\new\0\\??\\C:\\w\\moved\0\0"));
    EXPECT_EQ(registry.FindValue(kSessionManager, kPendingValue2Name)->Text(), S("\\??\\C:\\w\\moved\0\0\0"));
    EXPECT_EQ(Backup(),
              RegFileBytes("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                           {{"PendingFileRenameOperations", kRegMultiSz,
                             StoredBytesOfText(S("\\??\\C:\\w\\new\0\\??\\C:\\w\\moved\0\\??\\C:\\tmp\\gone\0\0\0"))},
                            {"PendingFileRenameOperations2", kRegMultiSz, StoredBytesOfText(second)}}));
}

TEST_F(PruneTest, WhatPruneLeavesAsItIs) {
    const struct {
        const char* what;
        std::string stored;
        std::uint32_t type;
        bool dryRun;
        bool backupExists;
        int code;
        std::string after;  // empty: as stored
        bool backupWritten;
    } cases[] = {
        {"a dry run", kList, kRegMultiSz, true, false, 0, "", false},
        {"a backup file that exists", kList, kRegMultiSz, false, true, kErrorFileExists, "", false},
        {"a value of another form", kList, kRegBinary, false, false, 13, "", false},
        {"every entry with no effect: the value goes", S("\\??\\C:\\tmp\\a\0\0\\??\\C:\\tmp\\b\0\0\0"), kRegMultiSz,
         false, false, 0, "<absent>", true},
        {"a list that is never carried out", S("\\??\\C:\\tmp\\a\0"), kRegMultiSz, false, false, 0, "", false},
        {"a rename onto a file without ! goes, the deletion of its source after it stays",
         S("\\??\\C:\\w\\new\0\\??\\C:\\w\\app\0\\??\\C:\\w\\new\0\0\0"), kRegMultiSz, false, false, 0,
         S("\\??\\C:\\w\\new\0\0\0"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        files.Remove(kBackup);
        if (c.backupExists) files.Put(kBackup, "mine");
        Store(c.stored, c.type);
        const std::string before = Stored();
        EXPECT_EQ(Run("prune", false, c.dryRun), c.code) << output.error;
        EXPECT_EQ(Stored(), c.after.empty() ? before : c.after);
        if (c.backupExists) EXPECT_EQ(Backup(), "mine");
        else EXPECT_EQ(Backup() != "<none>", c.backupWritten);
    }
    // A folder or a device takes no backup, and is said as what it is.
    Store(kList);
    const struct {
        const char* backup;
        int code;
        const char* said;
    } targets[] = {{"C:\\b", kErrorDirectoryNotSupported, "(it is a folder)"},
                   {"\\\\.\\NUL", kErrorBadPathname, "(it names a device)"}};
    for (const auto& target : targets) {
        output = RecordedOutput();
        cli::CliContext context{routines, files, holders, lock, output, testing::ErrorTextStandIn};
        EXPECT_EQ(testing::RunCommandLine({"prune", "--backup", target.backup}, context), target.code);
        EXPECT_NE(output.error.find(target.said), std::string::npos) << output.error;
        EXPECT_EQ(output.error.find("run it elevated"), std::string::npos) << output.error;
        EXPECT_EQ(Stored(), kList);
    }
}

TEST_F(PruneTest, AChangeAfterTheBackupLeavesTheListAsTheOtherProgramWroteIt) {
    Store(kList);
    const std::string theirs = kList.substr(0, kList.size() - 1) + S("\\??\\C:\\theirs\0\0");
    // Another program adds its entry once the backup is saved, before the
    // list is read again for the write.
    registry.beforeQuery = [&] {
        if (files.Exists(kBackup) && Stored() == kList) Store(theirs);
    };
    EXPECT_EQ(Run("prune"), kErrorNotFound);
    EXPECT_EQ(Stored(), theirs);
    EXPECT_EQ(Backup(), BackupOf(kList));
    EXPECT_NE(output.error.find("changed after the backup"), std::string::npos) << output.error;

    // The second value changes once the first is withdrawn from: what was
    // withdrawn is said value by value, in the text and in JSON.
    const std::string second = S("\\??\\C:\\tmp\\gone2.tmp\0\0\0");
    for (const bool json : {false, true}) {
        Store(kList);
        registry.PutText(kSessionManager, kPendingValue2Name, kRegMultiSz, second);
        files.Remove(kBackup);
        registry.beforeQuery = [&] {
            const auto* value2 = registry.FindValue(kSessionManager, kPendingValue2Name);
            if (Stored() == kPruned && value2 != nullptr && value2->Text() == second)
                registry.PutText(kSessionManager, kPendingValue2Name, kRegMultiSz, theirs);
        };
        EXPECT_EQ(Run("prune", json), kErrorNotFound);
        EXPECT_EQ(Stored(), kPruned);
        EXPECT_NE(output.out.find(json ? "{\"name\": \"PendingFileRenameOperations\", \"withdrawn\": true}, "
                                         "{\"name\": \"PendingFileRenameOperations2\", \"withdrawn\": false}"
                                       : "PendingFileRenameOperations: its entries that can have no effect were "
                                         "withdrawn.\r\nPendingFileRenameOperations2: nothing was withdrawn from it."),
                  std::string::npos)
            << output.out;
        EXPECT_NE(output.error.find("nothing was withdrawn from PendingFileRenameOperations2"), std::string::npos)
            << output.error;
    }
}

// Every command's JSON, done or failed, reads back with the strict reader,
// exitCode last; a failure that wrote no member of its own (bare) gives its
// line as "error"; status names each entry's value once, by its number.
TEST_F(PruneTest, EveryJsonDocumentReadsBackStrictly) {
    Store(kList);
    registry.PutText(kSessionManager, kPendingValue2Name, kRegMultiSz, S("\\??\\C:\\w\\new\0\0\0"));
    files.Put("C:\\w\\plan.txt", "delete C:\\w\\app\n");
    const auto check = [&](std::vector<std::string> line, int code, bool bare = false) {
        output = RecordedOutput();
        cli::CliContext context{routines, files, holders, lock, output, testing::ErrorTextStandIn};
        line.push_back("--json");
        EXPECT_EQ(testing::RunCommandLine(line, context), code) << line[0];
        const std::optional<JsonValue> document = ReadJson(output.out);
        EXPECT_TRUE(document && document->members.back().name == "exitCode" &&
                    document->members.back().value.text == std::to_string(code)) << output.out;
        const JsonValue* error = document ? document->Member("error") : nullptr;
        EXPECT_TRUE(bare ? error && "pendrix-cli: " + error->text + "\r\n" == output.error : !error) << output.out;
        return document.value_or(JsonValue());
    };
    check({"list"}, 0);
    files.Put("C:\\w\\listing.json", output.out);
    const JsonValue status = check({"status"}, 3010);
    EXPECT_EQ(status.Member("entries")->items.back().Member("value")->text, "2");
    check({"prune", "--backup", kBackup, "--dry-run"}, 0);
    check({"holders", "C:\\w\\app"}, 0);
    check({"holders", "C:\\"}, kErrorBadPathname, true);
    check({"verify", "C:\\w\\listing.json"}, 3010);
    check({"verify", "C:\\w\\none.json"}, kErrorFileNotFound, true);
    check({"apply", "C:\\w\\none.txt"}, kErrorFileNotFound);
    check({"apply", "C:\\w\\plan.txt"}, 0);
    check({"prune"}, 87, true);
    registry.deniedPaths.insert("hklm\\system\\currentcontrolset\\control\\session manager");
    check({"list"}, kErrorAccessDenied, true);
    // Nothing is claimed of a list that could not be read.
    check({"status"}, kErrorAccessDenied);
    EXPECT_NE(output.out.find("\"readable\": false, \"status\": 5, \"changeable\": null}"), std::string::npos);
    EXPECT_EQ(Run("status"), kErrorAccessDenied);
    EXPECT_EQ(output.out.find("No file operation is pending"), std::string::npos) << output.out;
    registry.deniedPaths.clear();
    // A dry run says so also when there is nothing to withdraw.
    Store(S("\\??\\C:\\w\\new\0!\\??\\C:\\w\\app\0\0"));
    check({"prune", "--backup", kBackup, "--dry-run"}, 0);
    EXPECT_NE(output.out.find("\"dryRun\": true"), std::string::npos) << output.out;
    // The writer refuses a member twice, so no document can hold one.
    EXPECT_THROW(JsonDocument([](JsonObject& out) { out.Null("a"); out.Null("a"); }), PendrixError);
}

// README's examples of status and prune are what the tool prints for them.
TEST_F(PruneTest, ReadmeExamplesAreTheToolsOutput) {
    Store(S("\\??\\C:\\Users\\ann\\AppData\\Local\\Temp\\setup.tmp\0\0"
            "\\??\\C:\\Staging\\vendor.dll\0!\\??\\C:\\Program Files\\Vendor\\vendor.dll\0"
            "\\??\\C:\\Windows\\Temp\\x.dat\0\\??\\C:\\Windows\\Temp\\y.dat\0\0"));
    files.Put("C:\\Staging\\vendor.dll", "new");
    files.Put("C:\\Program Files\\Vendor\\vendor.dll", "old");
    files.PutFolder("C:\\Admin");
    registry.AddKey("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update\\RebootRequired");
    std::ifstream file(PENDRIX_README, std::ios::binary);
    const std::string readme((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto example = [&](const std::string& command) {
        const std::size_t start = readme.find("> " + command + "\n");
        const std::size_t end = readme.find("```", start);
        if (start == std::string::npos || end == std::string::npos) return std::string("<no example>");
        std::string text = readme.substr(start + command.size() + 3, end - start - command.size() - 3);
        for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.insert(at, "\r");
        return text;
    };
    EXPECT_EQ(Run("status"), 3010);
    EXPECT_EQ(output.out, example("pendrix-cli status"));
    output = RecordedOutput();
    cli::CliContext context{routines, files, holders, lock, output, testing::ErrorTextStandIn};
    EXPECT_EQ(testing::RunCommandLine({"prune", "--backup", "C:\\Admin\\pendrix-backup-20261207-221500.reg"}, context),
              0);
    EXPECT_EQ(output.out, example("pendrix-cli prune"));
}

TEST(PruneNames, TheDefaultBackupNameIsTheLocalTime) {
    EXPECT_EQ(DefaultBackupName({2026, 3, 7, 9, 5, 1}), "pendrix-backup-20260307-090501.reg");
}

}  // namespace
}  // namespace pendrix
