// pendrix-cli shell install|uninstall|status: Pendrix on Explorer's menu,
// through the core's ShellMenu; this part says what was done and gives the
// exit code.
#pragma once

#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"

namespace pendrix::cli {

int RunShell(const CliArguments& arguments, CliContext& context);

}  // namespace pendrix::cli
