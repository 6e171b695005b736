// The main window's messages for every outcome of the file commands.
#include <gtest/gtest.h>

#include "app/command_messages.h"
#include "registry/registry_constants.h"

namespace pendrix {
namespace {

// Over every outcome, kind and status: only what was done is told as done,
// and every failure says what was not done, whether the list could not be
// read, and the system's words with the code.
TEST(CommandMessages, NothingFailedIsEverToldAsDone) {
    const ErrorTextFunction errorText = [](std::int32_t status) { return "system text " + std::to_string(status); };
    const std::string successes[] = {kMsgReplacedNow, kMsgDeletedNow, kMsgRebootNeeded, kMsgReversed};
    const auto toldAsDone = [&](const std::string& text) {
        for (const std::string& success : successes)
            if (text.find(success) != std::string::npos) return true;
        return false;
    };
    const auto checkFailure = [&](const std::string& text, const char* nothingDone, bool readFailed,
                                  std::int32_t status) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(toldAsDone(text));
        EXPECT_EQ(text.rfind(nothingDone, 0), 0u);
        EXPECT_EQ(text.find("could not be read") != std::string::npos, readFailed);
        const std::string code = " (error " + std::to_string(status) + ")";
        EXPECT_NE(text.find(errorText(status) + code), std::string::npos);
        EXPECT_EQ(text.find("administrator") != std::string::npos, status == kErrorAccessDenied);
    };
    const CommandOutcome outcomes[] = {CommandOutcome::NeedsInput, CommandOutcome::DoneNow, CommandOutcome::SameFile,
                                       CommandOutcome::Scheduled, CommandOutcome::NotScheduled,
                                       CommandOutcome::ListOfAnotherForm, CommandOutcome::ListBusy,
                                       CommandOutcome::NotKept};
    for (const CommandKind kind : {CommandKind::Replace, CommandKind::Delete}) {
        for (const CommandOutcome outcome : outcomes) {
            for (const bool readFailed : {false, true}) {
                for (const std::int32_t status : {kErrorFileNotFound, kErrorAccessDenied, kErrorMoreData, 1314}) {
                    CommandResult result;
                    result.outcome = outcome;
                    result.readFailed = readFailed;
                    result.status = status;
                    const std::string text = MessageFor(kind, result, errorText);
                    if (outcome == CommandOutcome::NotScheduled) {
                        checkFailure(text, "Nothing was scheduled.", readFailed, status);
                    } else {
                        const bool done = outcome == CommandOutcome::DoneNow || outcome == CommandOutcome::Scheduled;
                        EXPECT_EQ(toldAsDone(text), done) << text;
                        EXPECT_EQ(text.find("(error"), std::string::npos) << text;
                    }
                    UndoResult undo;
                    undo.reversed = outcome == CommandOutcome::DoneNow;
                    undo.readFailed = readFailed;
                    undo.status = status;
                    const std::string undone = MessageFor(undo, errorText);
                    if (undo.reversed) {
                        EXPECT_EQ(undone, kMsgReversed);
                    } else {
                        checkFailure(undone, "Nothing was reversed.", readFailed, status);
                    }
                }
            }
        }
    }

    // The list kept busy by another Pendrix process, or changed back by other
    // programs each time: said so, never with a system message of success.
    for (const std::int32_t status : {kErrorTimeout, kErrorRetry}) {
        UndoResult undo;
        undo.status = status;
        const std::string undone = MessageFor(undo, errorText);
        EXPECT_NE(undone.find(status == kErrorTimeout ? "busy" : "did not stay"), std::string::npos) << undone;
        EXPECT_EQ(undone.rfind(" Nothing was reversed."), undone.size() - 22) << undone;
    }

