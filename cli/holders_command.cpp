#include "cli/commands.h"

#include "cli/exit_codes.h"
#include "cli/holders_format.h"

namespace pendrix::cli {

int RunHolders(const CliArguments& arguments, CliContext& context) {
    const std::string& path = arguments.operands[0];
    HolderScan scan;
    const WinStatus status = context.holders.Find({path}, scan);
    if (status != kErrorSuccess)
        return FailWithStatus(context, "could not look for the holders of " + Quoted(path),
                              status);
    const HolderReport report = MergeHolders(scan);
    context.output.Out(arguments.format == OutputFormat::Json ? FormatHoldersJson(path, report)
                                                              : FormatHoldersText(path, report));
    return kExitDone;
}

}  // namespace pendrix::cli
