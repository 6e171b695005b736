#include "cli/cli_commands.h"

#include "cli/command_table.h"
#include "cli/exit_codes.h"
#include "common/json_text.h"
#include "pending_list/list_wording.h"
#include "scheduler/refusal_text.h"

namespace pendrix::cli {
namespace {

constexpr char kProgramPrefix[] = "pendrix-cli: ";

}  // namespace

int Fail(CliContext& context, const std::string& what, int code) {
    Warn(context, what);
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

}  // namespace

int RunCommand(const CliArguments& arguments, CliContext& context) {
    if (arguments.command == nullptr) {
        context.output.Out(UsageText());
        return kExitDone;
    }
    if (arguments.format != OutputFormat::Json) return arguments.command->run(arguments, context);
    JsonOutput json(context.output);
    CliContext collecting{context.registry, context.files, context.holders, context.listLock,
                          json,             context.errorText, context.clock, context.programFolder,
                          context.configManager};
    const int code = arguments.command->run(arguments, collecting);
    context.output.Out(WithExitCode(json.Document(), code, json.LastError()));
    return code;
}

}  // namespace pendrix::cli
