#include "cli/verify_command.h"

#include <optional>
#include <string>

#include "cli/exit_codes.h"
#include "cli/saved_listing.h"
#include "cli/verification.h"
#include "cli/verify_format.h"
#include "scheduler/pending_rename_list.h"
#include "scheduler/pending_values.h"
#include "scheduler/startup_log.h"

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

// Says once on standard error why the start-up processing's log is not used.
void SetLogAside(CliContext& context, const std::string& why) {
    context.output.Error("pendrix-cli: " + why + "; the outcomes go by the files alone\r\n");
}

// The failures %SystemRoot%\PFRO.log holds, with their times in UTC; none
// when there is no log, and none, said once, when it cannot be used.
struct LoggedFailures {
    StartupLog log;
    std::vector<TimedFailure> timed;
};

void ReadLoggedFailures(CliContext& context, const PendingEntries& listed, LoggedFailures& logged) {
    if (context.clock == nullptr) return;
    const std::string folder = context.clock->WindowsFolder();
    if (folder.empty()) return;
    const std::string path = folder + "\\" + kStartupLogName;
    const std::string named = "\"" + path + "\"";
    std::string file;
    const std::uint32_t status = context.files.ReadAll(path, file);
    if (status == kErrorFileNotFound || status == kErrorPathNotFound) return;
    if (status != kErrorSuccess)
        return SetLogAside(context, named + " could not be read: " + context.errorText(static_cast<std::int32_t>(status)) +
                                        " (error " + std::to_string(status) + ")");
    logged.log = ReadStartupLog(file);
    switch (logged.log.problem) {
    case StartupLogProblem::None: break;
    case StartupLogProblem::Empty: return SetLogAside(context, named + " holds no line");
    case StartupLogProblem::NotUtf16: return SetLogAside(context, named + " is not UTF-16 text");
    case StartupLogProblem::OtherForm:
        return SetLogAside(context, named + " line " + std::to_string(logged.log.otherLine) +
                                        " is not of the form the start-up processing writes");
    }
    if (!listed.taken)
        return SetLogAside(context, "the listing does not say when it was taken, so " + named +
                                        " cannot tell which restart its lines are of");
    logged.timed = TimeFailures(logged.log, [&](const LocalTime& local, std::uint64_t& utc) {
        return context.clock->LocalToUtc(local, utc);
    });
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

    const PendingValues read = ReadPendingValues(context.registry);
    for (const PendingListRead& value : read.values)
        if (!value.readable)
            return FailWithStatus(context,
                                  "nothing was verified: the list of pending file operations could not be read",
                                  value.status);
    const PendingEntries current = DescribeValues(read);
    std::vector<Verdict> verdicts = VerifyEntries(*listed, current, context.files);
    LoggedFailures logged;
    ReadLoggedFailures(context, *listed, logged);
    if (listed->taken) ApplyLoggedFailures(*listed, logged.timed, *listed->taken, verdicts);
    context.output.Out(arguments.json ? FormatVerifyJson(*listed, verdicts) : FormatVerifyText(*listed, verdicts));
    return ExitCodeOf(verdicts);
}

}  // namespace pendrix::cli
