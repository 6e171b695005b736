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

}  // namespace

int RunVerify(const CliArguments& arguments, CliContext& context) {
    using Failure = ListingVerification::Failure;
    const std::string& path = arguments.operands[0];
    PendingRenameList list(context.registry);
    const ListingVerification result = VerifySavedListing(path, list, context.files);
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
    context.output.Out(arguments.format == OutputFormat::Json ? FormatVerifyJson(result.listed, result.verdicts)
                                                              : FormatVerifyText(result.listed, result.verdicts));
    return ExitCodeOf(result.verdicts);
}

}  // namespace pendrix::cli
