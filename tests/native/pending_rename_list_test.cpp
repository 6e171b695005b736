#include <gtest/gtest.h>

#include "registry/registry_constants.h"
#include "pending_list/pending_rename_list.h"
#include "pending_list/stored_list.h"
#include "pending_list/stored_strings.h"
#include "scheduler/list_update.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using testing::FakeRegistry;

using ::pendrix::testing::kSessionManager;

TEST(RenamePairs, CarryTheObjectPrefixAndTheReplaceMarker) {
    const RenamePair replace = ReplacementPair("C:\\new\\lib.dll", "C:\\app\\lib.dll");
    EXPECT_EQ(replace.first, "\\??\\C:\\new\\lib.dll");
    EXPECT_EQ(replace.second, "!\\??\\C:\\app\\lib.dll");
    const RenamePair remove = DeletionPair(" C:\\a b.log ");
    EXPECT_EQ(remove.first, "\\??\\ C:\\a b.log ") << "paths are used exactly as given";
    EXPECT_EQ(remove.second, "");
}

// What the restart question and Cancel All count: the operations the
// start-up walk carries out.
TEST(ReachedEntryCount, CountsThePairsTheStartUpWalkCarriesOut) {
    const struct {
        std::string stored;
        std::size_t operations;
    } cases[] = {
        {"", 0},
        {S("\0\0"), 0},
        {S("A\0!B\0\0"), 1},
        {S("A\0\0"), 1},                      // a deletion with the closing NUL as its second string
        {S("A\0\0\0"), 1},                   // a deletion
        {S("A\0B\0C\0\0\0"), 2},           // a rename and a deletion
        {S("A\0B\0\0C\0D\0\0"), 1},       // C and D lie after an empty first string
        {S("A\0B\0C\0D\0"), 0},             // not closed: nothing runs
        {S("\0A\0B\0\0"), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ReachedEntryCount(c.stored), c.operations) << c.stored.size();
}

// Stored data -> data after appending the deletion of "n". Every old string
// stays; the pair lands where the start-up walk reaches it.
TEST(AppendPairToStored, PutsThePairWhereTheStartUpWalkReachesIt) {
    const struct {
        std::string stored;
        std::string expected;
    } cases[] = {
        {"", S("\\??\\n\0\0\0")},
        {S("A\0B\0\0"), S("A\0B\0\\??\\n\0\0\0")},
        // A surplus closing NUL: the walk stops after B.
        {S("A\0B\0\0\0"), S("A\0B\0\\??\\n\0\0\0\0")},
        // Empty strings in the middle: C and D are never reached, and stay.
        {S("A\0B\0\0C\0D\0\0"), S("A\0B\0\\??\\n\0\0\0C\0D\0\0")},
        // The first string empty: nothing is reached, nothing is dropped.
        {S("\0X\0Y\0\0"), S("\\??\\n\0\0\0X\0Y\0\0")},
        {S("\0"), S("\\??\\n\0\0\0")},
        // No closing NULs, or not even the last string's NUL.
        {S("A\0B\0"), S("A\0B\0\\??\\n\0\0\0")},
        {S("A\0B"), S("A\0B\0\\??\\n\0\0\0")},
        {S("A\0B\0\0C"), S("A\0B\0\\??\\n\0\0\0C\0\0")},
        // A lone first string is a deletion and stays one.
        {S("A"), S("A\0\0\\??\\n\0\0\0")},
        {S("A\0\0"), S("A\0\0\\??\\n\0\0\0")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AppendPairToStored(c.stored, DeletionPair("n")), c.expected) << ::testing::PrintToString(c.stored);
}

// The last copy of the pair goes with its NULs; one whose second string has
// no NUL (a list cut short) is not as Pendrix wrote it, and stays.
TEST(RemoveLastPair, TakesTheLastWholeCopyAndNothingElse) {
    const struct {
        std::string stored;
        bool removed;
        std::string left;
    } cases[] = {
        {S("A\0B\0X\0Y\0A\0B\0\0"), true, S("A\0B\0X\0Y\0\0")},
        {S("X\0Y\0\0"), false, S("X\0Y\0\0")},
        {S("X\0Y\0A\0B"), false, S("X\0Y\0A\0B")},
    };
    for (const auto& c : cases) {
        std::string stored = c.stored;
        EXPECT_EQ(RemoveLastPair(stored, RenamePair{"A", "B"}), c.removed) << ::testing::PrintToString(c.stored);
        EXPECT_EQ(stored, c.left) << ::testing::PrintToString(c.stored);
    }
}

TEST(IsStorablePair, RefusesWhatWouldBreakTheLayout) {
    EXPECT_TRUE(IsStorablePair(DeletionPair("C:\\a")));
    EXPECT_FALSE(IsStorablePair(RenamePair{"", "x"}));
    EXPECT_FALSE(IsStorablePair(ReplacementPair(S("C:\\a\0b"), "C:\\c")));
    EXPECT_FALSE(IsStorablePair(ReplacementPair("C:\\a", S("C:\\c\0"))));
}

class PendingRenameListTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(fake.OpenHandles(), 0u); }
    std::string Stored() const {
        const auto* value = fake.FindValue(kSessionManager, kPendingValueName);
        return value == nullptr ? "<absent>" : value->Text();
    }

    FakeRegistry fake;
    RegistryRoutines registry{fake};
    PendingRenameList list{registry};
    testing::FakeListLock lock;
    PendingListUpdate update{registry, lock};
};