    // A list of another form: one sentence on what it is, then what was not done.
    CommandResult result;
    result.outcome = CommandOutcome::ListOfAnotherForm;
    result.listShape = {kRegBinary, 22};
    EXPECT_EQ(MessageFor(CommandKind::Delete, result, errorText),
              "The list of pending file operations is stored as REG_BINARY, not as a list of strings, and Pendrix "
              "does not overwrite it. Nothing was scheduled.");
    UndoResult undo;
    undo.anotherForm = true;
    undo.listShape = {kRegMultiSz, 59};
    EXPECT_EQ(MessageFor(undo, errorText),
              "The list of pending file operations holds an odd number of bytes (59), and Pendrix does not overwrite "
              "it. Nothing was reversed.");
}

// Cancel All says it reversed something only when it did; the restart
// question says what waits for the restart.
TEST(CommandMessages, CancelAllAndRestartSayWhatTheListHolds) {
    const ErrorTextFunction errorText = [](std::int32_t) { return std::string("unused"); };
    const struct {
        NothingToTakeBack nothing;
        PendingCount pending;
        const char* said;
    } undos[] = {
        {NothingToTakeBack::NothingScheduled, {true, 3},
         "This session scheduled nothing, so nothing was reversed. 3 file operations are still pending."},
        {NothingToTakeBack::NothingScheduled, {true, 0},
         "This session scheduled nothing, so nothing was reversed. No file operations are pending."},
        {NothingToTakeBack::AlreadyGone, {true, 1},
         "Nothing this session scheduled was left to take back. 1 file operation is still pending."},
        {NothingToTakeBack::AlreadyGone, {false, 0}, "Nothing this session scheduled was left to take back."},
    };
    for (const auto& u : undos) {
        UndoResult undo;
        undo.nothing = u.nothing;
        undo.stillPending = u.pending;
        EXPECT_EQ(MessageFor(undo, errorText), u.said);
    }

    const struct {
        PendingCount waiting;
        const char* asked;
    } questions[] = {
        {{true, 2}, "Restart Windows now? 2 file operations are waiting for the restart."},
        {{true, 1}, "Restart Windows now? 1 file operation is waiting for the restart."},
        {{true, 0}, "Restart Windows now? Nothing is waiting for a restart."},
        {{false, 0}, "Restart Windows now? The list of pending file operations could not be read."},
    };
    for (const auto& q : questions)
        EXPECT_EQ(RestartQuestion(q.waiting), std::string(q.asked) + "\r\n\r\nOpen programs will be asked to close first.");
}

// Every refusal is one sentence naming what is wrong, and says that
// nothing was done; a replacement stopped half-way says where the old
// content is.
TEST(CommandMessages, EveryRefusalNamesItsNameAndThatNothingWasDone) {
    const ErrorTextFunction errorText = [](std::int32_t) { return std::string("unused"); };
    for (int refusal = static_cast<int>(Refusal::InvalidName); refusal <= static_cast<int>(Refusal::Network);
         ++refusal) {
        for (const CommandKind kind : {CommandKind::Replace, CommandKind::Delete}) {
            CommandResult result;
            result.outcome = CommandOutcome::Refused;
            result.refusal = static_cast<Refusal>(refusal);
            result.status = 2;
            result.subject = kind == CommandKind::Replace ? NameRole::Source : NameRole::Path;
            result.subjectName = "C:\\named\\file.dll";
            const std::string text = MessageFor(kind, result, errorText);
            const std::string ending = kind == CommandKind::Replace ? kMsgNothingReplaced : kMsgNothingDeleted;
            EXPECT_NE(text.find("\"C:\\named\\file.dll\""), std::string::npos) << text;
            EXPECT_EQ(text.size() - ending.size(), text.rfind(". " + ending) + 2) << text;
            EXPECT_TRUE((text[0] >= 'A' && text[0] <= 'Z') || text[0] == '"') << text;
        }
    }
    CommandResult stopped;
    stopped.outcome = CommandOutcome::Interrupted;
    stopped.status = 112;
    stopped.subjectName = "C:\\app.dll";
    stopped.keptAt = "C:\\pdx1.tmp";
    const std::string text = MessageFor(CommandKind::Replace, stopped, errorText);
    EXPECT_NE(text.find("\"C:\\pdx1.tmp\""), std::string::npos) << text;
    EXPECT_EQ(text.find(kMsgReplacedNow), std::string::npos) << text;
}

// A replacement scheduled with its source itself (it could not be read to
// stage a copy), in a folder users may change: both said before the request
// to reboot, the source named.
TEST(CommandMessages, ASourceMovedAsItIsAndAChangeableFolderAreSaid) {
    const ErrorTextFunction errorText = [](WinStatus) { return std::string("text"); };
    CommandResult result;
    result.outcome = CommandOutcome::Scheduled;
    result.source = "C:\\new.dll";
    result.sourceMovedAsIs = true;
    EXPECT_EQ(MessageFor(CommandKind::Replace, result, errorText),
              "The source \"C:\\new.dll\" cannot be read now, so it will be moved as it is at the restart.\r\n" +
                  std::string(kMsgRebootNeeded));
    result.sourceMovedAsIs = false;
    result.stagedCopy = "C:\\app\\lib.dll.pendrix-new-1";
    result.changeableFolder = "C:\\app";
    result.alreadyScheduled = true;
    EXPECT_EQ(MessageFor(CommandKind::Replace, result, errorText),
              std::string(kMsgAlreadyScheduled) +
                  "Warning: ordinary users may change the folder \"C:\\app\", so what it leads to could be changed "
                  "before the restart.\r\n" + kMsgRebootNeeded);
    // A link deleted itself now names where it led.
    CommandResult link;
    link.outcome = CommandOutcome::DoneNow;
    link.deletedNow = {"C:\\l.db"};
    link.linkTarget = "C:\\data\\l.db";
    EXPECT_EQ(MessageFor(CommandKind::Delete, link, errorText),
              std::string(kMsgDeletedNow) +
                  "\r\nDeleted the link \"C:\\l.db\" itself now; \"C:\\data\\l.db\", where it led, was not touched.");
}

// A pattern of many files asks with their count and the first ten names;
// afterwards, how many went now and how many wait, before the usual sentence.
TEST(CommandMessages, APatternAsksWithCountAndNamesAndThenCountsWhatWasDone) {
    const std::vector<std::string> names(12, "C:\\f");
    std::string ten;
    for (int index = 0; index < 10; ++index) ten += "\r\nC:\\f";
    EXPECT_EQ(DeleteManyQuestion(names, true), "Delete 12 files now? Those in use are scheduled for deletion at the "
                                               "next start.\r\n" + ten + "\r\n... and 2 more");
    EXPECT_EQ(DeleteManyQuestion({"C:\\a", "C:\\b"}, false),
              "Schedule 2 files for deletion at the next start?\r\n\r\nC:\\a\r\nC:\\b");
    CommandResult result;
    result.pattern = true;
    result.outcome = CommandOutcome::Scheduled;
    result.deletedNow = {"C:\\a", "C:\\b"};
    result.scheduled = {{"\\??\\C:\\c", ""}};
    const ErrorTextFunction errorText = [](WinStatus) { return std::string("text"); };
    EXPECT_EQ(MessageFor(CommandKind::Delete, result, errorText),
              "2 files were deleted now; 1 file is scheduled for deletion at the next start.\r\n" +
                  std::string(kMsgRebootNeeded));
    result.outcome = CommandOutcome::DoneNow;
    result.deletedNow.resize(1);
    EXPECT_EQ(MessageFor(CommandKind::Delete, result, errorText),
              "1 file was deleted now; 0 files are scheduled for deletion at the next start.\r\n" +
                  std::string(kMsgDeletedNow));
    result.pattern = false;
    EXPECT_EQ(MessageFor(CommandKind::Delete, result, errorText), kMsgDeletedNow) << "a file named: as before";
}

}  // namespace
}  // namespace pendrix
