// A listing that pendrix-cli list --json wrote, read back from the file it
// was saved in before a restart, for verify to compare with what is there
// after it.
#pragma once

#include <optional>
#include <string_view>

#include "pending_list/pending_entries.h"

namespace pendrix {

// The entries of the listing in file as list described them: each entry's
// stored strings (and so its kind and names), whether the start-up walk
// reached it, and whether its source existed, with the source's size and
// last-write time when recorded (older listings lack them). The file holds
// the document as list --json wrote it, or as a shell saved it: after a
// UTF-8 byte-order mark, or as UTF-16 LE after its mark (what Windows
// PowerShell's ">" writes). Nothing when it is not such a listing: not that
// JSON, another value's, a member missing or of another type, entries out
// of order, or names that disagree with the stored strings.
std::optional<PendingEntries> ReadSavedListing(std::string_view file);

}  // namespace pendrix