bool Written(const UpdateResult& result) { return result.outcome == UpdateOutcome::Written; }

TEST_F(PendingRenameListTest, CreatesTheKeyAndValueWhenAbsent) {
    const PendingListRead read = list.Read();
    EXPECT_TRUE(read.readable);
    EXPECT_EQ(read.listText, "");
    EXPECT_TRUE(Written(update.Append({ReplacementPair("C:\\s", "C:\\d")})));
    EXPECT_EQ(fake.FindValue(kSessionManager, kPendingValueName)->type, kRegMultiSz);
    EXPECT_EQ(Stored(), S("\\??\\C:\\s\0!\\??\\C:\\d\0\0"));
    EXPECT_EQ(registry.hkey(), kHkeyLocalMachine);
    EXPECT_EQ(registry.KeyRoot(), "SYSTEM\\CurrentControlSet\\Control");
    EXPECT_EQ(registry.Subkey(), "Session Manager");
}

TEST_F(PendingRenameListTest, AListWithAnEmptyFirstStringKeepsItsStrings) {
    fake.PutText(kSessionManager, kPendingValueName, kRegMultiSz, S("\0\\??\\C:\\never\0\0\0"));
    const PendingListRead read = list.Read();
    EXPECT_TRUE(read.readable);
    EXPECT_TRUE(read.exists);
    EXPECT_EQ(read.listText, "");
    EXPECT_EQ(read.stored, S("\0\\??\\C:\\never\0\0\0"));
    EXPECT_TRUE(Written(update.Append({DeletionPair("C:\\c")})));
    EXPECT_EQ(Stored(), S("\\??\\C:\\c\0\0\0\\??\\C:\\never\0\0\0"));
}

TEST_F(PendingRenameListTest, AnUnreadableListIsNeverOverwritten) {
    fake.PutText(kSessionManager, kPendingValueName, kRegMultiSz, std::string(3000, 'p') + S("\0\0\0"));
    const std::string before = Stored();
    fake.growthsLeft = 1000;
    fake.growsFourfold = true;
    const PendingListRead read = list.Read();
    EXPECT_FALSE(read.readable);
    EXPECT_EQ(read.status, kErrorMoreData);
    EXPECT_FALSE(Written(update.Append({DeletionPair("C:\\c")})));
    EXPECT_EQ(fake.setCalls, 0);
    fake.growthsLeft = 0;

    fake.deniedPaths.insert("hklm\\system\\currentcontrolset\\control\\session manager");
    EXPECT_FALSE(list.Read().readable);
}

TEST_F(PendingRenameListTest, ARefusedWriteIsReported) {
    fake.refuseWrites = true;
    EXPECT_FALSE(Written(update.Append({DeletionPair("C:\\c")})));
    EXPECT_EQ(Stored(), "<absent>");
}

TEST_F(PendingRenameListTest, RestoreWritesTheSnapshotBackByteForByte) {
    // A surplus NUL and a string after it: the list text cannot tell them.
    for (const std::string& original : {S("\\??\\C:\\a\0\0\0"), S("a\0b\0\0\0x\0\0\0"), std::string("a")}) {
        fake.PutText(kSessionManager, kPendingValueName, kRegMultiSz, original);
        const PendingListRead snapshot = list.Read();
        EXPECT_TRUE(Written(update.Append({ReplacementPair("C:\\s", "C:\\d")})));
        EXPECT_TRUE(Written(update.Restore(snapshot)));
        EXPECT_EQ(Stored(), original);
    }
}

TEST_F(PendingRenameListTest, RestoringAnAbsentListDeletesTheValue) {
    const PendingListRead absent = list.Read();
    EXPECT_FALSE(absent.exists);
    EXPECT_TRUE(Written(update.Append({DeletionPair("C:\\x")})));
    EXPECT_TRUE(Written(update.Restore(absent)));
    EXPECT_EQ(Stored(), "<absent>") << "the registry as it was: no value";
    EXPECT_TRUE(Written(update.Restore(absent))) << "nothing to delete is no failure";

    fake.PutText(kSessionManager, kPendingValueName, kRegMultiSz, "");
    const PendingListRead empty = list.Read();
    EXPECT_TRUE(empty.exists);
    EXPECT_TRUE(Written(update.Append({DeletionPair("C:\\x")})));
    EXPECT_TRUE(Written(update.Restore(empty)));
    EXPECT_EQ(Stored(), "") << "a value of no data at launch stays one";
}

TEST_F(PendingRenameListTest, AnUnreadableSnapshotIsNeverRestored) {
    fake.PutText(kSessionManager, kPendingValueName, kRegMultiSz, S("\\??\\C:\\a\0\0\0"));
    fake.deniedPaths.insert("hklm\\system\\currentcontrolset\\control\\session manager");
    const PendingListRead snapshot = list.Read();
    fake.deniedPaths.clear();
    EXPECT_FALSE(Written(update.Restore(snapshot)));
    EXPECT_EQ(fake.setCalls, 0);
    EXPECT_EQ(Stored(), S("\\??\\C:\\a\0\0\0"));
}

}  // namespace
}  // namespace pendrix
