#include "cli/commands.h"

#include <optional>

#include "cli/exit_codes.h"
#include "scheduler/move_aside_replacement.h"
#include "scheduler/refusal_text.h"
#include "scheduler/staging_text.h"

namespace pendrix::cli {
namespace {

// replace --move-aside: a destination in use is renamed aside and replaced
// now. Nothing when it was not moved aside: it is then replaced or
// scheduled as without the option.
std::optional<int> ReplaceMovingAside(const std::string& source, const std::string& destination, CliContext& context) {
    FileCommands commands(context.registry, context.files, context.listLock, PendingListRead{}, PendingListRead{});
    MoveAsideReplacement replacement(context.files, commands);
    HolderReport holders;
    const MoveAsideResult result = replacement.Replace(source, destination, [&] {
        holders = HoldersOf(context, {destination});
    });
    const std::string replaced =
        "Replaced " + Quoted(result.destination) + " with " + Quoted(result.source) + " now";
    switch (result.outcome) {
    case MoveAsideOutcome::NotMovedAside: break;
    case MoveAsideOutcome::ReplacedNow:
        context.output.Out(replaced + ".\r\n");
        return kExitDone;
    case MoveAsideOutcome::MovedAside: {
        std::string line = replaced + ". ";
        if (!holders.holders.empty())
            line += "Programs that use it keep the old copy until they end (" + HolderNamesText(holders) + "); it";
        else
            line += "The old copy was in use; it";
        line += " is now " + Quoted(result.oldCopy) + " and is deleted at the next start of Windows.";
        context.output.Out(line + "\r\n");
        return kExitDone;
    }
    case MoveAsideOutcome::Interrupted:
        return FailWithStatus(context, "the replacement of " + Quoted(result.destination) +
                                           " stopped half-way; its old content is kept in " + Quoted(result.oldCopy) +
                                           "; nothing was scheduled", result.status);
    case MoveAsideOutcome::NotScheduled:
        if (result.deletion.outcome == CommandOutcome::ListOfAnotherForm)
            return FailOnAnotherForm(context, "nothing was replaced or scheduled", result.deletion.listShape,
                                     kPendingValueNames[result.deletion.listValue]);
        if (result.deletion.outcome == CommandOutcome::ListBusy || result.deletion.outcome == CommandOutcome::NotKept)
            return FailToChange(context, "nothing was replaced or scheduled", result.deletion.status);
        if (result.deletion.outcome == CommandOutcome::Refused)
            return Fail(context, RefusalReason(result.deletion) + "; nothing was replaced or scheduled",
                        result.deletion.status);
        if (result.deletion.readFailed) return FailToRead(context, "nothing was replaced or scheduled", result.status);
        return FailToWrite(context, "nothing was replaced or scheduled", result.status);
    case MoveAsideOutcome::LeftHalfWay:
        if (!result.destinationMissing)
            return FailWithStatus(context, replaced + ", but the deletion of the old copy " + Quoted(result.oldCopy) +
                                               " could not be scheduled, nor the old file put back", result.status);
        return FailWithStatus(context, Quoted(result.destination) + " is missing: its old content is " +
                                           Quoted(result.oldCopy) + " and the new copy " + Quoted(result.newCopy) +
                                           "; putting them back failed", result.status);
    }
    return std::nullopt;
}

}  // namespace

int RunReplace(const CliArguments& arguments, CliContext& context) {
    const std::string& source = arguments.operands[0];
    const std::string& destination = arguments.operands[1];
    const bool atRestart = arguments.Has("--at-restart");  // else: now when it can be
    if (arguments.Has("--move-aside"))
        if (const std::optional<int> code = ReplaceMovingAside(source, destination, context)) return *code;
    // The tool takes nothing back, so the commands need no list of the
    // session's start.
    FileCommands commands(context.registry, context.files, context.listLock, PendingListRead{}, PendingListRead{});
    const CommandResult result = commands.Replace(source, destination, !atRestart);
    if (result.outcome != CommandOutcome::Scheduled)
        return Finish(context, result,
                      "Replaced " + Quoted(result.destination) + " with " + Quoted(result.source) + " now.",
                      "nothing was replaced or scheduled");

    std::string line = std::string(result.alreadyScheduled ? "Already scheduled" : "Scheduled") + ": " +
                       Quoted(result.destination) + " is replaced with " + Quoted(result.source) +
                       " at the next start of Windows";
    if (!atRestart && !result.alreadyScheduled) line += InUseBy(context, {result.destination});
    const std::string staging = StagingSentence(result);
    context.output.Out(line + "." + (staging.empty() ? std::string() : " " + staging) + kRestartHint + "\r\n");
    if (!result.changeableFolder.empty()) context.output.Out(ChangeableFolderWarning(result) + "\r\n");
    return kExitRestartNeeded;
}

}  // namespace pendrix::cli
