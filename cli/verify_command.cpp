#include "cli/commands.h"

#include <string>

#include "cli/exit_codes.h"
#include "cli/verify_format.h"
#include "pending_list/verification.h"

namespace pendrix::cli {
namespace {

int ExitCodeOf(const std::vector<Verdict>& verdicts) {
    bool pending = false;
    for (const Verdict& verdict : verdicts) {
        if (verdict.result == VerifyResult::NotCarriedOut || verdict.result == VerifyResult::NotChecked)
            return kExitNotCarriedOut;
        pending = pending || verdict.result == VerifyResult::StillPending;
    }
    return pending ? kExitRestartNeeded : kExitDone;
}

// Why the start-up processing's log was not used; empty when it was (or
// there is none).
std::string WhyLogAside(const ListingVerification& result, CliContext& context) {
    const std::string named = Quoted(result.logPath);
    switch (result.logAside) {
    case LogAside::None: break;
    case LogAside::Unreadable:
        return named + " could not be read: " + context.errorText(result.logStatus) + " (error " +
               std::to_string(result.logStatus) + ")";
    case LogAside::Empty: return named + " holds no line";
    case LogAside::NotUtf16: return named + " is not UTF-16 text";
    case LogAside::Untimed:
        return "the listing does not say when it was taken, so " + named + " cannot tell which restart its lines are of";
    }
    return std::string();
}

// "2 lines are not of the form the start-up processing writes and were
// skipped (the first is line 4)".
std::string SkippedLines(std::size_t count, std::size_t first) {
    return count == 1 ? "line " + std::to_string(first) +
                            " is not of the form the start-up processing writes and was skipped"
                      : std::to_string(count) +
                            " lines are not of the form the start-up processing writes and were skipped (the first is "
                            "line " + std::to_string(first) + ")";
}

}  // namespace

int RunVerify(const CliArguments& arguments, CliContext& context) {
    using Failure = ListingVerification::Failure;
    const std::string& path = arguments.operands[0];
    const ListingVerification result = VerifySavedListing(path, context.registry, context.files, context.clock);
    switch (result.failure) {
    case Failure::None: break;
    case Failure::FileUnreadable:
        return FailWithStatus(context, "nothing was verified: " + Quoted(path) + " could not be read", result.status);
    case Failure::NotAListing:
        return Fail(context,
                    "nothing was verified: " + Quoted(path) + " is not a listing saved from pendrix-cli list --json",
                    kExitNotAListing);
    case Failure::ListUnreadable: return FailToRead(context, "nothing was verified", result.status);
    }
    const std::string logAside = WhyLogAside(result, context);
    if (!logAside.empty()) Warn(context, logAside + "; the outcomes go by the files alone");
    if (result.logLinesSkipped != 0)
        Warn(context, Quoted(result.logPath) + ": " + SkippedLines(result.logLinesSkipped, result.logFirstSkipped));
    if (context.json != nullptr)
        WriteVerifyJson(*context.json, result.listed, result.verdicts);
    else
        context.output.Out(FormatVerifyText(result.listed, result.verdicts));
    return ExitCodeOf(result.verdicts);
}

}  // namespace pendrix::cli
