// What every command of pendrix-cli shares: the context it runs in, the
// dispatch through the table of commands, and its ways of failing. Each
// command writes one line (or its report) to the output and returns the
// exit code (cli/exit_codes.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_arguments.h"
#include "cli/cli_output.h"
#include "common/json_writer.h"
#include "common/quoted.h"
#include "pending_list/pending_rename_list.h"
#include "platform/config_manager_client_api.h"
#include "platform/file_system_api.h"
#include "platform/holder_finder.h"
#include "platform/holder_report.h"
#include "platform/list_lock.h"
#include "platform/system_clock_api.h"
#include "platform/system_error_text.h"
#include "registry/RegistryRoutines.h"
#include "scheduler/file_commands.h"

namespace pendrix::cli {

struct CliContext {
    RegistryRoutines& registry;
    FileSystemApi& files;
    HolderFinder& holders;
    ListLockApi& listLock;  // every change of the list is made under it
    CliOutput& output;
    ErrorTextFunction errorText;  // the system's words for a Windows error code
    // The clock, time zone and Windows folder: when a listing was taken, and
    // the start-up processing's log for verify. Without it neither is used.
    SystemClockApi* clock = nullptr;
    // The folder pendrix-cli.exe runs from, Pendrix.exe beside it: what the
    // Explorer menu starts.
    std::string programFolder = {};
    // The computer's local time now (GetLocalTime): prune's backup name when
    // none is given. Without it a name must be given.
    LocalTime (*localNow)() = nullptr;
    // With --json: the document the command writes its members into, its
    // only output (null otherwise).
    JsonObject* json = nullptr;
    // The line of the failure that ended the command, as Fail wrote it.
    std::string failure = {};
    // The Configuration Manager client, asked by status; without it, not asked.
    ConfigManagerClientApi* configManager = nullptr;
};

// Runs the command of arguments, or prints the usage when it has none. With
// --json standard output carries one document: the command's members, then
// "error" (the failure's line) when it wrote none, "warnings" when the lock
// was done without, and "exitCode".
int RunCommand(const CliArguments& arguments, CliContext& context);

// One line on standard error, after the program's name, kept as the
// command's failure; gives code.
int Fail(CliContext& context, const std::string& what, int code);

// One line on standard error, after the program's name, that does not end
// the command: what it could not use.
void Warn(CliContext& context, const std::string& what);

// A failed Windows call: what was not done, why in the system's words, and
// the code, which it gives as the exit code.
int FailWithStatus(CliContext& context, const std::string& what, WinStatus status);

// The list could not be read: nothingDone ("nothing was listed"), and why.
int FailToRead(CliContext& context, const char* nothingDone, WinStatus status);

// Windows refused the write of the list: nothingDone, and why.
int FailToWrite(CliContext& context, const char* nothingDone, WinStatus status);

// Another Pendrix process kept the list busy (kErrorTimeout), or other
// programs' writes undid the change each time (kErrorRetry); the code is
// the exit code.
int FailToChange(CliContext& context, const char* nothingDone, WinStatus status);

// A value no write may replace (the first, or given its name, the second):
// what it is, and the refusal.
int FailOnAnotherForm(CliContext& context, const char* nothingDone, const StoredShape& shape,
                      const char* valueName = kPendingValueName);

// The exit code and line of a replace or delete that did not end in the
// list: done at once (doneNow), refused, or failed (nothingDone).
int Finish(CliContext& context, const CommandResult& result, const std::string& doneNow, const char* nothingDone);

// Who holds the files; nobody when that could not be looked at.
HolderReport HoldersOf(CliContext& context, const std::vector<std::string>& paths);

// " (in use by ...)" for the files a command had to schedule because it
// could not act on them now; empty when nobody is found holding them.
std::string InUseBy(CliContext& context, const std::vector<std::string>& paths);

// Ends the line of a scheduled command.
inline constexpr char kRestartHint[] = " Restart Windows to carry it out.";

}  // namespace pendrix::cli
