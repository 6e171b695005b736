#include "app/command_messages.h"

#include "registry/registry_constants.h"

namespace pendrix {
namespace {

// "Nothing was scheduled: ..." with the reason and the system's words.
std::string FailureText(const char* nothingDone, bool readFailed, std::int32_t status,
                        const ErrorTextFunction& errorText) {
    std::string text = nothingDone;
    text += readFailed ? " The list of pending file operations could not be read."
                       : " Windows refused to change the list of pending file operations.";
    text += "\r\n" + errorText(status) + " (error " + std::to_string(status) + ")";
    if (status == kErrorAccessDenied) text += "\r\nRun Pendrix as an administrator.";
    return text;
}

}  // namespace

std::string MessageFor(CommandKind kind, const CommandResult& result, const ErrorTextFunction& errorText) {
    switch (result.outcome) {
    case CommandOutcome::NeedsInput:
        return kind == CommandKind::Replace ? kMsgNeedSourceAndDestination : kMsgNeedFileToDelete;
    case CommandOutcome::DoneNow:
        return kind == CommandKind::Replace ? kMsgReplacedNow : kMsgDeletedNow;
    case CommandOutcome::SameFile:
        return kMsgSameFile;
    case CommandOutcome::Scheduled:
        return kMsgRebootNeeded;
    case CommandOutcome::NotScheduled:
        break;
    }
    return FailureText("Nothing was scheduled.", result.readFailed, result.status, errorText);
}

std::string MessageFor(const UndoResult& result, const ErrorTextFunction& errorText) {
    if (result.reversed) return kMsgReversed;
    return FailureText("Nothing was reversed.", result.readFailed, result.status, errorText);
}

}  // namespace pendrix
