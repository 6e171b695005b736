// pendrix-cli verify FILE [--json]: what the start-up processing carried
// out of a listing saved with list --json before the restart.
#pragma once

#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"

namespace pendrix::cli {

// Reports each entry and a summary. Exit code: 0 when every entry the
// start-up walk reaches was carried out; 1 when one was not (or cannot be
// checked); otherwise 3010 when some are still pending (restart Windows);
// 13 when FILE is not a saved listing; the Windows error code when FILE or
// the list cannot be read.
int RunVerify(const CliArguments& arguments, CliContext& context);

}  // namespace pendrix::cli
