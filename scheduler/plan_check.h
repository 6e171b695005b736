// A plan's operations checked before anything is done: every name as
// replace and delete check theirs (scheduler/file_commands.h), and the plan
// as a whole: no file named twice (however spelt), so that no operation
// depends on another's outcome, and no folder to delete that another
// operation names a file in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system_api.h"
#include "scheduler/file_commands.h"
#include "scheduler/file_names.h"
#include "scheduler/plan_text.h"

namespace pendrix {

inline constexpr std::size_t kNoOperation = kNoSetOperation;

// An operation of the plan with its names resolved and checked.
struct CheckedOperation : SetOperation {
    PlanOperation planned;
};

struct PlanCheck {
    bool ok = false;
    std::vector<CheckedOperation> operations;
    // When not ok: the operation refused (its index) and why, as replace and
    // delete say it (Refused or SameFile) ...
    std::size_t index = kNoOperation;
    CommandResult refusal;
    // ... or the earlier operation that names the same file, or a file in
    // the folder it deletes (refusal.status kErrorBadArguments), and that name.
    std::size_t earlier = kNoOperation;
    std::string namedTwice;
};

PlanCheck CheckPlan(const std::vector<PlanOperation>& plan, FileSystemApi& files);

}  // namespace pendrix
