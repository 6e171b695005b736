// The commands of pendrix-cli over the program's shared code: the list as
// read and described, replace and delete through FileCommands (exactly what
// the window's Apply does), the withdrawal of one entry, and who holds a
// file. Each returns the exit code and writes one line (or the listing) to
// the output.
#pragma once

#include "cli/cli_arguments.h"
#include "cli/cli_output.h"
#include "platform/holder_finder.h"
#include "registry/RegistryRoutines.h"
#include "platform/system_error_text.h"
#include "platform/file_system_api.h"

namespace pendrix::cli {

struct CliContext {
    RegistryRoutines& registry;
    FileSystemApi& files;
    HolderFinder& holders;
    CliOutput& output;
    ErrorTextFunction errorText;  // the system's words for a Windows error code
};

int RunCommand(const CliArguments& arguments, CliContext& context);

}  // namespace pendrix::cli
