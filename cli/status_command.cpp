#include "cli/status_command.h"

#include "cli/exit_codes.h"
#include "cli/pending_entries.h"
#include "cli/source_existence.h"
#include "cli/status_format.h"
#include "scheduler/pending_prune.h"
#include "scheduler/pending_values.h"
#include "scheduler/restart_signals.h"

namespace pendrix::cli {

PresenceFunction PresenceThrough(FileSystemApi& files) {
    return [&files](const std::vector<std::string>& names) {
        std::vector<std::string> paths;
        paths.reserve(names.size());
        for (const std::string& name : names) paths.push_back(Win32PathOf(std::string(kObjectPathPrefix) + name));
        std::vector<SourcePresence> answers;
        for (const FileState& state : FileStates(files, paths))
            answers.push_back(state.state == SourceState::Exists    ? SourcePresence::There
                              : state.state == SourceState::Missing ? SourcePresence::Missing
                                                                    : SourcePresence::Unknown);
        return answers;
    };
}

int StatusExitCode(const MachineStatus& status) {
    switch (status.verdict) {
    case RestartVerdict::NotNeeded: return kExitDone;
    case RestartVerdict::Needed: return kExitRestartNeeded;
    case RestartVerdict::CannotTell: break;
    }
    return status.status != 0 ? status.status : kExitUnknownFailure;
}

int RunStatus(const CliArguments& arguments, CliContext& context) {
    // Both values, in the order the start-up processing runs them.
    std::vector<PendingValue> values;
    for (const char* name : kPendingValueNames) values.push_back({name, PendingRenameList(context.registry, name).Read()});
    std::vector<ClassifiedEntry> entries = ClassifyEntries(values, PresenceThrough(context.files));
    const MachineStatus status =
        JudgeMachine(std::move(values), std::move(entries), ReadRestartSignals(context.registry));
    const int code = StatusExitCode(status);
    context.output.Out(arguments.json ? FormatStatusJson(status) : FormatStatusText(status));
    return code;
}

int RunPrune(const CliArguments& arguments, CliContext& context) {
    PruneRequest request;
    request.backupPath = arguments.backupPath.value_or(std::string());
    request.dryRun = arguments.dryRun;
    if (request.backupPath.empty() && !request.dryRun)
        return Fail(context, "no backup file given; nothing was withdrawn", kExitBadUsage);
    const PruneResult result =
        PendingPrune(context.registry, context.listLock, context.files).Run(request, PresenceThrough(context.files));
    const char* nothing = "nothing was withdrawn";
    switch (result.outcome) {
    case PruneOutcome::NothingToWithdraw:
    case PruneOutcome::WouldWithdraw:
    case PruneOutcome::Withdrawn:
        context.output.Out(arguments.json ? FormatPruneJson(result) : FormatPruneText(result));
        return kExitDone;
    case PruneOutcome::ReadFailed: return FailToRead(context, nothing, result.status);
    case PruneOutcome::AnotherForm:
        for (const PendingValue& value : result.values)
            if (HoldsAnotherForm(value.read))
                return FailOnAnotherForm(context, nothing, value.read.shape, value.name.c_str());
        break;
    case PruneOutcome::BackupFailed:
        return FailWithStatus(context, std::string(nothing) + ": the backup \"" + request.backupPath +
                                           "\" could not be written" +
                                           (result.status == kErrorFileExists ? " (a file of that name exists, and "
                                                                                "is never overwritten)"
                                                                              : ""),
                              result.status);
    case PruneOutcome::ChangedMeanwhile:
        return Fail(context, "the list changed after the backup \"" + result.backupPath + "\" was saved; " + nothing,
                    kExitNoSuchEntry);
    case PruneOutcome::UpdateFailed: break;
    }
    switch (result.update) {
    case UpdateOutcome::Busy:
    case UpdateOutcome::NotKept: return FailToChange(context, nothing, result.status);
    case UpdateOutcome::ReadFailed: return FailToRead(context, nothing, result.status);
    default: break;
    }
    return FailWithStatus(context, std::string(nothing) +
                                       ": Windows refused to change the list of pending file operations",
                          result.status);
}

}  // namespace pendrix::cli
