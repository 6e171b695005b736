#include "cli/commands.h"

#include "cli/exit_codes.h"
#include "cli/list_format.h"
#include "pending_list/pending_entries.h"
#include "pending_list/source_existence.h"

namespace pendrix::cli {

int RunList(const CliArguments& arguments, CliContext& context) {
    const PendingListRead read = PendingRenameList(context.registry).Read();
    if (!read.readable) return FailToRead(context, "nothing was listed", read.status);
    PendingEntries list = DescribeEntries(read.stored, read.exists);
    list.shape = read.shape;
    AddSourceStates(list, context.files);
    context.output.Out(arguments.format == OutputFormat::Json ? FormatListJson(list) : FormatListText(list));
    return kExitDone;
}

}  // namespace pendrix::cli
