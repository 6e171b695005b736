// Changes of the pending list under the mutex, read back: the mutex's
// answers, another program's write that drops Pendrix's change (caught and
// made again, a bounded number of times), and withdrawals that find their
// entry changed. Through the stand-ins for the registry and the mutex; the
// Wine test runs two real processes against each other.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "cli/cli_commands.h"
#include "registry/registry_constants.h"
#include "scheduler/file_commands.h"
#include "scheduler/list_update.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using testing::FakeFileSystem;
using testing::FakeListLock;
using testing::FakeRegistry;

using ::pendrix::testing::kSessionManager;
const std::string kTheirs = S("\\??\\C:\\theirs\0\0");
const std::string kMine = S("\\??\\C:\\w\\mine\0\0");
const std::string kFirst = S("\\??\\C:\\first\0\0");

class ListUpdateTest : public ::testing::Test {
protected:
    ListUpdateTest() {
        files.PutFolder("C:\\w");
        files.Put("C:\\w\\mine", "x");
        files.Find("C:\\w\\mine")->inUse = true;
        // Every read of the list happens with the mutex held.
        registry.beforeQuery = [this] {
            if (!lock.Held()) ++readsWithoutLock;
            if (registry.setCalls > writesSeen) {
                writesSeen = registry.setCalls;
                if (afterWrite) afterWrite();
            }
        };
    }
    void Store(const std::string& data) { registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, data); }
    std::string Stored() const {
        const auto* value = registry.FindValue(kSessionManager, kPendingValueName);
        return value == nullptr ? "<absent>" : value->Text();
    }
    // Another program that read the list as it was before and writes it back
    // with its own pair: Pendrix's write is lost.
    void OtherProgramWritesTheOldList(int times) {
        const std::string old = Stored();
        afterWrite = [this, old, times]() mutable {
            if (times-- > 0) Store(old.substr(0, old.size() - 1) + kTheirs + '\0');
        };
    }

    FakeRegistry registry;
    FakeFileSystem files;
    RegistryRoutines routines{registry};
    FakeListLock lock;
    std::function<void()> afterWrite;
    int writesSeen = 0;
    int readsWithoutLock = 0;
};

