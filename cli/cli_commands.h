// The commands of pendrix-cli over the program's shared code: the list as
// read and described, replace and delete through FileCommands (exactly what
// the window's Apply does), the withdrawal of one entry, and who holds a
// file. Each returns the exit code and writes one line (or the listing) to
// the output. verify is in cli/verify_command.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_arguments.h"
#include "cli/cli_output.h"
#include "cli/holder_report.h"
#include "platform/holder_finder.h"
#include "platform/system_clock_api.h"
#include "platform/list_lock.h"
#include "registry/RegistryRoutines.h"
#include "scheduler/pending_rename_list.h"
#include "platform/system_error_text.h"
#include "platform/file_system_api.h"
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
};

int RunCommand(const CliArguments& arguments, CliContext& context);

// One line on standard error, after the program's name; gives code.
int Fail(CliContext& context, const std::string& what, int code);

// The exit code and line of a replace or delete that did not end in the
// list: done at once (doneNow), refused, or failed (nothingDone).
int Finish(CliContext& context, const CommandResult& result, const std::string& doneNow, const char* nothingDone);

// Who holds the files; nobody when that could not be looked at.
HolderReport HoldersOf(CliContext& context, const std::vector<std::string>& paths);

// " (in use by ...)" for the files a command had to schedule because it
// could not act on them now; empty when nobody is found holding them.
std::string InUseBy(CliContext& context, const std::vector<std::string>& paths);

// A failed Windows call: what was not done, why in the system's words, and
// the code, which it gives as the exit code.
int FailWithStatus(CliContext& context, const std::string& what, std::int32_t status);

// The list could not be read: nothingDone ("nothing was listed"), and why.
int FailToRead(CliContext& context, const char* nothingDone, std::int32_t status);

// A value no write may replace: what it is, and the refusal.
int FailOnAnotherForm(CliContext& context, const char* nothingDone, const StoredShape& shape,
                      const char* valueName = kPendingValueName);

// Another Pendrix process kept the list busy (kErrorTimeout), or other
// programs' writes undid the change each time (kErrorRetry); the code is
// the exit code.
int FailToChange(CliContext& context, const char* nothingDone, std::int32_t status);

// Ends the line of a scheduled command.
inline constexpr char kRestartHint[] = " Restart Windows to carry it out.";

}  // namespace pendrix::cli
