#include "cli/verify_command.h"

#include <optional>
#include <string>

#include "cli/exit_codes.h"
#include "pending_list/saved_listing.h"
#include "pending_list/verification.h"
#include "cli/verify_format.h"
#include "pending_list/pending_rename_list.h"

namespace pendrix::cli {
namespace {

int ExitCodeOf(const std::vector<Verdict>& verdicts) {
    bool pending = false;
    for (const Verdict& verdict : verdicts) {
        if (verdict.outcome == Outcome::NotCarriedOut || verdict.outcome == Outcome::NotChecked)
            return kExitNotCarriedOut;
        pending = pending || verdict.outcome == Outcome::StillPending;
    }
    return pending ? kExitRestartNeeded : kExitDone;
}

}  // namespace

int RunVerify(const CliArguments& arguments, CliContext& context) {
    const std::string named = "\"" + arguments.path + "\"";
    std::string file;
    const std::uint32_t status = context.files.ReadAll(arguments.path, file);
    if (status != kErrorSuccess)
        return FailWithStatus(context, "nothing was verified: " + named + " could not be read",
                              static_cast<std::int32_t>(status));
    const std::optional<PendingEntries> listed = ReadSavedListing(file);
    if (!listed)
        return Fail(context, "nothing was verified: " + named + " is not a listing saved from pendrix-cli list --json",
                    kExitNotAListing);

    const PendingListRead read = PendingRenameList(context.registry).Read();
    if (!read.readable)
        return FailWithStatus(context, "nothing was verified: the list of pending file operations could not be read",
                              read.status);
    const PendingEntries current = DescribeEntries(read.stored, read.exists);
    const std::vector<Verdict> verdicts = VerifyEntries(*listed, current, context.files);
    context.output.Out(arguments.json ? FormatVerifyJson(*listed, verdicts) : FormatVerifyText(*listed, verdicts));
    return ExitCodeOf(verdicts);
}

}  // namespace pendrix::cli
