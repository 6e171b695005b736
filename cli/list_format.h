// The two forms of pendrix-cli list: lines for a person, and one JSON
// document for a script that loses nothing of the stored strings.
#pragma once

#include <string>

#include "pending_list/pending_entries.h"

namespace pendrix::cli {

// Lines ended by CR LF: one per entry ("1 replace "SOURCE" -> "DESTINATION""),
// each warning indented under its entry. A control character in a name
// (CR, LF, any C0 or C1 control, DEL, U+2028, U+2029) shows as <U+XXXX>, so
// that one entry is always one line.
std::string FormatListText(const PendingEntries& list);

// One JSON document, plain ASCII:
// {"value": "...", "exists": true, "type": "REG_MULTI_SZ", "bytes": 120,
//  "changeable": true, "closedProperly": true, "entries": [
//   {"number": 1, "kind": "replace", "source": "...", "destination": "...",
//    "first": "...", "second": "...", "sourceExists": true, "sourceSize": 1024,
//    "sourceLastWrite": "2024-05-01T12:34:56.1234567Z", "reached": true,
//    "warnings": ["source-missing", "after-empty-string", "not-closed"]}, ...]}
// destination is null for a deletion, sourceExists null when unknown;
// sourceSize (bytes) and sourceLastWrite (UTC, to 100 ns) are null unless
// the source is a file that exists: what verify compares after a restart.
// type is null when the value does not exist, and changeable false for a
// value of another form (it is never written).
std::string FormatListJson(const PendingEntries& list);

// An entry on one line, as list shows it: kind, source and destination.
std::string DescribeEntry(const PendingEntry& entry);

// Opens an entry's JSON object with what names it, as list --json and
// verify --json both write it: {"number": N, "kind": ..., "source": ...,
// "destination": ... (null for a deletion); the caller adds the rest.
void AppendJsonEntryHead(std::string& out, const PendingEntry& entry);

}  // namespace pendrix::cli
