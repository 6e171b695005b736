#include "cli/commands.h"

#include "cli/exit_codes.h"
#include "cli/holders_format.h"
#include "scheduler/file_names.h"

namespace pendrix::cli {

int RunHolders(const CliArguments& arguments, CliContext& context) {
    const std::string& path = arguments.operands[0];
    // A device, a pipe or a volume holds no file: one line, as the other
    // commands refuse it.
    const NameResolution name = ResolveName(path, context.files, NameUse::File);
    if (name.problem == NameProblem::NotAFile)
        return Fail(context, Quoted(path) + " names a drive, a volume or a device, not a file; nobody was looked for",
                    kErrorBadPathname);
    HolderScan scan;
    const WinStatus status = context.holders.Find({path}, scan);
    if (status != kErrorSuccess)
        return FailWithStatus(context, "could not look for the holders of " + Quoted(path),
                              status);
    const HolderReport report = MergeHolders(scan);
    if (context.json != nullptr)
        WriteHoldersJson(*context.json, path, report);
    else
        context.output.Out(FormatHoldersText(path, report));
    return kExitDone;
}

}  // namespace pendrix::cli
