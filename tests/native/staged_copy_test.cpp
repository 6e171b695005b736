// A replacement for the next start through the stand-ins: the staged copy
// (its content fixed when scheduled, its security, its removal), the final
// names stored, protected files and paths through links.
#include <gtest/gtest.h>

#include <optional>

#include "registry/registry_constants.h"
#include "scheduler/file_commands.h"
#include "scheduler/file_names.h"
#include "scheduler/refusal_text.h"
#include "scheduler/staged_copy.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using testing::FakeFileSystem;

using ::pendrix::testing::kSessionManager;
const char kSource[] = "C:\\Users\\Ann\\Downloads\\lib.dll";
const char kDestination[] = "C:\\App\\lib.dll";
const char kStaged[] = "C:\\App\\lib.dll.pendrix-new-1";
const std::string kStagedPair = S("\\??\\C:\\App\\lib.dll.pendrix-new-1\0!\\??\\C:\\App\\lib.dll\0");

class StagedCopyTest : public ::testing::Test {
protected:
    StagedCopyTest() {
        files.Put(kSource, "new");
        files.PutFolder("C:\\App");
        files.Put(kDestination, "old");
        files.Find(kDestination)->inUse = true;
        files.Find(kDestination)->rules = "the destination's own";
    }
    std::string Stored() const {
        const auto* value = registry.FindValue(kSessionManager, kPendingValueName);
        return value == nullptr ? std::string() : value->Text();
    }
    FileCommands& Commands() {
        if (!commands)
            commands.emplace(routines, files, lock, PendingRenameList(routines).Read(),
                             PendingRenameList(routines, kPendingValue2Name).Read());
        return *commands;
    }
    // The names of staged copies on the stand-in.
    std::size_t StagedCopies() const {
        std::size_t count = 0;
        for (const std::string& path : files.Paths()) count += path.find(".pendrix-new-") != std::string::npos;
        return count;
    }

    testing::FakeRegistry registry;
    FakeFileSystem files;
    RegistryRoutines routines{registry};
    testing::FakeListLock lock;
    std::optional<FileCommands> commands;
};

