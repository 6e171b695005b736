#include "app/command_messages.h"

#include "pending_list/list_wording.h"
#include "registry/registry_constants.h"
#include "scheduler/refusal_text.h"
#include "scheduler/staging_text.h"

namespace pendrix {
namespace {

std::string Capitalized(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

// "Nothing was scheduled: ..." with the reason and the system's words.
std::string FailureText(const char* nothingDone, bool readFailed, WinStatus status,
                        const ErrorTextFunction& errorText) {
    std::string text = nothingDone;
    text.append(" ").append(Capitalized(readFailed ? kListUnreadable : kListWriteRefused)).append(".");
    text += "\r\n" + errorText(status) + " (error " + std::to_string(status) + ")";
    if (status == kErrorAccessDenied) text += "\r\nRun Pendrix as an administrator.";
    return text;
}

std::string FileCount(std::size_t count) { return std::to_string(count) + (count == 1 ? " file" : " files"); }

// What a pattern deleted before the rest failed, as a sentence; empty when
// nothing was deleted.
std::string DeletedBefore(const CommandResult& result) {
    if (result.deletedNow.empty()) return std::string();
    return FileCount(result.deletedNow.size()) + " matching the pattern " + (result.deletedNow.size() == 1 ? "was" : "were") +
           " deleted at once. ";
}

// What a pattern did with its files, said before the usual sentence.
std::string PatternCounts(const CommandResult& result) {
    const std::size_t now = result.deletedNow.size();
    const std::size_t later = result.outcome == CommandOutcome::Scheduled ? result.scheduled.size() : 0;
    return FileCount(now) + (now == 1 ? " was" : " were") + " deleted now; " + FileCount(later) +
           (later == 1 ? " is" : " are") + " scheduled for deletion at the next start.\r\n";
}

// What is wrong with a value of another form, then what was not done.
std::string AnotherFormText(const StoredShape& shape, const char* nothingDone) {
    return AnotherFormSentence(shape) + " " + nothingDone;
}

}  // namespace

std::string MessageFor(CommandKind kind, const CommandResult& result, const ErrorTextFunction& errorText) {
    const char* nothingDone = kind == CommandKind::Replace ? kMsgNothingReplaced : kMsgNothingDeleted;
    const bool counted = kind == CommandKind::Delete && result.pattern &&
                         (result.outcome == CommandOutcome::DoneNow || result.outcome == CommandOutcome::Scheduled);
    if (counted) {
        CommandResult single = result;
        single.pattern = false;
        return PatternCounts(result) + MessageFor(kind, single, errorText);
    }
    switch (result.outcome) {
    case CommandOutcome::NeedsInput:
        return kind == CommandKind::Replace ? kMsgNeedSourceAndDestination : kMsgNeedFileToDelete;
    case CommandOutcome::DoneNow:
        if (kind == CommandKind::Replace) return kMsgReplacedNow;
        // A link deleted itself says where it led, which stays.
        if (!result.linkTarget.empty()) return std::string(kMsgDeletedNow) + "\r\n" + DeletedLinkSentence(result);
        return kMsgDeletedNow;
    case CommandOutcome::SameFile:
        return kMsgSameFile;
    case CommandOutcome::Scheduled: {
        // A source moved as it is, and a folder users may change, are said before the request to reboot.
        std::string text = result.alreadyScheduled ? kMsgAlreadyScheduled : "";
        if (result.sourceMovedAsIs) text += StagingSentence(result) + "\r\n";
        if (!result.changeableFolder.empty()) text += ChangeableFolderWarning(result) + "\r\n";
        return text + kMsgRebootNeeded;
    }
    case CommandOutcome::ListBusy:
        return DeletedBefore(result) + Capitalized(ListBusyReason()) + ". Nothing was scheduled.";
    case CommandOutcome::NotKept:
        return DeletedBefore(result) + Capitalized(NotKeptReason()) + ". Nothing was scheduled.";
    case CommandOutcome::Refused:
        if (!result.deletedNow.empty())
            return Capitalized(RefusalReason(result)) + ". " + DeletedBefore(result) +
                   FileCount(result.leftOver.size()) + (result.leftOver.size() == 1 ? " was" : " were") +
                   " neither deleted nor scheduled.";
        return Capitalized(RefusalReason(result)) + ". " + nothingDone;
    case CommandOutcome::Interrupted:
        return Capitalized(InterruptionReason(result)) + ". Nothing was scheduled.";
    case CommandOutcome::ListOfAnotherForm:
        return DeletedBefore(result) + AnotherFormText(result.listShape, "Nothing was scheduled.");
    case CommandOutcome::NotScheduled:
        break;
    }
    return DeletedBefore(result) +
           FailureText("Nothing was scheduled.", result.readFailed, result.status, errorText);
}

std::string DeleteManyQuestion(const std::vector<std::string>& names, bool now) {
    std::string text = now ? "Delete " + FileCount(names.size()) +
                                 " now? Those in use are scheduled for deletion at the next start."
                           : "Schedule " + FileCount(names.size()) + " for deletion at the next start?";
    text += "\r\n";
    for (std::size_t index = 0; index < names.size() && index < kQuestionNames; ++index)
        text += "\r\n" + names[index];
    if (names.size() > kQuestionNames) text += "\r\n... and " + std::to_string(names.size() - kQuestionNames) + " more";
    return text;
}

std::string NameTooLongMessage(CommandKind kind, std::string_view boxLabel) {
    static_assert(kLongestNameUnits == 32767, "the text below says so");
    return "The name in " + std::string(boxLabel) + " is longer than the 32,767 characters Windows accepts. " +
           (kind == CommandKind::Replace ? "Nothing was replaced or scheduled." : "Nothing was deleted or scheduled.");
}

std::string StillPendingText(std::size_t operations) {
    if (operations == 0) return "No file operations are pending.";
    if (operations == 1) return "1 file operation is still pending.";
    return std::to_string(operations) + " file operations are still pending.";
}

std::string RestartQuestion(const PendingCount& waiting) {
    std::string text = "Restart Windows now? ";
    if (!waiting.known)
        text += "The list of pending file operations could not be read.";
    else if (waiting.operations == 0)
        text += "Nothing is waiting for a restart.";
    else if (waiting.operations == 1)
        text += "1 file operation is waiting for the restart.";
    else
        text += std::to_string(waiting.operations) + " file operations are waiting for the restart.";
    return text + "\r\n\r\nOpen programs will be asked to close first.";
}

std::string MessageFor(const UndoResult& result, const ErrorTextFunction& errorText) {
    if (result.reversed) return kMsgReversed;
    if (result.nothing != NothingToTakeBack::No) {
        std::string text = result.nothing == NothingToTakeBack::NothingScheduled ? kMsgNothingScheduledToReverse
                                                                                 : kMsgNothingLeftToReverse;
        if (result.stillPending.known) {
            text += ' ';
            text += StillPendingText(result.stillPending.operations);
        }
        return text;
    }
    if (result.anotherForm) return AnotherFormText(result.listShape, "Nothing was reversed.");
    if (result.status == kErrorTimeout) return Capitalized(ListBusyReason()) + ". Nothing was reversed.";
    if (result.status == kErrorRetry) return Capitalized(NotKeptReason()) + ". Nothing was reversed.";
    return FailureText("Nothing was reversed.", result.readFailed, result.status, errorText);
}

}  // namespace pendrix
