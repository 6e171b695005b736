// The pending list read as a sequence: what scheduling refuses because an
// earlier entry takes the source away (or takes away at the next start a
// destination replaced now), what it does not add twice, and the
// simulation a verification reads.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "registry/registry_constants.h"
#include "scheduler/file_commands.h"
#include "pending_list/list_sequence.h"
#include "scheduler/refusal_text.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using ::pendrix::testing::kSessionManager;
const char kSrc[] = "C:\\w\\q\\src.txt";
const char kDst[] = "C:\\w\\q\\dst.txt";
const std::string kDeleteSrc = S("\\??\\C:\\w\\q\\src.txt\0\0");
const std::string kDeleteDst = S("\\??\\C:\\w\\q\\dst.txt\0\0");
const std::string kReplace = S("\\??\\C:\\w\\q\\src.txt\0!\\??\\C:\\w\\q\\dst.txt\0");
const std::string kSrcAway = S("\\??\\C:\\W\\Q\\SRC.TXT\0\\??\\C:\\w\\q\\elsewhere.txt\0");
const std::string kSrcBack = S("\\??\\C:\\w\\q\\n1.txt\0!\\??\\C:\\w\\q\\src.txt\0");
const std::string kGap = S("\0");

// ReplaceLater: a source that cannot be read now, moved as it is at the
// restart; StagedLater: one copied now beside the destination; ReplaceNowHeld:
// tried now on a destination held open.
enum class Asked { ReplaceLater, StagedLater, ReplaceNow, ReplaceNowHeld, DeleteLater };

TEST(ListSequence, SchedulingReadsThePendingListInOrder) {
    const struct {
        const char* what;
        std::string before;  // the list's strings, without the closing NUL
        Asked asked;
        CommandOutcome outcome;
        Refusal refusal;
        std::size_t earlier;  // the entry named, from 1
        bool added;           // the pair was appended
    } cases[] = {
        {"nothing pending", "", Asked::ReplaceLater, CommandOutcome::Scheduled, Refusal::None, 0, true},
        {"source deleted first", kDeleteSrc, Asked::ReplaceLater, CommandOutcome::Refused, Refusal::TakenEarlier, 1,
         false},
        {"source deleted first, but copied now", kDeleteSrc, Asked::StagedLater, CommandOutcome::Scheduled,
         Refusal::None, 0, true},
        {"source moved away first, any case", kDeleteDst + kSrcAway, Asked::ReplaceLater, CommandOutcome::Refused,
         Refusal::TakenEarlier, 2, false},
        {"source moved away and put back", kSrcAway + kSrcBack, Asked::ReplaceLater, CommandOutcome::Scheduled,
         Refusal::None, 0, true},
        {"deletion after a move away", kSrcAway, Asked::DeleteLater, CommandOutcome::Refused, Refusal::TakenEarlier,
         1, false},
        {"deletion pending exactly so", kDeleteSrc, Asked::DeleteLater, CommandOutcome::Scheduled, Refusal::None, 0,
         false},
        {"deletion pending, then the name filled again", kDeleteSrc + kSrcBack, Asked::DeleteLater,
         CommandOutcome::Scheduled, Refusal::None, 0, true},
        {"replacement pending exactly so", kReplace, Asked::ReplaceLater, CommandOutcome::Scheduled, Refusal::None,
         0, false},
        {"a source deleted where the walk never comes", kGap + kDeleteSrc, Asked::ReplaceLater,
         CommandOutcome::Scheduled, Refusal::None, 0, true},
        {"a destination replaced now, deleted at the restart", kDeleteDst, Asked::ReplaceNow,
         CommandOutcome::Refused, Refusal::UndoneAtRestart, 1, false},
        {"a destination replaced now, moved away at the restart", S("\\??\\C:\\w\\q\\dst.txt\0\\??\\C:\\w\\o\0"),
         Asked::ReplaceNow, CommandOutcome::Refused, Refusal::UndoneAtRestart, 1, false},
        {"a destination replaced now, its source deleted at the restart", kDeleteSrc, Asked::ReplaceNow,
         CommandOutcome::DoneNow, Refusal::None, 0, false},
        {"a destination held open, deleted at the restart: replaced after that", kDeleteDst, Asked::ReplaceNowHeld,
         CommandOutcome::Scheduled, Refusal::None, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::FakeRegistry registry;
        testing::FakeFileSystem files;
        testing::FakeListLock lock;
        RegistryRoutines routines(registry);
        files.PutFolder("C:\\w");
        files.PutFolder("C:\\w\\q");
        files.Put(kSrc, "new");
        files.Put(kDst, "old");
        files.Find(kSrc)->lockedForRead = c.asked == Asked::ReplaceLater;
        files.Find(kDst)->inUse = c.asked == Asked::ReplaceNowHeld;
        const std::string before = c.before.empty() ? std::string() : c.before + '\0';
        if (!before.empty()) registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, before);
        FileCommands commands(routines, files, lock, PendingListRead{}, PendingListRead{});
        const CommandResult result = c.asked == Asked::DeleteLater ? commands.Delete(kSrc, false)
                                                                   : commands.Replace(kSrc, kDst, c.asked == Asked::ReplaceNow ||
                                                                                                          c.asked == Asked::ReplaceNowHeld);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.refusal, c.refusal);
        EXPECT_EQ(result.earlierEntry, c.earlier);
        if (c.outcome == CommandOutcome::Refused) {
            EXPECT_EQ(result.status, kErrorFileNotFound);
            // The sentence names the entry in the way.
            EXPECT_NE(RefusalReason(result).find("entry " + std::to_string(c.earlier) + " "), std::string::npos)
                << RefusalReason(result);
        }
        EXPECT_EQ(result.alreadyScheduled, c.outcome == CommandOutcome::Scheduled && !c.added);
        const auto* value = registry.FindValue(kSessionManager, kPendingValueName);
        const std::string after = value == nullptr ? std::string() : value->Text();
        EXPECT_EQ(after.size() > before.size(), c.added);
        if (!c.added) {
            EXPECT_EQ(after, before);
        }
        EXPECT_EQ(files.Find(kDst)->content, c.outcome == CommandOutcome::DoneNow ? "new" : "old");
    }
}

