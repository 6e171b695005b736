#include "cli/commands.h"

#include "cli/exit_codes.h"
#include "cli/status_format.h"
#include "pending_list/pending_verdict.h"
#include "pending_list/source_existence.h"

namespace pendrix::cli {
namespace {

// The exit code of a verdict: 0, 3010, or the status of what could not be read.
int StatusExitCode(const MachineStatus& status) {
    switch (status.verdict) {
    case RestartVerdict::NotNeeded: return kExitDone;
    case RestartVerdict::Needed: return kExitRestartNeeded;
    case RestartVerdict::CannotTell: break;
    }
    return status.status != 0 ? status.status : kExitUnknownFailure;
}

}  // namespace

int RunStatus(const CliArguments& arguments, CliContext& context) {
    const MachineStatus status = ReadMachineStatus(context.registry, PresenceThrough(context.files),
                                                   context.configManager, arguments.Has("--documented-only"));
    const int code = StatusExitCode(status);
    if (context.json != nullptr)
        WriteStatusJson(*context.json, status);
    else
        context.output.Out(FormatStatusText(status));
    return code;
}

}  // namespace pendrix::cli
