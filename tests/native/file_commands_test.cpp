// The file commands through the stand-in file system and registry: every
// outcome of a replacement and a deletion, and the session undo.
#include <gtest/gtest.h>

#include "registry/registry_constants.h"
#include "app/command_messages.h"
#include "scheduler/file_commands.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using testing::FakeFileSystem;
using testing::FakeRegistry;

template <std::size_t N>
std::string S(const char (&text)[N]) { return std::string(text, N - 1); }

const std::string kSessionManager = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const std::string kAbsent = "<absent>";

class FileCommandsTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(registry.OpenHandles(), 0u); }

    std::string Stored() const {
        const auto* value = registry.FindValue(kSessionManager, kPendingValueName);
        return value == nullptr ? kAbsent : std::string(value->data.begin(), value->data.end());
    }
    void Store(const std::string& data) {
        registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, data);
    }
    // Starts the session as the window does at load.
    FileCommands& Launch() {
        commands.emplace(routines, files, PendingRenameList(routines).Read());
        return *commands;
    }
    // No file the commands made for themselves is left behind.
    void ExpectNoStrayFile() {
        for (const std::string& path : files.Paths()) EXPECT_EQ(path.find("pdx"), std::string::npos) << path;
    }

    FakeRegistry registry;
    FakeFileSystem files;
    RegistryRoutines routines{registry};
    std::optional<FileCommands> commands;
};

// What happens to a destination holding "old" when it is replaced by a
// source holding "new", for each state of the two files.
struct ReplaceCase {
    const char* name;
    bool tryNow;
    void (*arrange)(FakeFileSystem&);
    CommandOutcome outcome;
    const char* destinationAfter;  // nullptr: absent
};

void Free(FakeFileSystem&) {}
void DestinationInUse(FakeFileSystem& fs) { fs.Find("c:\\app\\lib.dll")->inUse = true; }
void DestinationAbsent(FakeFileSystem& fs) { fs.Remove("c:\\app\\lib.dll"); }
void DestinationReadOnly(FakeFileSystem& fs) { fs.Find("c:\\app\\lib.dll")->attributes = kAttributeReadOnly; }
void SourceAbsent(FakeFileSystem& fs) { fs.Remove("c:\\new\\lib.dll"); }
void SourceLocked(FakeFileSystem& fs) { fs.Find("c:\\new\\lib.dll")->lockedForRead = true; }
void SourceReadOnlyDestinationInUse(FakeFileSystem& fs) {
    fs.Find("c:\\new\\lib.dll")->attributes = kAttributeReadOnly;
    DestinationInUse(fs);
}
void FolderRefusesNewFiles(FakeFileSystem& fs) { fs.foldersRefusingNewFiles.insert("c:\\app\\"); }

const ReplaceCase kReplaceCases[] = {
    {"free destination", true, Free, CommandOutcome::DoneNow, "new"},
    {"destination in use", true, DestinationInUse, CommandOutcome::Scheduled, "old"},
    {"destination absent", true, DestinationAbsent, CommandOutcome::Scheduled, nullptr},
    {"destination read-only", true, DestinationReadOnly, CommandOutcome::Scheduled, "old"},
    {"source absent", true, SourceAbsent, CommandOutcome::Scheduled, "old"},
    {"source locked", true, SourceLocked, CommandOutcome::Scheduled, "old"},
    {"read-only copy, destination in use", true, SourceReadOnlyDestinationInUse, CommandOutcome::Scheduled, "old"},
    {"folder refuses new files", true, FolderRefusesNewFiles, CommandOutcome::Scheduled, "old"},
    {"not asked to try now", false, Free, CommandOutcome::Scheduled, "old"},
};

TEST_F(FileCommandsTest, ReplaceOutcomes) {
    for (const ReplaceCase& test : kReplaceCases) {
        SCOPED_TRACE(test.name);
        files = FakeFileSystem();
        registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, S("\\??\\C:\\x\0\0\0"));
        files.Put("c:\\new\\lib.dll", "new");
        files.Put("c:\\app\\lib.dll", "old");
        test.arrange(files);

        const CommandResult result = Launch().Replace("c:\\new\\lib.dll", "c:\\app\\lib.dll", test.tryNow);
        EXPECT_EQ(result.outcome, test.outcome);
        EXPECT_EQ(result.listTextRead, S("\\??\\C:\\x\0"));
        const FakeFileSystem::File* destination = files.Find("c:\\app\\lib.dll");
        if (test.destinationAfter == nullptr) {
            EXPECT_EQ(destination, nullptr);
        } else {
            ASSERT_NE(destination, nullptr);
            EXPECT_EQ(destination->content, test.destinationAfter);
        }
        ExpectNoStrayFile();
        const std::string scheduled = S("\\??\\C:\\x\0\0\\??\\c:\\new\\lib.dll\0!\\??\\c:\\app\\lib.dll\0\0");
        EXPECT_EQ(Stored(), test.outcome == CommandOutcome::Scheduled ? scheduled : S("\\??\\C:\\x\0\0\0"));
        if (test.outcome == CommandOutcome::DoneNow) {
            EXPECT_EQ(files.Find("c:\\new\\lib.dll")->content, "new");
        }
    }
}

