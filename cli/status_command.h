// pendrix-cli status: does this machine need a restart, and why; and
// pendrix-cli prune: withdraw the pending entries that can have no effect,
// after a backup.
#pragma once

#include "cli/cli_commands.h"
#include "scheduler/pending_verdict.h"

namespace pendrix::cli {

int RunStatus(const CliArguments& arguments, CliContext& context);
int RunPrune(const CliArguments& arguments, CliContext& context);

// Whether each name exists, as the file system answers (list's batched
// questions), for the classification of entries.
PresenceFunction PresenceThrough(FileSystemApi& files);

// The exit code of a verdict: 0, 3010, or the status of what could not be read.
int StatusExitCode(const MachineStatus& status);

}  // namespace pendrix::cli
