// The two forms of pendrix-cli verify's report: a line per entry of the
// saved listing and a summary for a person, or one JSON document for a
// script.
#pragma once

#include <string>
#include <vector>

#include "common/json_writer.h"
#include "pending_list/pending_entries.h"
#include "pending_list/verification.h"

namespace pendrix::cli {

// Lines ended by CR LF: 'N OUTCOME: ENTRY' (with the reason in brackets
// when it was not carried out or not checked), then
// "Summary: 3 carried out, 1 not carried out, 0 still pending, 0 never
// reached." (and ", N not checked" when some were not).
std::string FormatVerifyText(const PendingEntries& listed, const std::vector<Verdict>& verdicts);

// The members of the JSON document, plain ASCII:
// {"carriedOut": 3, "notCarriedOut": 1, "stillPending": 0, "neverReached": 0, "notChecked": 0,
//  "entries": [{"number": 1, "value": 1, "kind": "replace", "source": "...", "destination": "...",
//               "outcome": "carried-out", "reason": null, "loggedStatus": null}, ...]}
// outcome is one of carried-out, not-carried-out, still-pending,
// never-reached, not-checked; destination is null for a deletion.
void WriteVerifyJson(JsonObject& out, const PendingEntries& listed, const std::vector<Verdict>& verdicts);

}  // namespace pendrix::cli
