// The text and JSON forms of status and prune (the JSON members go into the
// command's document, which RunCommand ends with its exitCode).
#pragma once

#include <string>

#include "common/json_writer.h"
#include "scheduler/pending_prune.h"
#include "pending_list/pending_verdict.h"

namespace pendrix::cli {

// One line per entry and per signal, and a last line saying whether a
// restart is needed.
std::string FormatStatusText(const MachineStatus& status);
// Each entry names the value that holds it as list does ("value": 1 or 2).
void WriteStatusJson(JsonObject& out, const MachineStatus& status);

// The entry as list shows it, with its value's name when there are several:
// "2 delete "C:\x"".
std::string ClassifiedEntryText(const std::vector<PendingValue>& values, const ClassifiedEntry& entry);
// Why the entry takes effect, has none or is never reached, in words.
std::string ReasonText(const std::vector<PendingValue>& values, const std::vector<ClassifiedEntry>& entries,
                       const ClassifiedEntry& entry);

std::string FormatPruneText(const PruneResult& result);
void WritePruneJson(JsonObject& out, const PruneResult& result);

}  // namespace pendrix::cli
