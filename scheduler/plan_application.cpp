#include "scheduler/plan_application.h"

#include <utility>

#include "pending_list/pending_rename_list.h"
#include "pending_list/list_sequence.h"
#include "pending_list/pending_values.h"
#include "scheduler/staged_copy.h"

namespace pendrix {
namespace {

bool IsFolder(const CheckedOperation& operation) {
    return operation.targetExists && (operation.targetAttributes & kAttributeDirectory);
}

// The full name of a step's old copy, as the list names it: the file's
// (a symbolic link followed) and what was added to it.
std::string FullNameOfOldCopy(FileSystemApi& files, const PlanStep& step) {
    const NameResolution file = ResolveName(step.file, files, NameUse::File);
    const std::string& base = file.problem == NameProblem::None ? file.name.full : step.operation->target.full;
    if (step.oldCopy.compare(0, step.file.size(), step.file) == 0) return base + step.oldCopy.substr(step.file.size());
    const NameResolution copy = ResolveName(step.oldCopy, files, NameUse::File);
    return copy.problem == NameProblem::None ? copy.name.full : step.oldCopy;
}

// The deletion of a step's old copy at the next start.
SetOperation DeletionOf(FileSystemApi& files, const PlanStep& step) {
    SetOperation deletion;
    deletion.target.full = FullNameOfOldCopy(files, step);
    deletion.target.path = step.oldCopy;
    deletion.targetExists = true;
    return deletion;
}

}  // namespace

PlanApplication::PlanApplication(RegistryRoutines& registry, FileSystemApi& files, ListLockApi& lock)
    : registry_(registry), files_(files), commands_(registry, files, lock, PendingListRead{}, PendingListRead{}) {}

PlanResult PlanApplication::Apply(const std::vector<PlanOperation>& plan, PlanMode mode, const InUseNotice& notice) {
    PlanResult result;
    result.operations.resize(plan.size());
    for (std::size_t i = 0; i < plan.size(); ++i) {
        result.operations[i].source = plan[i].source;
        result.operations[i].target = plan[i].destination;
    }
    const PlanCheck check = CheckPlan(plan, files_);
    for (std::size_t i = 0; i < check.operations.size(); ++i) {
        result.operations[i].source = check.operations[i].source.full;
        result.operations[i].target = check.operations[i].target.full;
    }
    if (!check.ok) {
        result.outcome = PlanOutcome::Refused;
        result.index = check.index;
        result.refusal = check.refusal;
        result.status = check.refusal.status;
        result.earlier = check.earlier;
        result.namedTwice = check.namedTwice;
        return result;
    }
    if (ListRefuses(result)) return result;
    if (mode == PlanMode::AtRestart) {
        ScheduleAll(check.operations, result);
        return result;
    }

    // Who keeps which file from being changed now, asked before anything changes.
    std::size_t firstInUse = kNoOperation;
    std::size_t firstHeld = kNoOperation;
    for (std::size_t i = 0; i < check.operations.size(); ++i) {
        const CheckedOperation& operation = check.operations[i];
        FileUse use = FileUse::Free;
        if (!operation.targetExists || IsFolder(operation) || files_.Use(operation.target.path, use) != kErrorSuccess)
            continue;
        result.operations[i].use = use;
        if (use != FileUse::Free && firstInUse == kNoOperation) firstInUse = i;
        if (use == FileUse::Held && firstHeld == kNoOperation) firstHeld = i;
    }
    if (firstInUse != kNoOperation && notice) notice(result);
    if (mode == PlanMode::NowOrAtRestart && firstInUse != kNoOperation) {
        ScheduleAll(check.operations, result);
        return result;
    }
    if (mode == PlanMode::MoveAside && firstHeld != kNoOperation) {
        result.fellBack = true;
        result.fallbackIndex = firstHeld;
        result.fallbackStatus = kErrorSharingViolation;
        ScheduleAll(check.operations, result);
        return result;
    }
    // A destination replaced now that a pending entry takes away at the
    // next start would not stay replaced.
    for (std::size_t i = 0; i < check.operations.size(); ++i) {
        const CheckedOperation& operation = check.operations[i];
        if (operation.planned.verb != PlanVerb::Replace) continue;
        CommandResult undone;
        if (!commands_.UndoneAtRestart(operation.target.full, undone)) continue;
        result.outcome = PlanOutcome::Refused;
        result.index = i;
        result.refusal = undone;
        result.status = undone.status;
        return result;
    }
    DoNow(check.operations, mode == PlanMode::MoveAside, notice, result);
    return result;
}

bool PlanApplication::ListRefuses(PlanResult& result) {
    // The value the set would be appended to, where MoveFileExW appends.
    const PendingValues values = ReadPendingValues(registry_);
    const AppendCheck where = CheckAppend(values);
    CommandResult& problem = result.list;
    problem.listValue = where.target;
    if (where.block == AppendBlock::Unreadable) {
        problem.outcome = CommandOutcome::NotScheduled;
        problem.readFailed = true;
        problem.status = values[where.target].status;
    } else if (where.block == AppendBlock::AnotherForm) {
        problem.outcome = CommandOutcome::ListOfAnotherForm;
        problem.listShape = values[where.target].shape;
        problem.status = kErrorInvalidData;
    } else if (const std::int32_t status = PendingRenameList(registry_).WriteAccess(); status != kErrorSuccess) {
        problem.outcome = CommandOutcome::NotScheduled;
        problem.status = status;
    } else {
        return false;
    }
    result.outcome = PlanOutcome::NotScheduled;
    result.status = problem.status;
    return true;
}

void PlanApplication::ScheduleAll(const std::vector<CheckedOperation>& operations, PlanResult& result) {
    // As replace and delete schedule theirs: staged copies, final names,
    // the same refusals; in one write.
    CommandResult scheduled;
    const std::size_t refused =
        commands_.ScheduleSet(std::vector<SetOperation>(operations.begin(), operations.end()), scheduled);
    if (scheduled.outcome == CommandOutcome::Scheduled) {
        result.outcome = PlanOutcome::Scheduled;
        result.alreadyScheduled = scheduled.alreadyScheduled;
        result.changeableFolder = scheduled.changeableFolder;
        // One pair for each operation, in order: its names as stored.
        for (std::size_t i = 0; i < operations.size(); ++i) {
            OperationReport& report = result.operations[i];
            const ListedOperation stored = OperationOf({scheduled.scheduled[i], true});
            report.fate = OperationFate::Scheduled;
            if (!operations[i].replacement) {
                report.target = stored.source;
                continue;
            }
            report.target = stored.destination;
            report.stagedCopy = StagedCopyOf(scheduled.scheduled[i]);
            if (report.stagedCopy.empty()) report.source = stored.source;  // moved as it is
        }
        return;
    }
    result.status = scheduled.status;
    if (scheduled.outcome == CommandOutcome::Refused) {
        result.outcome = PlanOutcome::Refused;
        result.index = refused;
        result.refusal = scheduled;
        return;
    }
    result.outcome = PlanOutcome::NotScheduled;
    result.list = scheduled;
}

void PlanApplication::DoNow(const std::vector<CheckedOperation>& operations, bool moveAside,
                            const InUseNotice& notice, PlanResult& result) {
    PlanSteps doer(files_);
    // Whatever way the set ends, a temporary file that stays is named.
    struct Leftovers {
        const PlanSteps& doer;
        PlanResult& result;
        ~Leftovers() { result.temporaryLeft = doer.Left(); }
    } leftovers{doer, result};
    std::vector<PlanStep> steps(operations.size());
    const auto discardAll = [&] {
        for (const PlanStep& step : steps) doer.Discard(step);
    };
    // Every source copied beside its destination first: one that cannot be
    // read stops the set before anything changed.
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const bool loaded = moveAside && result.operations[i].use == FileUse::Loaded;
        const std::uint32_t status = doer.Stage(operations[i], loaded, steps[i]);
        if (status == kErrorSuccess) continue;
        discardAll();  // nothing was changed yet
        Stopped(operations, i, status, true, moveAside, result);
        if (result.outcome == PlanOutcome::Scheduled && IsInUse(status) && notice) notice(result);
        return;
    }
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const std::uint32_t status = doer.Do(steps[i]);
        if (status == kErrorSuccess) {
            result.operations[i].fate = OperationFate::DoneNow;
            continue;
        }
        result.operations[i].fate = OperationFate::Failed;
        if (steps[i].stranded) {
            result.operations[i].fate = OperationFate::NotPutBack;
            result.operations[i].oldCopy = FullNameOfOldCopy(files_, steps[i]);
        }
        const bool intact = PutBack(doer, steps, result) && !steps[i].stranded;
        discardAll();
        if (IsInUse(status)) result.operations[i].use = FileUse::Held;
        Stopped(operations, i, status, intact, moveAside, result);
        if (result.outcome == PlanOutcome::Scheduled && IsInUse(status) && notice) notice(result);
        return;
    }

    // The old copies of loaded files are deleted at the next start, in one write.
    std::vector<SetOperation> deletions;
    for (const PlanStep& step : steps)
        if (step.loaded && !step.oldCopy.empty()) deletions.push_back(DeletionOf(files_, step));
    CommandResult scheduledDeletions;
    if (!deletions.empty()) {
        CommandResult& scheduled = scheduledDeletions;
        commands_.ScheduleSet(deletions, scheduled);
        if (scheduled.outcome != CommandOutcome::Scheduled) {
            const bool intact = PutBack(doer, steps, result);
            discardAll();
            if (!intact) {
                result.outcome = PlanOutcome::LeftHalfWay;
                result.status = scheduled.status;
                return;
            }
            for (OperationReport& report : result.operations) report.fate = OperationFate::NotDone;
            result.fellBack = true;
            result.fallbackStatus = scheduled.status;
            ScheduleAll(operations, result);
            return;
        }
    }
    // Every operation stays: the other old copies go.
    std::vector<SetOperation> leftOver;
    std::size_t aside = 0;
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const PlanStep& step = steps[i];
        if (step.loaded) {
            result.operations[i].fate = OperationFate::MovedAside;
            // As the list names it.
            result.operations[i].oldCopy = OperationOf({scheduledDeletions.scheduled[aside++], true}).source;
        } else if (doer.Commit(step) != kErrorSuccess) {
            leftOver.push_back(DeletionOf(files_, step));
            result.leftOver.push_back(leftOver.back().target.full);
        }
    }
    if (!leftOver.empty()) {
        CommandResult scheduled;
        commands_.ScheduleSet(leftOver, scheduled);
    }
    result.outcome = PlanOutcome::DoneNow;
}

