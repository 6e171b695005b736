// A plan applied as one step: every operation done now, or every one
// scheduled for the next start of Windows, never some of each.
//   1. Everything is checked first (scheduler/plan_check.h), and the list:
//      readable, of the form a write may replace, writable. A refusal
//      changes nothing.
//   2. No file of the plan in use: all are done now (scheduler/plan_steps.h).
//      Each old file is kept aside until every operation has succeeded;
//      when one fails, every one done is put back, in reverse order. Then
//      the old copies are deleted.
//   3. A file in use (held open, or loaded by a program), or at-restart:
//      nothing is done now, and every operation is scheduled, in the plan's
//      order, in one write of the list: all or none.
//   4. move-aside: loaded files are renamed aside and everything is done
//      now; only the old copies' deletions wait, in one write. Any failure
//      puts everything back and schedules the set as in 3.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system_api.h"
#include "platform/list_lock.h"
#include "registry/RegistryRoutines.h"
#include "scheduler/file_commands.h"
#include "scheduler/plan_check.h"
#include "scheduler/plan_steps.h"
#include "scheduler/plan_steps.h"
#include "scheduler/plan_text.h"

namespace pendrix {

enum class PlanMode {
    NowOrAtRestart,  // now when no file is in use, else at the next start
    AtRestart,       // at the next start, without trying
    MoveAside,       // now, loaded files renamed aside
};

enum class OperationFate {
    NotDone,     // nothing of it was done (the plan was refused or failed before it)
    DoneNow,     // done now, and stays
    MovedAside,  // done now; the old file was in use and is deleted at the next start (oldCopy)
    Scheduled,   // carried out at the next start
    PutBack,     // was done now, then put back as it was, since another failed
    Failed,      // this one failed; nothing of it stays
    NotPutBack,  // was done, and putting it back failed: the old file is in oldCopy
};

struct OperationReport {
    OperationFate fate = OperationFate::NotDone;
    std::string source;  // replace: full names, once resolved
    std::string target;  // the destination, or the path to delete
    FileUse use = FileUse::Free;
    std::string oldCopy;
    // Scheduled replacement: the copy of the source made now beside the
    // destination, which the next start puts in its place; empty when the
    // source could not be read now and is moved as it is then.
    std::string stagedCopy;
};

enum class PlanOutcome {
    Refused,      // a check refused it (index, refusal; or earlier and namedTwice): nothing done
    DoneNow,      // every operation done now
    Scheduled,    // every operation scheduled (alreadyScheduled: pending exactly so already)
    Failed,       // an operation failed now (index, status); every one done was put back
    LeftHalfWay,  // failed, and putting back failed too: see the operations that were not put back
    NotScheduled, // the list could not be read, was of another form, or not written (list): nothing done
};

struct PlanResult {
    PlanOutcome outcome = PlanOutcome::Refused;
    std::vector<OperationReport> operations;
    std::size_t index = kNoOperation;
    std::int32_t status = 0;
    CommandResult refusal;  // Refused: why, as replace and delete say it
    std::size_t earlier = kNoOperation;
    std::string namedTwice;
    CommandResult list;     // NotScheduled: the list's read or write, as replace and delete report it
    bool alreadyScheduled = false;
    // move-aside could not do the set now (fallbackIndex's operation,
    // fallbackStatus) and scheduled it instead.
    bool fellBack = false;
    std::size_t fallbackIndex = kNoOperation;
    std::int32_t fallbackStatus = 0;
    // Old copies that could not be deleted once the set was done, and were
    // scheduled for deletion (or, when that failed too, left).
    std::vector<std::string> leftOver;
    // Scheduled: a folder on the way that ordinary users may change; empty when none.
    std::string changeableFolder;
    // Temporary files made on the way that could not be deleted again.
    std::vector<LeftFile> temporaryLeft;
};

// Told which operations' files are in use before anything changes (while
// their names still lead to them): the console tool finds their holders.
using InUseNotice = std::function<void(const PlanResult& inUse)>;

class PlanApplication {
public:
    PlanApplication(RegistryRoutines& registry, FileSystemApi& files, ListLockApi& lock);

    PlanResult Apply(const std::vector<PlanOperation>& plan, PlanMode mode, const InUseNotice& notice);

private:
    bool ListRefuses(PlanResult& result);
    void ScheduleAll(const std::vector<CheckedOperation>& operations, PlanResult& result);
    void DoNow(const std::vector<CheckedOperation>& operations, bool moveAside, const InUseNotice& notice,
               PlanResult& result);
    // Puts back every step done, the last first; false when one could not be.
    bool PutBack(PlanSteps& doer, std::vector<PlanStep>& steps, PlanResult& result);
    // An operation stopped the set now: put back, then failed, or
    // scheduled when the operation found its file in use.
    void Stopped(const std::vector<CheckedOperation>& operations, std::size_t index, std::uint32_t status,
                 bool intact, bool moveAside, PlanResult& result);

    RegistryRoutines& registry_;
    FileSystemApi& files_;
    FileCommands commands_;
};

}  // namespace pendrix