TEST_F(FileCommandsTest, ReplaceNeedsBothNamesAndTakesThemAsTyped) {
    Store(S("\\??\\C:\\first\0!\\??\\C:\\second\0\0"));
    EXPECT_EQ(Launch().Replace("", "C:\\d", true).outcome, CommandOutcome::NeedsInput);
    const CommandResult missing = commands->Replace("C:\\s", "", false);
    EXPECT_EQ(missing.outcome, CommandOutcome::NeedsInput);
    EXPECT_EQ(missing.listTextRead, S("\\??\\C:\\first\0!\\??\\C:\\second"));
    EXPECT_EQ(registry.setCalls, 0);

    EXPECT_EQ(commands->Replace("  ", " C:\\d ", false).outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(Stored(), S("\\??\\C:\\first\0!\\??\\C:\\second\0\\??\\  \0!\\??\\ C:\\d \0\0"));
}

TEST_F(FileCommandsTest, OneFileNamedTwiceIsRefusedHoweverItIsSpelt) {
    files.Put("c:\\app\\library.dll", "only copy");
    files.Alias("c:\\app\\LIBRAR~1.DLL", "c:\\app\\library.dll");
    files.currentFolder = "c:\\app\\";
    for (const char* other : {"c:\\app\\library.dll", "C:\\APP\\LIBRARY.DLL", "c:\\app\\LIBRAR~1.DLL", "library.dll"}) {
        SCOPED_TRACE(other);
        EXPECT_EQ(Launch().Replace("c:\\app\\library.dll", other, true).outcome, CommandOutcome::SameFile);
        EXPECT_EQ(files.Find("c:\\app\\library.dll")->content, "only copy");
        EXPECT_EQ(Stored(), kAbsent);
    }
}

TEST_F(FileCommandsTest, ANewListGetsExactlyOnePair) {
    EXPECT_EQ(Launch().Replace("C:\\new\\lib.dll", "C:\\app\\lib.dll", false).outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(Stored(), S("\\??\\C:\\new\\lib.dll\0!\\??\\C:\\app\\lib.dll\0\0"));
}

struct DeleteCase {
    const char* name;
    const char* typed;
    bool tryNow;
    std::vector<const char*> inUse;
    CommandOutcome outcome;
    std::vector<const char*> scheduledFirstStrings;
    std::vector<const char*> left;  // files still there afterwards
};

const DeleteCase kDeleteCases[] = {
    {"free file", "c:\\t\\a.tmp", true, {}, CommandOutcome::DoneNow, {}, {"c:\\t\\b.tmp", "c:\\t\\keep.log"}},
    {"file in use", "c:\\t\\a.tmp", true, {"c:\\t\\a.tmp"}, CommandOutcome::Scheduled,
     {"\\??\\c:\\t\\a.tmp"}, {"c:\\t\\a.tmp", "c:\\t\\b.tmp", "c:\\t\\keep.log"}},
    {"absent file", "c:\\t\\none.tmp", true, {}, CommandOutcome::Scheduled, {"\\??\\c:\\t\\none.tmp"},
     {"c:\\t\\a.tmp", "c:\\t\\b.tmp", "c:\\t\\keep.log"}},
    {"pattern, all free", "c:\\t\\*.tmp", true, {}, CommandOutcome::DoneNow, {}, {"c:\\t\\keep.log"}},
    {"pattern, one in use", "c:\\t\\?.tmp", true, {"c:\\t\\b.tmp"}, CommandOutcome::Scheduled,
     {"\\??\\c:\\t\\b.tmp"}, {"c:\\t\\b.tmp", "c:\\t\\keep.log"}},
    {"relative pattern, two in use", "t\\*.*", true, {"c:\\t\\a.tmp", "c:\\t\\keep.log"},
     CommandOutcome::Scheduled, {"\\??\\c:\\t\\a.tmp", "\\??\\c:\\t\\keep.log"}, {"c:\\t\\a.tmp", "c:\\t\\keep.log"}},
    {"pattern matching nothing", "c:\\t\\*.bak", true, {}, CommandOutcome::Scheduled, {"\\??\\c:\\t\\*.bak"},
     {"c:\\t\\a.tmp", "c:\\t\\b.tmp", "c:\\t\\keep.log"}},
    {"not asked to try now", "c:\\t\\*.tmp", false, {}, CommandOutcome::Scheduled, {"\\??\\c:\\t\\*.tmp"},
     {"c:\\t\\a.tmp", "c:\\t\\b.tmp", "c:\\t\\keep.log"}},
};

TEST_F(FileCommandsTest, DeleteOutcomes) {
    for (const DeleteCase& test : kDeleteCases) {
        SCOPED_TRACE(test.name);
        files = FakeFileSystem();
        files.currentFolder = "c:\\";
        registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, S("\\??\\C:\\x\0\0\0"));
        for (const char* path : {"c:\\t\\a.tmp", "c:\\t\\b.tmp", "c:\\t\\keep.log"}) files.Put(path, "x");
        files.PutFolder("c:\\t\\sub.tmp");
        for (const char* path : test.inUse) files.Find(path)->inUse = true;

        const CommandResult result = Launch().Delete(test.typed, test.tryNow);
        EXPECT_EQ(result.outcome, test.outcome);
        std::string expected = S("\\??\\C:\\x\0\0");
        for (const char* first : test.scheduledFirstStrings) expected += std::string(first) + S("\0\0");
        expected.push_back('\0');
        EXPECT_EQ(Stored(), expected);
        ASSERT_EQ(result.scheduled.size(), test.scheduledFirstStrings.size());
        std::vector<std::string> left;
        for (const std::string& path : files.Paths())
            if (path != "c:\\t\\sub.tmp") left.push_back(path);
        EXPECT_EQ(left, std::vector<std::string>(test.left.begin(), test.left.end()));
    }
}

TEST_F(FileCommandsTest, AnotherProgramsChangeDuringTheAttemptIsKept) {
    files.Put("c:\\t\\a.tmp", "x");
    files.Find("c:\\t\\a.tmp")->inUse = true;
    Launch();
    files.onRemove = [this](const std::string&) { Store(S("\\??\\C:\\installer\0\0\0")); };
    EXPECT_EQ(commands->Delete("c:\\t\\*.tmp", true).outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(Stored(), S("\\??\\C:\\installer\0\0\\??\\c:\\t\\a.tmp\0\0\0"));
}

TEST_F(FileCommandsTest, NothingIsReportedAsScheduledThatWasNot) {
    Store(S("\\??\\C:\\x\0\0\0"));
    registry.refuseWrites = true;
    const CommandResult refused = Launch().Delete("C:\\a", false);
    EXPECT_EQ(refused.outcome, CommandOutcome::NotScheduled);
    EXPECT_EQ(refused.status, kErrorAccessDenied);
    EXPECT_FALSE(refused.readFailed);
    EXPECT_EQ(Stored(), S("\\??\\C:\\x\0\0\0"));

    registry.refuseWrites = false;
    Store(std::string(3000, 'p') + S("\0\0\0"));
    registry.growthsLeft = 1000;  // a value that never stops growing cannot be read
    const CommandResult unread = commands->Replace("C:\\s", "C:\\d", false);
    EXPECT_EQ(unread.outcome, CommandOutcome::NotScheduled);
    EXPECT_TRUE(unread.readFailed);
    EXPECT_EQ(unread.status, kErrorMoreData);
}

TEST_F(FileCommandsTest, CancelAllRestoresTheValueReadAtLaunch) {
    // A list another program stored, ending with a deletion pair.
    const std::string atLaunch = S("\\??\\C:\\a\0!\\??\\C:\\b\0\\??\\C:\\c\0\0\0");
    Store(atLaunch);
    Launch();
    EXPECT_EQ(commands->Replace("C:\\s", "C:\\d", false).outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(commands->Delete("C:\\e", false).outcome, CommandOutcome::Scheduled);
    for (int click = 0; click < 2; ++click) {
        EXPECT_TRUE(commands->CancelAll().reversed);
        EXPECT_EQ(Stored(), atLaunch);
    }
    // Scheduling goes on from the restored list.
    EXPECT_EQ(commands->Delete("C:\\f", false).outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(Stored(), atLaunch.substr(0, atLaunch.size() - 1) + S("\\??\\C:\\f\0\0\0"));
}

TEST_F(FileCommandsTest, CancelAllWithNoValueAtLaunchLeavesAValueWithoutData) {
    Launch();
    EXPECT_TRUE(commands->CancelAll().reversed);
    EXPECT_EQ(Stored(), "");
    EXPECT_EQ(commands->Delete("C:\\e", false).outcome, CommandOutcome::Scheduled);
    EXPECT_TRUE(commands->CancelAll().reversed);
    EXPECT_EQ(Stored(), "");
}

TEST_F(FileCommandsTest, CancelAllKeepsWhatOtherProgramsScheduledMeanwhile) {
    Store(S("\\??\\C:\\a\0\0\0"));
    Launch();
    EXPECT_EQ(commands->Delete("C:\\mine1", false).outcome, CommandOutcome::Scheduled);
    // An installer appends its own pair, then Pendrix schedules again.
    Store(Stored().substr(0, Stored().size() - 1) + S("\\??\\C:\\setup\0!\\??\\C:\\app\0\0"));
    EXPECT_EQ(commands->Replace("C:\\s", "C:\\mine2", false).outcome, CommandOutcome::Scheduled);
    // The installer's pair is the same as one of Pendrix's: only one goes.
    EXPECT_EQ(commands->Delete("C:\\a", false).outcome, CommandOutcome::Scheduled);

    const std::string expected = S("\\??\\C:\\a\0\0\\??\\C:\\setup\0!\\??\\C:\\app\0\0");
    for (int click = 0; click < 2; ++click) {
        EXPECT_TRUE(commands->CancelAll().reversed);
        EXPECT_EQ(Stored(), expected);
    }
}

TEST_F(FileCommandsTest, CancelAllNeverWritesASnapshotItCouldNotRead) {
    Store(std::string(3000, 'p') + S("\0\0\0"));
    registry.growthsLeft = 1000;  // unreadable while the session begins
    Launch();
    registry.growthsLeft = 0;
    const std::string other = Stored();
    EXPECT_FALSE(commands->AtLaunch().readable);
    // Nothing of this session's to take back: the list stays as it is.
    EXPECT_TRUE(commands->CancelAll().reversed);
    EXPECT_EQ(Stored(), other);
    EXPECT_EQ(commands->Delete("C:\\mine", false).outcome, CommandOutcome::Scheduled);
    EXPECT_TRUE(commands->CancelAll().reversed);
    EXPECT_EQ(Stored(), other);
}

TEST_F(FileCommandsTest, ARefusedUndoSaysSo) {
    Launch();
    EXPECT_EQ(commands->Delete("C:\\mine", false).outcome, CommandOutcome::Scheduled);
    registry.refuseWrites = true;
    const UndoResult refused = commands->CancelAll();
    EXPECT_FALSE(refused.reversed);
    EXPECT_EQ(refused.status, kErrorAccessDenied);
    EXPECT_EQ(Stored(), S("\\??\\C:\\mine\0\0\0"));
    registry.refuseWrites = false;
    EXPECT_TRUE(commands->CancelAll().reversed);
    EXPECT_EQ(Stored(), "");
}

}  // namespace
}  // namespace pendrix

namespace pendrix {
namespace {

TEST(CommandMessages, NothingFailedIsEverToldAsDone) {
    const ErrorTextFunction errorText = [](std::int32_t status) { return "system text " + std::to_string(status); };
    CommandResult result;
    result.outcome = CommandOutcome::Scheduled;
    EXPECT_EQ(MessageFor(CommandKind::Delete, result, errorText), kMsgRebootNeeded);
    result.outcome = CommandOutcome::DoneNow;
    EXPECT_EQ(MessageFor(CommandKind::Replace, result, errorText), "File Was Not In Use..\r\nFile Copy Successful.");

    result.outcome = CommandOutcome::NotScheduled;
    result.status = kErrorAccessDenied;
    const std::string refused = MessageFor(CommandKind::Replace, result, errorText);
    EXPECT_EQ(refused.rfind("Nothing was scheduled.", 0), 0u) << refused;
    EXPECT_NE(refused.find("system text 5 (error 5)"), std::string::npos) << refused;
    EXPECT_NE(refused.find("administrator"), std::string::npos) << refused;

    UndoResult undo;
    undo.readFailed = true;
    undo.status = kErrorMoreData;
    const std::string unread = MessageFor(undo, errorText);
    EXPECT_EQ(unread.rfind("Nothing was reversed. The list of pending file operations could not be read.", 0), 0u)
        << unread;
    undo.reversed = true;
    EXPECT_EQ(MessageFor(undo, errorText), kMsgReversed);
}

}  // namespace
}  // namespace pendrix
