#include "cli/cli_commands.h"

#include "cli/command_table.h"
#include "cli/exit_codes.h"
#include "pending_list/list_wording.h"
#include "scheduler/refusal_text.h"
#include "scheduler/trusted_list_lock.h"

namespace pendrix::cli {
namespace {

constexpr char kProgramPrefix[] = "pendrix-cli: ";

}  // namespace

int Fail(CliContext& context, const std::string& what, int code) {
    Warn(context, what);
    context.failure = what;
    return code;
}

void Warn(CliContext& context, const std::string& what) { context.output.Error(kProgramPrefix + what + "\r\n"); }

int FailWithStatus(CliContext& context, const std::string& what, WinStatus status) {
    std::string line = what + ": " + context.errorText(status) + " (error " + std::to_string(status) + ")";
    if (status == kErrorAccessDenied) line += "; run it elevated";
    return Fail(context, line, status != 0 ? status : kExitUnknownFailure);
}

int FailToRead(CliContext& context, const char* nothingDone, WinStatus status) {
    return FailWithStatus(context, std::string(nothingDone) + ": " + kListUnreadable,
                          status);
}

int FailToWrite(CliContext& context, const char* nothingDone, WinStatus status) {
    return FailWithStatus(context, std::string(nothingDone) + ": " + kListWriteRefused, status);
}

int FailToChange(CliContext& context, const char* nothingDone, WinStatus status) {
    return Fail(context, (status == kErrorTimeout ? ListBusyReason() : NotKeptReason()) + "; " + nothingDone, status);
}

std::string CheckWhen(const CliArguments& arguments) {
    if (arguments.Has("--at-restart") && arguments.Has("--move-aside"))
        return "--move-aside replaces now and --at-restart at the next start: give one of them";
    return std::string();
}

int FailOnAnotherForm(CliContext& context, const char* nothingDone, const StoredShape& shape,
                      const char* valueName) {
    return Fail(context, std::string(nothingDone) + ": " + AnotherFormLine(shape, valueName), kExitInvalidList);
}

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
        return FailToWrite(context, "nothing was scheduled", result.status);
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

// A --json command's standard output is its document alone: the lines it
// would write for a person are not written.
class DocumentOnly final : public CliOutput {
public:
    explicit DocumentOnly(CliOutput& inner) : inner_(inner) {}
    void Out(std::string_view) override {}
    void Error(std::string_view text) override { inner_.Error(text); }

private:
    CliOutput& inner_;
};

}  // namespace

int RunCommand(const CliArguments& arguments, CliContext& context) {
    if (arguments.command == nullptr) {
        context.output.Out(UsageText());
        return kExitDone;
    }
    // The mutex is waited on only when SYSTEM or the administrators own it;
    // going on without it is said once, after the command's own words.
    TrustedListLock lock(context.listLock);
    if (!arguments.Has("--json")) {
        CliContext trusted{context.registry, context.files,     context.holders, lock,
                           context.output,   context.errorText, context.clock,   context.programFolder,
                           context.localNow, nullptr,         {},              context.configManager};
        const int code = arguments.command->run(arguments, trusted);
        if (const std::string notice = lock.TakeNotice(); !notice.empty()) Warn(context, notice);
        return code;
    }
    DocumentOnly quiet(context.output);
    std::string document;
    int code = kExitUnknownFailure;
    {
        JsonObject members(document);
        CliContext json{context.registry, context.files, context.holders,       lock,
                        quiet,            context.errorText, context.clock, context.programFolder,
                        context.localNow, &members,       {},            context.configManager};
        code = arguments.command->run(arguments, json);
        const std::string notice = lock.TakeNotice();
        if (!notice.empty()) Warn(context, notice);
        if (members.Empty()) members.String("error", json.failure);
        if (!notice.empty()) members.Array("warnings").String(notice);
        members.Number("exitCode", code);
    }
    context.output.Out(document + "\r\n");
    return code;
}

}  // namespace pendrix::cli
