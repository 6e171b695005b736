// Changes of the pending list under the mutex, read back: the mutex's
// answers, another program's write that drops Pendrix's change (caught and
// made again, a bounded number of times), and withdrawals that find their
// entry changed. Through the stand-ins for the registry and the mutex; the
// Wine test runs two real processes against each other.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "registry/registry_constants.h"
#include "scheduler/file_commands.h"
#include "scheduler/list_update.h"
#include "tests/common/literal_text.h"
#include "tests/native/list_update_fixture.h"

namespace pendrix {
namespace {

using testing::FakeListLock;
using testing::kFirst;
using testing::kMine;
using testing::kSessionManager;
using testing::kTheirs;
using testing::ListUpdateTest;

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

}  // namespace
}  // namespace pendrix
