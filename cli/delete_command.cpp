#include "cli/commands.h"

#include "cli/exit_codes.h"
#include "scheduler/file_names.h"
#include "scheduler/refusal_text.h"
#include "scheduler/staging_text.h"

namespace pendrix::cli {

int RunDelete(const CliArguments& arguments, CliContext& context) {
    const std::string& path = arguments.operands[0];
    FileCommands commands(context.registry, context.files, context.listLock, PendingListRead{}, PendingListRead{});
    const bool atRestart = arguments.Has("--at-restart");  // else: now when it can be
    const CommandResult result = commands.Delete(path, !atRestart);
    const bool pattern = HasWildcards(path);
    if (result.outcome != CommandOutcome::Scheduled) {
        const std::string deleted = pattern ? "Deleted every file matching " + Quoted(path) + " now: " +
                                                  QuotedList(result.deletedNow) + "."
                                    : !result.linkTarget.empty() ? DeletedLinkSentence(result)
                                                                 : "Deleted " + QuotedList(result.deletedNow) + " now.";
        return Finish(context, result, deleted, "nothing was deleted or scheduled");
    }

    std::vector<std::string> scheduled;
    for (const RenamePair& pair : result.scheduled) scheduled.push_back(pair.first.substr(kObjectPathPrefix.size()));
    std::string line;
    // Who holds what had to wait, unless it was not tried now.
    const std::string inUseBy =
        atRestart || result.alreadyScheduled ? std::string() : InUseBy(context, scheduled);
    const std::string scheduledWord = result.alreadyScheduled ? "Already scheduled" : "Scheduled";
    if (!pattern) {
        line = scheduledWord + ": " + QuotedList(scheduled) + " is deleted at the next start of Windows" + inUseBy + ".";
    } else {
        line = scheduledWord + " for deletion at the next start of Windows: " + QuotedList(scheduled) + inUseBy + ".";
        if (!result.deletedNow.empty()) line = "Deleted " + QuotedList(result.deletedNow) + " now. " + line;
    }
    context.output.Out(line + kRestartHint + "\r\n");
    if (!result.changeableFolder.empty()) context.output.Out(ChangeableFolderWarning(result) + "\r\n");
    return kExitRestartNeeded;
}

}  // namespace pendrix::cli
