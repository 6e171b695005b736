#include "cli/cli_commands.h"

#include "cli/apply_command.h"
#include "cli/exit_codes.h"
#include "cli/holder_report.h"
#include "cli/json_text.h"
#include "cli/list_format.h"
#include "cli/pending_entries.h"
#include "cli/shell_command.h"
#include "cli/source_existence.h"
#include "cli/status_command.h"
#include "cli/verify_command.h"
#include "registry/registry_constants.h"
#include "scheduler/file_commands.h"
#include "scheduler/file_names.h"
#include "scheduler/list_update.h"
#include "scheduler/move_aside_replacement.h"
#include "scheduler/pending_rename_list.h"
#include "scheduler/pending_values.h"
#include "scheduler/refusal_text.h"
#include "scheduler/staged_copy.h"
#include "scheduler/staging_text.h"
#include "scheduler/stored_list.h"

namespace pendrix::cli {
namespace {

constexpr char kProgramPrefix[] = "pendrix-cli: ";

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

}  // namespace

int Fail(CliContext& context, const std::string& what, int code) {
    context.output.Error(kProgramPrefix + what + "\r\n");
    return code;
}

int FailWithStatus(CliContext& context, const std::string& what, std::int32_t status) {
    std::string line = what + ": " + context.errorText(status) + " (error " + std::to_string(status) + ")";
    if (status == kErrorAccessDenied) line += "; run it elevated";
    return Fail(context, line, status != 0 ? status : kExitUnknownFailure);
}

int FailToRead(CliContext& context, const char* nothingDone, std::int32_t status) {
    return FailWithStatus(context, std::string(nothingDone) + ": the list of pending file operations could not be read",
                          status);
}

int FailOnAnotherForm(CliContext& context, const char* nothingDone, const StoredShape& shape,
                      const char* valueName) {
    return Fail(context, std::string(nothingDone) + ": " + AnotherFormText(shape, valueName), kExitInvalidList);
}

int FailToChange(CliContext& context, const char* nothingDone, std::int32_t status) {
    return Fail(context, (status == kErrorTimeout ? ListBusyReason() : NotKeptReason()) + "; " + nothingDone, status);
}

namespace {

int RunList(const CliArguments& arguments, CliContext& context) {
    // Taken before the lists are read: a failure logged after it concerns
    // what the listing shows.
    const std::optional<std::uint64_t> taken =
        context.clock != nullptr ? std::optional<std::uint64_t>(context.clock->NowUtc()) : std::nullopt;
    const PendingValues read = ReadPendingValues(context.registry);
    for (const PendingListRead& value : read.values)
        if (!value.readable) return FailToRead(context, "nothing was listed", value.status);
    PendingEntries list = DescribeValues(read);
    list.taken = taken;
    // Every source, then the destination of every plain rename: one that
    // exists makes it fail at the restart.
    std::vector<std::string> paths;
    std::vector<std::size_t> renames;
    paths.reserve(list.entries.size());
    for (const PendingEntry& entry : list.entries) paths.push_back(SourcePathOf(entry));
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        if (list.entries[i].kind != EntryKind::Rename) continue;
        paths.push_back(DestinationPathOf(list.entries[i]));
        renames.push_back(i);
    }
    const std::vector<FileState> states = FileStates(context.files, paths);
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        list.entries[i].sourceState = states[i].state;
        list.entries[i].sourceStamp = states[i].stamp;
    }
    for (std::size_t k = 0; k < renames.size(); ++k)
        list.entries[renames[k]].destinationState = states[list.entries.size() + k].state;
    context.output.Out(arguments.json ? FormatListJson(list) : FormatListText(list));
    return kExitDone;
}

// "a", "b", "c"
std::string QuotedList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list.append(list.empty() ? "" : ", ").append(Quoted(name));
    return list;
}

}  // namespace

