// The two forms of pendrix-cli list: lines for a person, and one JSON
// document for a script that loses nothing of the stored strings.
#pragma once

#include <string>

#include "common/json_writer.h"
#include "pending_list/pending_entries.h"

namespace pendrix::cli {

// Lines ended by CR LF: one per entry ("1 v1 replace "SOURCE" ->
// "DESTINATION""; v1 or v2: the value that holds it), each warning indented
// under its entry. A control character in a name
// (CR, LF, any C0 or C1 control, DEL, U+2028, U+2029) shows as <U+XXXX>, so
// that one entry is always one line.
std::string FormatListText(const PendingEntries& list);

// One JSON document, plain ASCII:
// {"value": "...", "exists": true, "type": "REG_MULTI_SZ", "bytes": 120,
//  "changeable": true, "closedProperly": true,
//  "taken": "2026-12-07T09:00:00.0000000Z",
//  "values": [{"value": 1, "name": "...", "exists": true, "type": "REG_MULTI_SZ",
//              "bytes": 120, "changeable": true, "closedProperly": true,
//              "warnings": ["another-form", "not-closed"]}, {"value": 2, ...}],
//  "entries": [
//   {"number": 1, "value": 1, "kind": "replace", "source": "...", "destination": "...",
//    "first": "...", "second": "...", "sourceFlag": "*1", "sourceExists": true,
//    "sourceSize": 1024, "sourceLastWrite": "2024-05-01T12:34:56.1234567Z",
//    "destinationExists": false, "reached": true,
//    "warnings": ["source-missing", "destination-exists", "unknown-mark",
//                 "after-empty-string", "not-closed"]}, ...]}
// The members before "taken" describe PendingFileRenameOperations, as they
// always did; "values" describes both, and each entry names the value that
// holds it. taken (UTC) is when the listing was taken, null when unknown.
// sourceFlag is the flag Windows set before "\??\" on the source, null when
// none; destinationExists is null unless the entry is a plain rename.
// destination is null for a deletion, sourceExists null when unknown;
// sourceSize (bytes) and sourceLastWrite (UTC, to 100 ns) are null unless
// the source is a file that exists: what verify compares after a restart.
// type is null when the value does not exist, and changeable false for a
// value of another form (it is never written). WriteListJson writes these
// members into the command's document.
void WriteListJson(JsonObject& out, const PendingEntries& list);
std::string FormatListJson(const PendingEntries& list);

// An entry on one line, as list shows it: kind, source and destination.
std::string DescribeEntry(const PendingEntry& entry);

// The members that name an entry, first in its object wherever list,
// verify, status and prune write it: "number": N, "value": 1 or 2, "kind",
// "source", "destination" (null for a deletion); the caller adds the rest.
void WriteJsonEntryHead(JsonObject& out, const PendingEntry& entry);

}  // namespace pendrix::cli