TEST_F(ListUpdateTest, TheMutexAnswersAsWindowsDoes) {
    const struct {
        const char* what;
        bool heldByAnother, abandoned;
        std::uint32_t openFailure;
        CommandOutcome outcome;
        std::int32_t status;
    } cases[] = {
        {"free", false, false, 0, CommandOutcome::Scheduled, 0},
        {"its owner died", false, true, 0, CommandOutcome::Scheduled, 0},
        {"held past the timeout", true, false, 0, CommandOutcome::ListBusy, kErrorTimeout},
        {"cannot be opened", false, false, 5, CommandOutcome::NotScheduled, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Store(kFirst + '\0');
        lock = FakeListLock();
        lock.heldByAnother = c.heldByAnother;
        lock.abandoned = c.abandoned;
        lock.openFailure = c.openFailure;
        FileCommands commands(routines, files, lock, PendingListRead{}, PendingListRead{});
        const CommandResult result = commands.Delete("C:\\w\\mine", true);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(Stored(), kFirst + (c.outcome == CommandOutcome::Scheduled ? kMine : "") + '\0');
        EXPECT_EQ(lock.lastTimeout, kListLockTimeoutMilliseconds);
        EXPECT_EQ(lock.owned, 0);
        EXPECT_EQ(lock.badReleases, 0);
    }
}

TEST_F(ListUpdateTest, AWriteThatAnotherProgramUndidIsMadeAgainOnItsList) {
    Store(kFirst + '\0');
    OtherProgramWritesTheOldList(1);
    FileCommands commands(routines, files, lock, PendingListRead{}, PendingListRead{});
    const CommandResult result = commands.Delete("C:\\w\\mine", true);
    EXPECT_EQ(result.outcome, CommandOutcome::Scheduled);
    // Its pair and the other program's both stay.
    EXPECT_EQ(Stored(), kFirst + kTheirs + kMine + '\0');
    EXPECT_EQ(registry.setCalls, 2);
    EXPECT_EQ(readsWithoutLock, 1);  // the first read, before the file was tried
}

TEST_F(ListUpdateTest, AChangeUndoneEveryTimeIsReportedNeverDone) {
    Store(kFirst + '\0');
    OtherProgramWritesTheOldList(1000);
    FileCommands commands(routines, files, lock, PendingListRead{}, PendingListRead{});
    const CommandResult result = commands.Delete("C:\\w\\mine", true);
    EXPECT_EQ(result.outcome, CommandOutcome::NotKept);
    EXPECT_EQ(result.status, kErrorRetry);
    EXPECT_EQ(registry.setCalls, kListWriteAttempts);
    EXPECT_EQ(lock.owned, 0);
}

TEST_F(ListUpdateTest, CancelAllWhoseWithdrawalCameBackWithdrawsAgain) {
    Store(kFirst + '\0');
    FileCommands commands(routines, files, lock, PendingRenameList(routines).Read(), PendingListRead{});
    ASSERT_EQ(commands.Delete("C:\\w\\mine", true).outcome, CommandOutcome::Scheduled);
    // Another program read the list with this session's pair and writes it
    // back after the withdrawal, adding its own.
    OtherProgramWritesTheOldList(1);
    EXPECT_TRUE(commands.CancelAll().reversed);
    EXPECT_EQ(Stored(), kFirst + kTheirs + '\0');
    OtherProgramWritesTheOldList(0);
}

// The console tool: the codes a script sees, and remove's withdrawal read
// back.
struct RecordedOutput : cli::CliOutput {
    std::string out, error;
    void Out(std::string_view text) override { out += text; }
    void Error(std::string_view text) override { error += text; }
};
struct NoHolders : HolderFinder {
    std::uint32_t Find(const std::vector<std::string>&, HolderScan&) override { return kErrorSuccess; }
};

TEST_F(ListUpdateTest, TheConsoleToolSaysWhyNothingChanged) {
    const std::string list = S("\\??\\C:\\a\0\0\\??\\C:\\c\0\0\0");
    const std::string theirs = list.substr(0, list.size() - 1) + kTheirs + '\0';
    const struct {
        const char* what;
        cli::CliCommand command;
        bool busy;
        int undone;  // times another program writes the old list back
        int code;
        std::string after;
    } cases[] = {
        {"delete, busy", cli::CliCommand::Delete, true, 0, 1460, list},
        {"delete, undone each time", cli::CliCommand::Delete, false, 1000, 1237, theirs},
        {"remove, busy", cli::CliCommand::Remove, true, 0, 1460, list},
        {"remove, undone once", cli::CliCommand::Remove, false, 1, 0, S("\\??\\C:\\c\0\0") + kTheirs + '\0'},
        {"remove, undone each time", cli::CliCommand::Remove, false, 1000, 1237, theirs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Store(list);
        lock = FakeListLock();
        lock.heldByAnother = c.busy;
        OtherProgramWritesTheOldList(c.undone);
        RecordedOutput output;
        NoHolders holders;
        cli::CliContext context{routines, files, holders, lock, output, [](std::int32_t) { return std::string("x"); }};
        cli::CliArguments arguments;
        arguments.command = c.command;
        arguments.path = "C:\\w\\mine";
        arguments.atRestart = true;
        arguments.entry = 1;
        EXPECT_EQ(cli::RunCommand(arguments, context), c.code) << output.error;
        EXPECT_EQ(Stored(), c.after);
        EXPECT_EQ(output.error.empty(), c.code == 0) << output.error;
        EXPECT_EQ(output.out.empty(), c.code != 0) << output.out;
    }
}

}  // namespace
}  // namespace pendrix
