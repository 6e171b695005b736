// pendrix-cli apply PLAN: a plan's replacements and deletions as one set
// (scheduler/plan_application.h), told one line per operation and a last
// line for the set, or as one JSON document.
#pragma once

#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"

namespace pendrix::cli {

int RunApply(const CliArguments& arguments, CliContext& context);

}  // namespace pendrix::cli