int Finish(CliContext& context, const CommandResult& result, const std::string& doneNow, const char* nothingDone) {
    switch (result.outcome) {
    case CommandOutcome::DoneNow:
        context.output.Out(doneNow + "\r\n");
        return kExitDone;
    case CommandOutcome::SameFile:
        return Fail(context, "source and destination name the same file; nothing was replaced or scheduled",
                    kExitSameFile);
    case CommandOutcome::NeedsInput:
        return Fail(context, "an empty path; nothing was done", kExitBadUsage);
    case CommandOutcome::Refused: {
        if (!result.deletedNow.empty()) context.output.Out("Deleted " + QuotedList(result.deletedNow) + " now.\r\n");
        std::string line = RefusalReason(result);
        if (!result.leftOver.empty())
            line += "; " + QuotedList(result.leftOver) + (result.leftOver.size() == 1 ? " was" : " were") +
                    " neither deleted nor scheduled";
        else
            line += std::string("; ") + nothingDone;
        return Fail(context, line, result.status != 0 ? result.status : kExitUnknownFailure);
    }
    case CommandOutcome::Interrupted:
        return Fail(context, InterruptionReason(result) + "; nothing was scheduled",
                    result.status != 0 ? result.status : kExitUnknownFailure);
    case CommandOutcome::ListOfAnotherForm:
        if (!result.deletedNow.empty()) context.output.Out("Deleted " + QuotedList(result.deletedNow) + " now.\r\n");
        return FailOnAnotherForm(context, "nothing was scheduled", result.listShape,
                                 kPendingValueNames[result.listValue]);
    case CommandOutcome::ListBusy:
    case CommandOutcome::NotKept:
        if (!result.deletedNow.empty()) context.output.Out("Deleted " + QuotedList(result.deletedNow) + " now.\r\n");
        return FailToChange(context, nothingDone, result.status);
    case CommandOutcome::NotScheduled:
        if (!result.deletedNow.empty()) context.output.Out("Deleted " + QuotedList(result.deletedNow) + " now.\r\n");
        if (result.readFailed) return FailToRead(context, "nothing was scheduled", result.status);
        return FailWithStatus(context, "nothing was scheduled: Windows refused to change the list of pending file "
                                       "operations", result.status);
    case CommandOutcome::Scheduled:
        break;
    }
    return kExitRestartNeeded;
}

HolderReport HoldersOf(CliContext& context, const std::vector<std::string>& paths) {
    HolderScan scan;
    if (context.holders.Find(paths, scan) != kErrorSuccess) return {};
    return MergeHolders(scan);
}

std::string InUseBy(CliContext& context, const std::vector<std::string>& paths) {
    return InUseByText(HoldersOf(context, paths));
}