bool PlanApplication::PutBack(PlanSteps& doer, std::vector<PlanStep>& steps, PlanResult& result) {
    bool intact = true;
    for (std::size_t i = steps.size(); i-- > 0;) {
        if (!steps[i].done) continue;
        if (doer.Undo(steps[i]) == kErrorSuccess) {
            result.operations[i].fate = OperationFate::PutBack;
            continue;
        }
        intact = false;
        result.operations[i].fate = OperationFate::NotPutBack;
        if (steps[i].stranded) result.operations[i].oldCopy = FullNameOfOldCopy(files_, steps[i]);
    }
    return intact;
}

void PlanApplication::Stopped(const std::vector<CheckedOperation>& operations, std::size_t index,
                              std::uint32_t status, bool intact, bool moveAside, PlanResult& result) {
    result.index = index;
    result.status = static_cast<std::int32_t>(status);
    if (!intact) {
        result.outcome = PlanOutcome::LeftHalfWay;
        return;
    }
    if (IsInUse(status) || moveAside) {
        // In use after all, or move-aside could not do it now: the set waits
        // for the next start as a whole.
        result.fellBack = moveAside;
        result.fallbackIndex = index;
        result.fallbackStatus = static_cast<std::int32_t>(status);
        for (OperationReport& report : result.operations) report.fate = OperationFate::NotDone;
        ScheduleAll(operations, result);
        return;
    }
    result.outcome = PlanOutcome::Failed;
}

}  // namespace pendrix