TEST_F(StagedCopyTest, TheCopyHoldsTheSourceAsItWasWhenScheduled) {
    files.Find(kSource)->attributes = kAttributeArchive;
    files.Find(kDestination)->attributes = kAttributeHidden | kAttributeSystem | kAttributeReadOnly;
    const CommandResult result = Commands().Replace(kSource, kDestination, true);
    ASSERT_EQ(result.outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(result.stagedCopy, kStaged);
    EXPECT_EQ(Stored(), kStagedPair + S("\0"));
    // Whoever can write the source changes it afterwards: the copy stays.
    files.Put(kSource, "swapped by the user");
    EXPECT_EQ(files.Find(kStaged)->content, "new");
    EXPECT_EQ(files.Find(kStaged)->owner, "BUILTIN\\Administrators");
    EXPECT_EQ(files.Find(kStaged)->rules, "the destination's own");
    // The destination's attributes as they were; it is made writable for the restart.
    EXPECT_EQ(files.Find(kStaged)->attributes, kAttributeHidden | kAttributeSystem | kAttributeReadOnly);
    EXPECT_EQ(files.Find(kDestination)->attributes, kAttributeHidden | kAttributeSystem);
    EXPECT_EQ(files.Find(kDestination)->content, "old");
}

TEST_F(StagedCopyTest, ANewDestinationTakesItsFoldersRules) {
    files.Find(kDestination)->inUse = false;
    ASSERT_EQ(files.Remove(kDestination), 0u);
    files.Find(kSource)->owner = "PC\\Ann";
    files.Find(kSource)->attributes = kAttributeHidden | kAttributeReadOnly;
    ASSERT_EQ(Commands().Replace(kSource, kDestination, false).outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(files.Find(kStaged)->rules, "inherited");
    EXPECT_EQ(files.Find(kStaged)->attributes, kAttributeNormal);
    EXPECT_EQ(files.Find(kStaged)->owner, "BUILTIN\\Administrators");
}

TEST_F(StagedCopyTest, TheSameContentIsNotStagedTwice) {
    ASSERT_EQ(Commands().Replace(kSource, kDestination, false).outcome, CommandOutcome::Scheduled);
    const CommandResult again = Commands().Replace(kSource, kDestination, false);
    EXPECT_EQ(again.outcome, CommandOutcome::Scheduled);
    EXPECT_TRUE(again.alreadyScheduled);
    EXPECT_EQ(again.stagedCopy, kStaged);
    EXPECT_EQ(Stored(), kStagedPair + S("\0"));
    EXPECT_EQ(StagedCopies(), 1u);
    // Other content is another replacement, after the first.
    files.Put(kSource, "newer");
    const CommandResult newer = Commands().Replace(kSource, kDestination, false);
    EXPECT_FALSE(newer.alreadyScheduled);
    EXPECT_EQ(newer.stagedCopy, "C:\\App\\lib.dll.pendrix-new-2");
    EXPECT_EQ(Stored(), kStagedPair + S("\\??\\C:\\App\\lib.dll.pendrix-new-2\0!\\??\\C:\\App\\lib.dll\0\0"));
}

TEST_F(StagedCopyTest, APendingCopyStandsOnlyForItsOwnDestination) {
    ASSERT_EQ(Commands().Replace(kSource, kDestination, false).outcome, CommandOutcome::Scheduled);
    // The same content for the copy itself: the pending entry moves the copy
    // away, it does not put this content in its place.
    const CommandResult copyItself = Commands().Replace(kSource, kStaged, false);
    EXPECT_FALSE(copyItself.alreadyScheduled);
    EXPECT_NE(Stored(), kStagedPair + S("\0"));
}

TEST_F(StagedCopyTest, CancelAllDeletesTheCopiesItTakesBack) {
    files.Put("C:\\App\\lib.dll.pendrix-new-7", "another program's");
    ASSERT_EQ(Commands().Replace(kSource, kDestination, false).outcome, CommandOutcome::Scheduled);
    ASSERT_TRUE(files.Exists(kStaged));
    EXPECT_TRUE(Commands().CancelAll().reversed);
    EXPECT_FALSE(files.Exists(kStaged));
    EXPECT_TRUE(files.Exists("C:\\App\\lib.dll.pendrix-new-7"));
    EXPECT_TRUE(files.Exists(kSource));
}

TEST_F(StagedCopyTest, NoCopyStaysWhenNothingIsScheduled) {
    registry.refuseWrites = true;
    EXPECT_EQ(Commands().Replace(kSource, kDestination, false).outcome, CommandOutcome::NotScheduled);
    EXPECT_EQ(StagedCopies(), 0u);
    registry.refuseWrites = false;
    files.fault = [](const std::string& call, const std::string&) {
        return call == "CreateStagedCopy" ? static_cast<std::uint32_t>(kErrorAccessDenied) : 0u;
    };
    const CommandResult refused = Commands().Replace(kSource, kDestination, false);
    EXPECT_EQ(refused.refusal, Refusal::NotStaged);
    EXPECT_EQ(refused.status, kErrorAccessDenied);
    EXPECT_EQ(StagedCopies(), 0u);
    EXPECT_EQ(Stored(), "");
}

TEST_F(StagedCopyTest, ALockedSourceIsMovedAsItIsAndSaysSo) {
    files.Find(kSource)->lockedForRead = true;
    const CommandResult result = Commands().Replace(kSource, kDestination, true);
    EXPECT_EQ(result.outcome, CommandOutcome::Scheduled);
    EXPECT_TRUE(result.sourceMovedAsIs);
    EXPECT_EQ(Stored(), S("\\??\\C:\\Users\\Ann\\Downloads\\lib.dll\0!\\??\\C:\\App\\lib.dll\0\0"));
    EXPECT_EQ(StagedCopies(), 0u);
    // Another letter of the same volume is moved too; another volume is
    // refused, since the start-up processing only renames.
    files.Put("D:\\lib.dll", "new");
    files.Find("D:\\lib.dll")->lockedForRead = true;
    EXPECT_EQ(Commands().Replace("D:\\lib.dll", kDestination, false).outcome, CommandOutcome::Scheduled);
    Commands().CancelAll();
    files.otherVolumes.insert('d');
    const CommandResult refused = Commands().Replace("D:\\lib.dll", kDestination, true);
    EXPECT_EQ(refused.refusal, Refusal::AcrossVolumes);
    EXPECT_EQ(refused.status, kErrorNotSameDevice);
    EXPECT_EQ(RefusalReason(refused), "the source \"D:\\lib.dll\" cannot be read now to copy it beside "
                                      "\"C:\\App\\lib.dll\", and Windows cannot move it to another volume at the "
                                      "next start");
    EXPECT_EQ(Stored(), "");
}

// Only a ".pendrix-new-N" name the pair makes for its own destination is a staged copy.
TEST(StagedCopyOf, OnlyTheCopyMadeForTheDestination) {
    const struct {
        std::string first, second, copy;
    } cases[] = {
        {"\\??\\C:\\a\\b.dll.pendrix-new-3", "!\\??\\C:\\a\\b.dll", "C:\\a\\b.dll.pendrix-new-3"},
        {"\\??\\C:\\A\\B.DLL.pendrix-new-12", "!\\??\\c:\\a\\b.dll", "C:\\A\\B.DLL.pendrix-new-12"},
        {"\\??\\C:\\a\\b.dll.pendrix-new-3", "!\\??\\C:\\a\\c.dll", ""},
        {"\\??\\C:\\a\\b.dll.pendrix-new-", "!\\??\\C:\\a\\b.dll", ""},
        {"\\??\\C:\\a\\b.dll.pendrix-new-03", "!\\??\\C:\\a\\b.dll", ""},
        {"\\??\\C:\\a\\b.dll.pendrix-new-3x", "!\\??\\C:\\a\\b.dll", ""},
        {"\\??\\C:\\a\\b.dll.pendrix-old-3", "!\\??\\C:\\a\\b.dll", ""},
        {"\\??\\C:\\a\\b.dll.pendrix-new-3", "", ""},
        {"C:\\a\\b.dll.pendrix-new-3", "!\\??\\C:\\a\\b.dll", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first + " -> " + c.second);
        EXPECT_EQ(StagedCopyOf({c.first, c.second}), c.copy);
    }
}

// The names stored are those Windows resolves: subst drives, short names
// and the case of every part; names with no local drive are refused.
TEST_F(StagedCopyTest, StoredNamesAreTheFinalNames) {
    files.substDrives['s'] = "C:\\App";
    files.ShortName(kSource, "LIB~1.DLL");
    const struct {
        const char* source;
        const char* destination;
        std::string stored;
    } cases[] = {
        {kSource, "S:\\LIB.DLL", kStagedPair},
        {kSource, "\\\\?\\S:\\lib.dll", kStagedPair},
        {kSource, "s:\\new.dll", S("\\??\\C:\\App\\new.dll.pendrix-new-1\0!\\??\\C:\\App\\new.dll\0")},
        {"C:\\USERS\\ANN\\DOWNLOADS\\LIB~1.DLL", "c:\\app\\lib.dll", kStagedPair},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " -> " + c.destination);
        registry = testing::FakeRegistry();
        files.Find(kSource)->lockedForRead = false;
        commands.reset();
        ASSERT_EQ(Commands().Replace(c.source, c.destination, false).outcome, CommandOutcome::Scheduled);
        EXPECT_EQ(Stored(), c.stored + S("\0"));
        Commands().CancelAll();
        // A locked source is stored by its own final name.
        registry = testing::FakeRegistry();
        files.Find(kSource)->lockedForRead = true;
        commands.reset();
        ASSERT_EQ(Commands().Replace(c.source, c.destination, false).outcome, CommandOutcome::Scheduled);
        const std::string destination = c.stored.substr(c.stored.find('!'));
        EXPECT_EQ(Stored(), S("\\??\\C:\\Users\\Ann\\Downloads\\lib.dll\0") + destination + S("\0"));
    }
    files.volumesWithoutLetter.insert("c:\\");
    commands.reset();
    const CommandResult refused = Commands().Replace(kSource, kDestination, false);
    EXPECT_EQ(refused.refusal, Refusal::NotLocal);
    EXPECT_EQ(refused.status, kErrorNotSupported);
}

// A file the system account may not delete or replace is refused, naming its
// owner, never answered "reboot".
TEST_F(StagedCopyTest, AProtectedFileIsRefusedNamingItsOwner) {
    files.Find(kDestination)->deleteDenied = true;
    files.Find(kDestination)->owner = "NT SERVICE\\TrustedInstaller";
    for (const bool replace : {true, false}) {
        SCOPED_TRACE(replace ? "replace" : "delete");
        const CommandResult result = replace ? Commands().Replace(kSource, kDestination, true)
                                             : Commands().Delete(kDestination, true);
        EXPECT_EQ(result.outcome, CommandOutcome::Refused);
        EXPECT_EQ(result.refusal, Refusal::Protected);
        EXPECT_EQ(result.status, kErrorAccessDenied);
        EXPECT_NE(RefusalReason(result).find("owned by NT SERVICE\\TrustedInstaller"), std::string::npos);
        EXPECT_EQ(Stored(), "");
        EXPECT_EQ(StagedCopies(), 0u);
    }
    // Judged for SYSTEM and its groups, never for the administrators.
    const AccessRule kSystemFull{true, false, 0x1F01FF, "S-1-5-18"};
    const AccessRule kAdminsRead{true, false, 0x1200A9, "S-1-5-32-544"};
    const AccessRules kWindowsFolder{true, {{true, false, 0x1301BF, "S-1-5-18"}}};  // Modify
    const struct {
        const char* what;
        AccessRules file, folder;
        bool replaceRefused, deleteRefused;
    } cases[] = {
        {"a service's data: SYSTEM's, not the administrators'", {true, {kSystemFull, kAdminsRead}}, kWindowsFolder,
         false, false},
        {"GENERIC_ALL to Authenticated Users", {true, {{true, false, 0x10000000, "S-1-5-11"}}}, kWindowsFolder, false,
         false},
        {"the folder lets SYSTEM delete but not add", {true, {kAdminsRead}},
         {true, {{true, false, 0x1200A9 | 0x40, "S-1-5-18"}}}, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        files.rulesOf = {{"c:\\app\\lib.dll", c.file}, {"c:\\app", c.folder}};
        EXPECT_EQ(Commands().Replace(kSource, kDestination, false).refusal == Refusal::Protected, c.replaceRefused);
        EXPECT_EQ(Commands().Delete(kDestination, false).refusal == Refusal::Protected, c.deleteRefused);
    }
    files.rulesOf.clear();
    // A loaded program file is only in use: it may be renamed, so it is scheduled.
    files.Find(kDestination)->deleteDenied = false;
    files.Find(kDestination)->inUse = false;
    files.Find(kDestination)->loaded = true;
    EXPECT_EQ(Commands().Delete(kDestination, true).outcome, CommandOutcome::Scheduled);
}

// A name that is itself a link: deleted itself now where the system lets
// the link alone be opened (Windows), else refused; never scheduled, since
// the start-up processing would follow it; what it leads to is never
// touched. Windows marks links; under Wine only the final name tells.
TEST_F(StagedCopyTest, ALinkIsNeverFollowed) {
    const struct {
        const char* name;
        bool asWine;
        bool replace;
        bool tryNow;
        const char* typed;  // the link, or a pattern matching it
        CommandOutcome outcome;
    } cases[] = {
        {"deleted now", false, false, true, "C:\\App\\db.lnk", CommandOutcome::DoneNow},
        {"deleted now, under Wine", true, false, true, "C:\\App\\db.lnk", CommandOutcome::Refused},
        {"deleted at the restart", false, false, false, "C:\\App\\db.lnk", CommandOutcome::Refused},
        {"deleted at the restart, under Wine", true, false, false, "C:\\App\\db.lnk", CommandOutcome::Refused},
        {"a pattern, now", false, false, true, "C:\\App\\*.lnk", CommandOutcome::DoneNow},
        {"a pattern, now, under Wine", true, false, true, "C:\\App\\*.lnk", CommandOutcome::Refused},
        {"a pattern at the restart, under Wine", true, false, false, "C:\\App\\*.lnk", CommandOutcome::Refused},
        {"replaced at the restart", false, true, false, "C:\\App\\db.lnk", CommandOutcome::Refused},
        {"replaced at the restart, under Wine", true, true, false, "C:\\App\\db.lnk", CommandOutcome::Refused},
        {"same last part, under Wine", true, false, false, "C:\\App\\precious.db", CommandOutcome::Refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        files = FakeFileSystem();
        registry = testing::FakeRegistry();
        commands.reset();
        files.Put(kSource, "new");
        files.Put("C:\\Data\\precious.db", "precious");
        files.Find("C:\\Data\\precious.db")->attributes = kAttributeReadOnly;
        files.PutFolder("C:\\App");
        const std::string link = HasWildcards(c.typed) ? "C:\\App\\db.lnk" : c.typed;
        files.SymbolicLink(link, "C:\\Data\\precious.db");
        files.linksAsWine = c.asWine;
        const CommandResult result =
            c.replace ? Commands().Replace(kSource, c.typed, c.tryNow) : Commands().Delete(c.typed, c.tryNow);
        EXPECT_EQ(result.outcome, c.outcome);
        if (!HasWildcards(c.typed) || c.outcome != CommandOutcome::DoneNow) {
            EXPECT_EQ(result.linkTarget, "C:\\Data\\precious.db");
        }
        ASSERT_NE(files.Find("C:\\Data\\precious.db"), nullptr);
        EXPECT_EQ(files.Find("C:\\Data\\precious.db")->content, "precious");
        EXPECT_EQ(files.Find("C:\\Data\\precious.db")->attributes, kAttributeReadOnly);
        EXPECT_EQ(Stored(), "");
        EXPECT_EQ(StagedCopies(), 0u);
        if (c.outcome == CommandOutcome::DoneNow) {
            EXPECT_FALSE(files.Exists(link));
            EXPECT_EQ(result.deletedNow, std::vector<std::string>{link});
        } else {
            EXPECT_TRUE(files.Exists(link));
            EXPECT_EQ(result.refusal, Refusal::Link);
            EXPECT_EQ(result.status, kErrorCantResolveFilename);
            EXPECT_EQ(result.subjectName, link);
        }
    }
}

// A path through a link is refused for the restart, naming the link; now it
// is followed as before. A folder users may change is warned of.
TEST_F(StagedCopyTest, LinksOnTheWayAreRefusedForTheRestart) {
    files.SymbolicLink("C:\\Shortcut", "C:\\App");
    const CommandResult refused = Commands().Replace(kSource, "C:\\Shortcut\\lib.dll", true);
    EXPECT_EQ(refused.refusal, Refusal::ThroughLink);
    EXPECT_EQ(refused.status, kErrorCantResolveFilename);
    EXPECT_EQ(refused.link, "C:\\Shortcut");
    EXPECT_NE(RefusalReason(refused).find("the link \"C:\\Shortcut\""), std::string::npos);
    EXPECT_EQ(Commands().Delete("C:\\Shortcut\\lib.dll", false).refusal, Refusal::ThroughLink);
    EXPECT_EQ(Stored(), "");

    files.Find(kDestination)->inUse = false;
    EXPECT_EQ(Commands().Replace(kSource, "C:\\Shortcut\\lib.dll", true).outcome, CommandOutcome::DoneNow);
    EXPECT_EQ(files.Find(kDestination)->content, "new");

    files.foldersUsersMayChange.insert("c:\\app");
    files.Find(kDestination)->inUse = true;
    const CommandResult warned = Commands().Replace(kSource, kDestination, true);
    EXPECT_EQ(warned.outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(warned.changeableFolder, "C:\\App");
}

}  // namespace
}  // namespace pendrix