namespace {

int RunReplace(const CliArguments& arguments, CliContext& context);

// replace --move-aside: a destination in use is renamed aside and replaced
// now; what cannot be moved aside is replaced or scheduled as without it.
int RunReplaceMovingAside(const CliArguments& arguments, CliContext& context) {
    FileCommands commands(context.registry, context.files, context.listLock, PendingListRead{}, PendingListRead{});
    MoveAsideReplacement replacement(context.files, commands);
    HolderReport holders;
    const MoveAsideResult result = replacement.Replace(arguments.source, arguments.destination, [&] {
        holders = HoldersOf(context, {arguments.destination});
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
        return FailWithStatus(context, "nothing was replaced or scheduled: Windows refused to change the list of "
                                       "pending file operations", result.status);
    case MoveAsideOutcome::LeftHalfWay:
        if (!result.destinationMissing)
            return FailWithStatus(context, replaced + ", but the deletion of the old copy " + Quoted(result.oldCopy) +
                                               " could not be scheduled, nor the old file put back", result.status);
        return FailWithStatus(context, Quoted(result.destination) + " is missing: its old content is " +
                                           Quoted(result.oldCopy) + " and the new copy " + Quoted(result.newCopy) +
                                           "; putting them back failed", result.status);
    }
    return RunReplace(arguments, context);
}

int RunReplace(const CliArguments& arguments, CliContext& context) {
    // The tool takes nothing back, so the commands need no list of the
    // session's start.
    FileCommands commands(context.registry, context.files, context.listLock, PendingListRead{}, PendingListRead{});
    const CommandResult result = commands.Replace(arguments.source, arguments.destination, !arguments.atRestart);
    if (result.outcome != CommandOutcome::Scheduled)
        return Finish(context, result,
                      "Replaced " + Quoted(result.destination) + " with " + Quoted(result.source) + " now.",
                      "nothing was replaced or scheduled");

    std::string line = std::string(result.alreadyScheduled ? "Already scheduled" : "Scheduled") + ": " +
                       Quoted(result.destination) + " is replaced with " + Quoted(result.source) +
                       " at the next start of Windows";
    if (!arguments.atRestart && !result.alreadyScheduled) line += InUseBy(context, {result.destination});
    const std::string staging = StagingSentence(result);
    context.output.Out(line + "." + (staging.empty() ? std::string() : " " + staging) + kRestartHint + "\r\n");
    if (!result.changeableFolder.empty()) context.output.Out(ChangeableFolderWarning(result) + "\r\n");
    return kExitRestartNeeded;
}

int RunDelete(const CliArguments& arguments, CliContext& context) {
    FileCommands commands(context.registry, context.files, context.listLock, PendingListRead{}, PendingListRead{});
    const CommandResult result = commands.Delete(arguments.path, !arguments.atRestart);
    const bool pattern = HasWildcards(arguments.path);
    if (result.outcome != CommandOutcome::Scheduled) {
        const std::string deleted = pattern ? "Deleted every file matching " + Quoted(arguments.path) + " now: " +
                                                  QuotedList(result.deletedNow) + "."
                                            : "Deleted " + QuotedList(result.deletedNow) + " now.";
        return Finish(context, result, deleted, "nothing was deleted or scheduled");
    }

    std::vector<std::string> scheduled;
    for (const RenamePair& pair : result.scheduled) scheduled.push_back(pair.first.substr(kObjectPathPrefix.size()));
    std::string line;
    // Who holds what had to wait, unless it was not tried now.
    const std::string inUseBy =
        arguments.atRestart || result.alreadyScheduled ? std::string() : InUseBy(context, scheduled);
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

// The same stored strings in the same value: an entry found again in a
// list read later.
bool SameEntry(const PendingEntry& a, const PendingEntry& b) {
    return a.value == b.value && a.first == b.first && a.second == b.second && a.stringCount == b.stringCount;
}

// " from PendingFileRenameOperations2" for an entry of the second value.
std::string FromValue(const PendingEntry& entry) {
    return entry.value == 0 ? std::string() : std::string(" from ") + kPendingValueNames[entry.value];
}

int RunRemove(const CliArguments& arguments, CliContext& context) {
    const PendingValues read = ReadPendingValues(context.registry);
    for (const PendingListRead& value : read.values)
        if (!value.readable) return FailToRead(context, "nothing was withdrawn", value.status);
    const PendingEntries entries = DescribeValues(read);
    const std::string number = std::to_string(arguments.entry);
    if (arguments.entry > entries.entries.size())
        return Fail(context, "there is no entry " + number + " (the lists hold " +
                                 std::to_string(entries.entries.size()) + "); nothing was withdrawn",
                    kExitNoSuchEntry);

    const PendingEntry& entry = entries.entries[arguments.entry - 1];
    const std::size_t value = entry.value;
    if (HoldsAnotherForm(read[value]))
        return FailOnAnotherForm(context, "nothing was withdrawn", read[value].shape, kPendingValueNames[value]);
    if (arguments.expectedSource && *arguments.expectedSource != entry.source &&
        *arguments.expectedSource != entry.first)
        return Fail(context, "entry " + number + " is " + DescribeEntry(entry) + ", not of the source " +
                                 Quoted(*arguments.expectedSource) + "; nothing was withdrawn",
                    kExitNoSuchEntry);

    // Under the mutex, on the lists as they are now: the entry goes only
    // when it is still entry N of the same value, string for string; every
    // other byte of both values stays.
    bool changedMeanwhile = false;
    bool wouldWake = false;
    const auto withdraw = [&](const PendingListRead& current) {
        ListChange change;
        change.kind = ListChange::Kind::Refuse;
        PendingValues values = ReadPendingValues(context.registry);
        values[value] = current;
        const PendingEntries now = DescribeValues(values);
        changedMeanwhile = !values[1 - value].readable || arguments.entry > now.entries.size() ||
                           !SameEntry(now.entries[arguments.entry - 1], entry);
        if (changedMeanwhile) return change;
        const PendingEntry& there = now.entries[arguments.entry - 1];
        change.data = current.stored;
        RemoveEntry(change.data, there);
        // Taking out the last entry of a list that lacks its closing NUL can
        // leave it closed, and the start-up processing would then carry out
        // entries it ignores now.
        wouldWake = !now.Value(value).closed && IsClosedProperly(change.data);
        if (wouldWake) return change;
        change.withdrawn.push_back({std::string(there.first), std::string(there.second)});
        // A list left with no string goes, as the start-up processing leaves
        // it: a value of no data makes other programs' additions go wrong.
        change.kind = change.data.empty() ? ListChange::Kind::DeleteValue : ListChange::Kind::Store;
        return change;
    };
    const UpdateResult update =
        PendingListUpdate(context.registry, context.listLock, kPendingValueNames[value]).Run(withdraw);
    switch (update.outcome) {
    case UpdateOutcome::Written: break;
    case UpdateOutcome::ReadFailed: return FailToRead(context, "nothing was withdrawn", update.status);
    case UpdateOutcome::AnotherForm:
        return FailOnAnotherForm(context, "nothing was withdrawn", update.current.shape, kPendingValueNames[value]);
    case UpdateOutcome::Busy:
    case UpdateOutcome::NotKept: return FailToChange(context, "nothing was withdrawn", update.status);
    case UpdateOutcome::WriteFailed:
    case UpdateOutcome::LockFailed:
        return FailWithStatus(context, "nothing was withdrawn: Windows refused to change the list of pending file "
                                       "operations", update.status);
    case UpdateOutcome::NotWritten:
        if (wouldWake)
            return Fail(context, "withdrawing entry " + number + " would let the start-up processing carry out the "
                                     "rest of a list it ignores now; nothing was withdrawn",
                        kExitInvalidList);
        return Fail(context, "the list changed meanwhile and entry " + number + " is no longer " +
                                 DescribeEntry(entry) + FromValue(entry) + "; nothing was withdrawn",
                    kExitNoSuchEntry);
    }
    // A copy staged for the entry goes with it.
    RemoveStagedCopies(context.files, update.change.withdrawn);
    context.output.Out("Withdrew entry " + number + FromValue(entry) + ": " + DescribeEntry(entry) + ".\r\n");
    return kExitDone;
}

int RunHolders(const CliArguments& arguments, CliContext& context) {
    // A device, a pipe or a volume holds no file: one line, as the other
    // commands refuse it.
    const NameResolution name = ResolveName(arguments.path, context.files, NameUse::File);
    if (name.problem == NameProblem::NotAFile)
        return Fail(context, Quoted(arguments.path) + " names a drive, a volume or a device, not a file; nobody was "
                                                      "looked for",
                    kErrorBadPathname);
    HolderScan scan;
    const std::uint32_t status = context.holders.Find({arguments.path}, scan);
    if (status != kErrorSuccess)
        return FailWithStatus(context, "could not look for the holders of " + Quoted(arguments.path),
                              static_cast<std::int32_t>(status));
    const HolderReport report = MergeHolders(scan);
    context.output.Out(arguments.json ? FormatHoldersJson(arguments.path, report)
                                      : FormatHoldersText(arguments.path, report));
    return kExitDone;
}

}  // namespace

namespace {

// Keeps what a command writes to standard output, so that its JSON document
// can carry the exit code; failures go on to standard error at once.
class JsonOutput final : public CliOutput {
public:
    explicit JsonOutput(CliOutput& inner) : inner_(inner) {}
    void Out(std::string_view text) override { document_ += text; }
    void Error(std::string_view text) override {
        inner_.Error(text);
        error_ = text.substr(0, text.find_first_of("\r\n"));
        if (error_.rfind(kProgramPrefix, 0) == 0) error_.erase(0, sizeof kProgramPrefix - 1);
    }
    const std::string& Document() const noexcept { return document_; }
    const std::string& LastError() const noexcept { return error_; }

private:
    CliOutput& inner_;
    std::string document_;
    std::string error_;
};

int RunOneCommand(const CliArguments& arguments, CliContext& context);

}  // namespace

int RunCommand(const CliArguments& arguments, CliContext& context) {
    if (!arguments.json) return RunOneCommand(arguments, context);
    JsonOutput json(context.output);
    CliContext collecting{context.registry, context.files, context.holders, context.listLock,
                          json,             context.errorText, context.clock, context.programFolder};
    const int code = RunOneCommand(arguments, collecting);
    context.output.Out(WithExitCode(json.Document(), code, json.LastError()));
    return code;
}

namespace {

int RunOneCommand(const CliArguments& arguments, CliContext& context) {
    switch (arguments.command) {
    case CliCommand::List: return RunList(arguments, context);
    case CliCommand::Replace:
        return arguments.moveAside ? RunReplaceMovingAside(arguments, context) : RunReplace(arguments, context);
    case CliCommand::Delete: return RunDelete(arguments, context);
    case CliCommand::Remove: return RunRemove(arguments, context);
    case CliCommand::Verify: return RunVerify(arguments, context);
    case CliCommand::Holders: return RunHolders(arguments, context);
    case CliCommand::Status: return RunStatus(arguments, context);
    case CliCommand::Prune: return RunPrune(arguments, context);
    case CliCommand::Apply: return RunApply(arguments, context);
    case CliCommand::Shell: return RunShell(arguments, context);
    case CliCommand::Help: break;
    }
    context.output.Out(UsageText());
    return kExitDone;
}

}  // namespace

}  // namespace pendrix::cli
