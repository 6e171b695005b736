#include "cli/commands.h"

#include "cli/exit_codes.h"
#include "cli/status_format.h"
#include "pending_list/source_existence.h"
#include "scheduler/pending_prune.h"

namespace pendrix::cli {
namespace {

// What prune did, in the form asked for.
void Say(const PruneResult& result, CliContext& context) {
    if (context.json != nullptr)
        WritePruneJson(*context.json, result);
    else
        context.output.Out(FormatPruneText(result));
}

}  // namespace

int RunPrune(const CliArguments& arguments, CliContext& context) {
    PruneRequest request;
    // --backup FILE; without it pendrix-backup-YYYYMMDD-HHMMSS.reg in the
    // current folder, in local time.
    if (const std::string* backup = arguments.Value("--backup"))
        request.backupPath = *backup;
    else if (context.localNow != nullptr)
        request.backupPath = DefaultBackupName(context.localNow());
    request.dryRun = arguments.Has("--dry-run");
    if (request.backupPath.empty() && !request.dryRun)
        return Fail(context, "no backup file given; nothing was withdrawn", kExitBadUsage);
    const PruneResult result =
        PendingPrune(context.registry, context.listLock, context.files).Run(request, PresenceThrough(context.files));
    std::string notDone = "nothing was withdrawn";
    // Withdrawn from the first value before the second failed: what was
    // done is said, value by value, before the failure.
    if (result.PartlyWithdrawn()) {
        Say(result, context);
        for (std::size_t v = 0; v < result.values.size(); ++v)
            if (!result.WithdrawnFrom(v)) notDone = "nothing was withdrawn from " + result.values[v].name;
    }
    const char* nothing = notDone.c_str();
    switch (result.outcome) {
    case PruneOutcome::NothingToWithdraw:
    case PruneOutcome::WouldWithdraw:
    case PruneOutcome::Withdrawn:
        Say(result, context);
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
                                           (result.status == kErrorFileExists
                                                ? " (a file of that name exists, and is never overwritten)"
                                            : result.status == kErrorDirectoryNotSupported ? " (it is a folder)"
                                            : result.status == kErrorBadPathname           ? " (it names a device)"
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
    return FailToWrite(context, nothing, result.status);
}

}  // namespace pendrix::cli