// A pattern whose files are partly pending already adds only the others, and
// "Cancel All" takes back only what it added, also when another program
// changed the list meanwhile.
TEST(ListSequence, CancelAllTakesBackOnlyWhatWasAdded) {
    testing::FakeRegistry registry;
    testing::FakeFileSystem files;
    testing::FakeListLock lock;
    RegistryRoutines routines(registry);
    files.PutFolder("C:\\w");
    files.Put("C:\\w\\a.tmp", "a");
    files.Put("C:\\w\\b.tmp", "b");
    const std::string pendingA = S("\\??\\C:\\w\\a.tmp\0\0");
    const std::string addedB = S("\\??\\C:\\w\\b.tmp\0\0");
    const std::string theirs = S("\\??\\C:\\theirs\0\0");
    registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, pendingA + '\0');
    FileCommands commands(routines, files, lock, PendingRenameList(routines).Read(), PendingListRead{});
    ASSERT_EQ(commands.Delete("C:\\w\\*.tmp", false).outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(registry.FindValue(kSessionManager, kPendingValueName)->Text(), pendingA + addedB + '\0');
    registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, pendingA + addedB + theirs + '\0');
    EXPECT_TRUE(commands.CancelAll().reversed);
    EXPECT_EQ(registry.FindValue(kSessionManager, kPendingValueName)->Text(), pendingA + theirs + '\0');
}

// Each row: the operations, for each where its file ends ("-" deleted, "x" no effect, "u" unreached, "?" first: it
// may act or not), and the names there before ("?name" cannot be told; none: all there and every destination free).
TEST(ListSequence, FollowsEachFileThroughTheList) {
    const struct {
        const char* what;
        std::vector<ListedOperation> operations;
        std::vector<const char*> ends;
        std::optional<std::set<std::string>> before;
    } cases[] = {
        {"two-step install", {{"s3", "t3"}, {"n1", "s3"}}, {"t3", "s3"}, std::nullopt},
        {"moved twice", {{"a", "b"}, {"B", "c"}}, {"c", "c"}, std::nullopt},
        {"deleted after its move", {{"a", "b"}, {"b", ""}}, {"-", "-"}, std::nullopt},
        {"source deleted first", {{"a", ""}, {"A", "b"}}, {"-", "x"}, std::nullopt},
        {"replaced by a later one", {{"a", "b"}, {"c", "b"}}, {"-", "b"}, std::nullopt},
        {"unreached", {{"a", "b"}, {"c", "d", false}}, {"b", "u"}, std::nullopt},
        {"with its mark it replaces", {{"a", "b", true, true}, {"a", ""}}, {"b", "x"}, std::set<std::string>{"a", "b"}},
        {"into a folder an earlier entry puts there", {{"e", "f"}, {"a", "f\\b"}}, {"f", "f\\b"},
         std::set<std::string>{"a", "e"}},
        {"into a folder that cannot be told, then its source deleted", {{"a", "f\\b"}, {"a", ""}}, {"?-", "?-"},
         std::set<std::string>{"a", "?f"}},
        {"a file that cannot be told, deleted twice", {{"a", ""}, {"a", ""}}, {"?-", "x"}, std::set<std::string>{"?a"}},
        {"onto a name an entry in doubt may fill", {{"a", "b"}, {"c", "b"}}, {"?b", "?b"},
         std::set<std::string>{"a", "c", "?b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const InitialPresence presence = [&c](const std::string& name) {
            return c.before->count("?" + name) ? Presence::Unknown
                   : c.before->count(name)     ? Presence::Exists
                                               : Presence::Missing;
        };
        const ListSimulation simulation =
            c.before ? ListSimulation(c.operations, presence) : ListSimulation(c.operations);
        ASSERT_EQ(simulation.Fates().size(), c.ends.size());
        for (std::size_t i = 0; i < c.ends.size(); ++i) {
            const EntryFate& fate = simulation.Fates()[i];
            std::string end;
            if (fate.effect == EntryEffect::Unreached)
                end = "u";
            else if (fate.effect == EntryEffect::NoEffect)
                end = "x";
            else
                end = (fate.effect == EntryEffect::Uncertain ? "?" : "") + simulation.FinalName(fate.file).value_or("-");
            EXPECT_EQ(end, c.ends[i]) << i;
        }
    }
}

}  // namespace
}  // namespace pendrix
