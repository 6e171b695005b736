// The commands of pendrix-cli, one function each (cli/command_table.cpp
// names them), each in a file of its own. Each runs the shared code of both
// programs and presents its result: it writes one line (or its report) to
// the output and returns the exit code.
#pragma once

#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"

namespace pendrix::cli {

// list: every entry of the list as read, with whether its source exists.
int RunList(const CliArguments& arguments, CliContext& context);

// replace SOURCE DESTINATION: through FileCommands, exactly what the
// window's Apply does; with --move-aside a destination in use is renamed
// aside and replaced now.
int RunReplace(const CliArguments& arguments, CliContext& context);

// delete PATH: through FileCommands, exactly what the window's Apply does.
int RunDelete(const CliArguments& arguments, CliContext& context);

// remove N: the withdrawal of entry N.
int RunRemove(const CliArguments& arguments, CliContext& context);

// holders PATH: the processes that hold PATH.
int RunHolders(const CliArguments& arguments, CliContext& context);

// verify FILE: reports each entry and a summary. Exit code: 0 when every
// entry the start-up walk reaches was carried out; 1 when one was not (or
// cannot be checked); otherwise 3010 when some are still pending (restart
// Windows); 13 when FILE is not a saved listing; the Windows error code
// when FILE or the list cannot be read.
int RunVerify(const CliArguments& arguments, CliContext& context);

// status: does this machine need a restart, and why. Exit code: 0 no, 3010
// yes, or the status of what could not be read when nothing else needs one.
int RunStatus(const CliArguments& arguments, CliContext& context);

// prune: withdraws the entries that can have no effect, after saving the
// list to a .reg file (or, --dry-run, says which).
int RunPrune(const CliArguments& arguments, CliContext& context);

// apply PLAN: the operations of the file PLAN as one set (scheduler/
// plan_application.h): a line for each and one for the set, or one JSON
// document.
int RunApply(const CliArguments& arguments, CliContext& context);

// shell install|uninstall|status: Pendrix on Explorer's menu.
int RunShell(const CliArguments& arguments, CliContext& context);

// Whether the operands and options of remove, shell, and replace and apply
// mean something (CommandRow::check): an entry number; a shell action, and
// --all-users only where it counts; not --at-restart with --move-aside. An
// error line, or empty.
std::string CheckRemove(const CliArguments& arguments);
std::string CheckShell(const CliArguments& arguments);
std::string CheckWhen(const CliArguments& arguments);

}  // namespace pendrix::cli
