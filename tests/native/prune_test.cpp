// prune and status through the console tool's commands over the stand-ins:
// only the entries with no effect go, after a backup that holds the value as
// it was; a backup that exists is never overwritten; a change between the
// backup and the write leaves the list as the other program wrote it; and
// every JSON document carries the exit code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/json_text.h"
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

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(PruneTest, EveryJsonDocumentCarriesTheExitCode) {
    Store(kList);
    EXPECT_EQ(Run("status", true), 3010);
    EXPECT_TRUE(EndsWith(output.out, "], \"exitCode\": 3010}\r\n")) << output.out;
    EXPECT_EQ(Run("list", true), 0);
    EXPECT_TRUE(EndsWith(output.out, "], \"exitCode\": 0}\r\n")) << output.out;
    EXPECT_EQ(Run("prune", true, true), 0);
    EXPECT_NE(output.out.find("\"dryRun\": true"), std::string::npos);
    // A failure writes no document of its own: one with its error is made.
    Store(kList, kRegBinary);
    EXPECT_EQ(Run("prune", true), 13);
    EXPECT_EQ(output.out.rfind("{\"error\": \"nothing was withdrawn: ", 0), 0u) << output.out;
    EXPECT_TRUE(EndsWith(output.out, "\", \"exitCode\": 13}\r\n")) << output.out;

    EXPECT_EQ(WithExitCode("{}\r\n", 5, ""), "{\"exitCode\": 5}\r\n");
    EXPECT_EQ(WithExitCode("{\"a\": 1}\r\n", 0, ""), "{\"a\": 1, \"exitCode\": 0}\r\n");
}

TEST(PruneNames, TheDefaultBackupNameIsTheLocalTime) {
    EXPECT_EQ(DefaultBackupName({2026, 3, 7, 9, 5, 1}), "pendrix-backup-20260307-090501.reg");
}

}  // namespace
}  // namespace pendrix
