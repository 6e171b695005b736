// The text and JSON forms of status and prune (RunCommand adds the JSON
// documents' exitCode).
#pragma once

#include <string>

#include "scheduler/pending_prune.h"
#include "scheduler/pending_verdict.h"

namespace pendrix::cli {

// One line per entry and per signal, and a last line saying whether a
// restart is needed.
std::string FormatStatusText(const MachineStatus& status);
std::string FormatStatusJson(const MachineStatus& status);

// The entry as list shows it, with its value's name when there are several:
// "2 delete "C:\x"".
std::string ClassifiedEntryText(const std::vector<PendingValue>& values, const ClassifiedEntry& entry);
// Why the entry takes effect, has none or is never reached, in words.
std::string ReasonText(const std::vector<PendingValue>& values, const std::vector<ClassifiedEntry>& entries,
                       const ClassifiedEntry& entry);

std::string FormatPruneText(const PruneResult& result);
std::string FormatPruneJson(const PruneResult& result);

}  // namespace pendrix::cli
