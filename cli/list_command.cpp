#include "cli/commands.h"

#include <cstdint>
#include <optional>

#include "cli/exit_codes.h"
#include "cli/list_format.h"
#include "pending_list/pending_entries.h"
#include "pending_list/pending_values.h"
#include "pending_list/source_existence.h"

namespace pendrix::cli {

int RunList(const CliArguments&, CliContext& context) {
    // Taken before the lists are read: a failure logged after it concerns
    // what the listing shows.
    const std::optional<std::uint64_t> taken =
        context.clock != nullptr ? std::optional<std::uint64_t>(context.clock->NowUtc()) : std::nullopt;
    const PendingValues read = ReadPendingValues(context.registry);
    for (const PendingListRead& value : read.values)
        if (!value.readable) return FailToRead(context, "nothing was listed", value.status);
    PendingEntries list = DescribeValues(read);
    list.taken = taken;
    AddPresences(list, context.files);
    if (context.json != nullptr)
        WriteListJson(*context.json, list);
    else
        context.output.Out(FormatListText(list));
    return kExitDone;
}

}  // namespace pendrix::cli
