#include <gtest/gtest.h>

#include "registry/registry_constants.h"
#include "scheduler/pending_rename_list.h"
#include "scheduler/stored_list.h"
#include "tests/common/literal_text.h"
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

TEST(AppendPair, WorkedExampleFromAnEmptyList) {
    std::string stored = AppendPair("", ReplacementPair("C:\\new\\lib.dll", "C:\\app\\lib.dll"));
    EXPECT_EQ(stored, S("\\??\\C:\\new\\lib.dll\0!\\??\\C:\\app\\lib.dll\0\0"));

    // What the next read gives: the stored data less its two closing NULs.
    std::string listText = stored.substr(0, stored.size() - 2);
    stored = AppendPair(listText, DeletionPair("C:\\app\\old.log"));
    EXPECT_EQ(stored, listText + S("\0\\??\\C:\\app\\old.log\0\0\0"));

    listText = stored.substr(0, stored.size() - 2);
    stored = AppendPair(listText, ReplacementPair("C:\\new\\x.ini", "C:\\app\\x.ini"));
    EXPECT_EQ(stored, listText + S("\0\\??\\C:\\new\\x.ini\0!\\??\\C:\\app\\x.ini\0\0"));
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
};

TEST_F(PendingRenameListTest, CreatesTheKeyAndValueWhenAbsent) {
    const PendingListRead read = list.Read();
    EXPECT_TRUE(read.readable);
    EXPECT_EQ(read.listText, "");
    EXPECT_TRUE(list.Append(read, ReplacementPair("C:\\s", "C:\\d")));
    EXPECT_EQ(fake.FindValue(kSessionManager, kPendingValueName)->type, kRegMultiSz);
    EXPECT_EQ(Stored(), S("\\??\\C:\\s\0!\\??\\C:\\d\0\0"));
    EXPECT_EQ(registry.hkey(), kHkeyLocalMachine);
    EXPECT_EQ(registry.KeyRoot(), "SYSTEM\\CurrentControlSet\\Control");
    EXPECT_EQ(registry.Subkey(), "Session Manager");
}

TEST_F(PendingRenameListTest, KeepsEveryStoredPairInOrder) {
    fake.PutText(kSessionManager, kPendingValueName, kRegMultiSz, S("\\??\\C:\\x\0\0\0"));
    EXPECT_TRUE(list.Append(list.Read(), ReplacementPair("C:\\s", "C:\\d")));
    EXPECT_TRUE(list.Append(list.Read(), DeletionPair("C:\\e")));
    EXPECT_EQ(Stored(), S("\\??\\C:\\x\0\0\\??\\C:\\s\0!\\??\\C:\\d\0\\??\\C:\\e\0\0\0"));
}

TEST_F(PendingRenameListTest, AListStoredWithoutClosingNulsSurvivesAnApply) {
    // Another program left off the closing NULs: the rename must stay a rename.
    fake.PutText(kSessionManager, kPendingValueName, kRegMultiSz, S("\\??\\C:\\a\0!\\??\\C:\\b"));
    EXPECT_TRUE(list.Append(list.Read(), DeletionPair("C:\\c")));
    EXPECT_EQ(Stored(), S("\\??\\C:\\a\0!\\??\\C:\\b\0\\??\\C:\\c\0\0\0"));
}

TEST_F(PendingRenameListTest, AListWithAnEmptyFirstStringKeepsItsStrings) {
    fake.PutText(kSessionManager, kPendingValueName, kRegMultiSz, S("\0\\??\\C:\\never\0\0\0"));
    const PendingListRead read = list.Read();
    EXPECT_TRUE(read.readable);
    EXPECT_TRUE(read.exists);
    EXPECT_EQ(read.listText, "");
    EXPECT_EQ(read.stored, S("\0\\??\\C:\\never\0\0\0"));
    EXPECT_TRUE(list.Append(read, DeletionPair("C:\\c")));
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
    fake.growthsLeft = 0;
    EXPECT_FALSE(list.Append(read, DeletionPair("C:\\c")));
    EXPECT_EQ(fake.setCalls, 0);

    fake.deniedPaths.insert("hklm\\system\\currentcontrolset\\control\\session manager");
    EXPECT_FALSE(list.Read().readable);
}

TEST_F(PendingRenameListTest, ARefusedWriteIsReported) {
    fake.refuseWrites = true;
    EXPECT_FALSE(list.Append(list.Read(), DeletionPair("C:\\c")));
    EXPECT_EQ(Stored(), "<absent>");
}

TEST_F(PendingRenameListTest, RestoreWritesTheSnapshotBackByteForByte) {
    // A surplus NUL and a string after it: the list text cannot tell them.
    for (const std::string& original : {S("\\??\\C:\\a\0\0\0"), S("a\0b\0\0\0x\0\0\0"), std::string("a")}) {
        fake.PutText(kSessionManager, kPendingValueName, kRegMultiSz, original);
        const PendingListRead snapshot = list.Read();
        EXPECT_TRUE(list.Append(list.Read(), ReplacementPair("C:\\s", "C:\\d")));
        EXPECT_TRUE(list.Restore(snapshot));
        EXPECT_EQ(Stored(), original);
    }
}

TEST_F(PendingRenameListTest, RestoringAnAbsentListDeletesTheValue) {
    const PendingListRead absent = list.Read();
    EXPECT_FALSE(absent.exists);
    EXPECT_TRUE(list.Append(list.Read(), DeletionPair("C:\\x")));
    EXPECT_TRUE(list.Restore(absent));
    EXPECT_EQ(Stored(), "<absent>") << "the registry as it was: no value";
    EXPECT_TRUE(list.Restore(absent)) << "nothing to delete is no failure";

    fake.PutText(kSessionManager, kPendingValueName, kRegMultiSz, "");
    const PendingListRead empty = list.Read();
    EXPECT_TRUE(empty.exists);
    EXPECT_TRUE(list.Append(list.Read(), DeletionPair("C:\\x")));
    EXPECT_TRUE(list.Restore(empty));
    EXPECT_EQ(Stored(), "") << "a value of no data at launch stays one";
}

TEST_F(PendingRenameListTest, AnUnreadableSnapshotIsNeverRestored) {
    fake.PutText(kSessionManager, kPendingValueName, kRegMultiSz, S("\\??\\C:\\a\0\0\0"));
    fake.deniedPaths.insert("hklm\\system\\currentcontrolset\\control\\session manager");
    const PendingListRead snapshot = list.Read();
    fake.deniedPaths.clear();
    EXPECT_FALSE(list.Restore(snapshot));
    EXPECT_EQ(fake.setCalls, 0);
    EXPECT_EQ(Stored(), S("\\??\\C:\\a\0\0\0"));
}

}  // namespace
}  // namespace pendrix
