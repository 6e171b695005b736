#include "cli/commands.h"

#include <string>
#include <vector>

#include "cli/exit_codes.h"
#include "common/json_writer.h"
#include "scheduler/plan_application.h"
#include "scheduler/plan_text.h"
#include "scheduler/refusal_text.h"
#include "scheduler/staging_text.h"

namespace pendrix::cli {
namespace {

constexpr char kNothingDone[] = "nothing of the plan was done or scheduled";

struct Told {
    std::vector<std::string> inUseBy;  // per operation: " (in use by ...)", or empty
    std::vector<std::string> holders;  // per operation: "host.exe, process 12", or empty
};

const char* FateName(OperationFate fate) {
    switch (fate) {
    case OperationFate::NotDone: return "not-done";
    case OperationFate::DoneNow: return "done-now";
    case OperationFate::MovedAside: return "moved-aside";
    case OperationFate::Scheduled: return "scheduled";
    case OperationFate::PutBack: return "put-back";
    case OperationFate::Failed: return "failed";
    case OperationFate::NotPutBack: return "not-put-back";
    }
    return "not-done";
}

const char* OutcomeName(PlanOutcome outcome) {
    switch (outcome) {
    case PlanOutcome::Refused: return "refused";
    case PlanOutcome::DoneNow: return "done-now";
    case PlanOutcome::Scheduled: return "scheduled";
    case PlanOutcome::Failed: return "failed";
    case PlanOutcome::LeftHalfWay: return "left-half-way";
    case PlanOutcome::NotScheduled: return "not-scheduled";
    }
    return "refused";
}

const char* UseName(FileUse use) {
    switch (use) {
    case FileUse::Free: return "free";
    case FileUse::Held: return "held";
    case FileUse::Loaded: return "loaded";
    }
    return "free";
}

// "replace "C:\app.dll" with "C:\new\app.dll"", "delete "C:\old.dll"".
std::string OperationText(const PlanOperation& planned, const OperationReport& report) {
    if (planned.verb == PlanVerb::Delete) return "delete " + Quoted(report.target);
    return "replace " + Quoted(report.target) + " with " + Quoted(report.source);
}

// One line of an operation: "line 3: ...".
std::string OperationLine(const PlanOperation& planned, const OperationReport& report, const std::string& inUseBy) {
    const bool replacement = planned.verb == PlanVerb::Replace;
    const std::string line = "line " + std::to_string(planned.line) + ": ";
    const std::string replaced = "replaced " + Quoted(report.target) + " with " + Quoted(report.source);
    switch (report.fate) {
    case OperationFate::DoneNow:
        return line + (replacement ? replaced : "deleted " + Quoted(report.target)) + " now.";
    case OperationFate::MovedAside:
        return line + (replacement ? replaced : "deleted " + Quoted(report.target)) + " now; the old file" + inUseBy +
               " is now " + Quoted(report.oldCopy) + " and is deleted at the next start of Windows.";
    case OperationFate::Scheduled:
        return line + "scheduled: " + Quoted(report.target) +
               (replacement ? " is replaced with " + Quoted(report.source) : std::string(" is deleted")) +
               " at the next start of Windows" + inUseBy + "." +
               (replacement ? " " + StagingSentence(report.source, report.stagedCopy) : std::string());
    case OperationFate::PutBack:
        return line + (replacement ? replaced : "deleted " + Quoted(report.target)) +
               ", then put back as it was.";
    case OperationFate::Failed: return line + "failed: " + OperationText(planned, report) + ".";
    case OperationFate::NotPutBack:
        return line + "NOT put back: " + OperationText(planned, report) +
               (report.oldCopy.empty() ? std::string(" was done and stays done.")
                                       : " was done; the old file is in " + Quoted(report.oldCopy) + ".");
    case OperationFate::NotDone: break;
    }
    return line + "not done: " + OperationText(planned, report) + ".";
}

std::string Operations(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " operation" : " operations");
}

// The set's line, and the exit code: on standard output when it was done or
// scheduled, else on standard error.
int Conclude(CliContext& context, const std::vector<PlanOperation>& plan, const PlanResult& result) {
    const auto lineOf = [&](std::size_t index) {
        return index < plan.size() ? "line " + std::to_string(plan[index].line) : std::string("the plan");
    };
    const std::string count = Operations(plan.size());
    switch (result.outcome) {
    case PlanOutcome::DoneNow: {
        std::size_t asideCount = 0;
        for (const OperationReport& report : result.operations)
            asideCount += report.fate == OperationFate::MovedAside ? 1 : 0;
        std::string line = "Applied the plan now: all " + count + " done.";
        if (asideCount > 0)
            line += " Programs keep the old copies they use until they end; " +
                    std::string(asideCount == 1 ? "it is" : "they are") + " deleted at the next start of Windows.";
        if (!result.leftOver.empty())
            line += " " + std::to_string(result.leftOver.size()) +
                    " old copies could not be deleted now and are deleted at the next start of Windows.";
        context.output.Out(line + "\r\n");
        return kExitDone;
    }
    case PlanOutcome::Scheduled: {
        std::string line;
        if (result.fellBack)
            line = "Could not apply the plan now with --move-aside (" + lineOf(result.fallbackIndex) + ": " +
                   context.errorText(result.fallbackStatus) + ", error " + std::to_string(result.fallbackStatus) +
                   "); everything was put back as it was and the plan scheduled instead. ";
        line += std::string(result.alreadyScheduled ? "Already scheduled" : "Scheduled") + " the plan: all " + count +
                " are carried out at the next start of Windows, in its order." + kRestartHint;
        context.output.Out(line + "\r\n");
        if (!result.changeableFolder.empty())
            context.output.Out(ChangeableFolderWarning(result.changeableFolder) + "\r\n");
        return kExitRestartNeeded;
    }
    case PlanOutcome::Refused: {
        const std::string nothing = "; nothing of the plan was done or scheduled";
        if (result.earlier != kNoOperation)
            return Fail(context, lineOf(result.index) + ": " + lineOf(result.earlier) + " names " +
                                     Quoted(result.namedTwice) +
                                     " too; a plan names each file once (and no file in a folder it deletes)" +
                                     nothing,
                        kExitSameFile);
        if (result.refusal.outcome == CommandOutcome::SameFile)
            return Fail(context, lineOf(result.index) + ": source and destination name the same file" + nothing,
                        kExitSameFile);
        return Fail(context, lineOf(result.index) + ": " + RefusalReason(result.refusal) + nothing,
                    result.status != 0 ? result.status : kExitUnknownFailure);
    }
    case PlanOutcome::Failed:
        return FailWithStatus(context, lineOf(result.index) + " failed, and every operation done before it was put "
                                                              "back as it was; nothing of the plan stays done",
                              result.status);
    case PlanOutcome::LeftHalfWay:
        return FailWithStatus(context, "the plan stopped half-way and could not all be put back: see the operations "
                                       "NOT put back above",
                              result.status != 0 ? result.status : kExitUnknownFailure);
    case PlanOutcome::NotScheduled:
        return Finish(context, result.list, std::string(), kNothingDone);
    }
    return kExitUnknownFailure;
}

// The members of apply's document: each operation and the set's outcome;
// with no result (the plan could not be read) none of its operations.
void WriteApplyJson(JsonObject& out, const std::string& path, const std::vector<PlanOperation>& plan,
                    const PlanResult* result, const Told& told, std::size_t line, std::string_view reason) {
    out.String("plan", path);
    {
        JsonArray operations = out.Array("operations", JsonItems::Lines);
        for (std::size_t i = 0; result != nullptr && i < plan.size(); ++i) {
            const OperationReport& report = result->operations[i];
            const bool replacement = plan[i].verb == PlanVerb::Replace;
            JsonObject described = operations.Object();
            described.Number("line", plan[i].line);
            if (replacement) {
                described.String("operation", "replace");
                described.String("source", report.source);
                described.String("destination", report.target);
            } else {
                described.String("operation", "delete");
                described.String("path", report.target);
            }
            described.String("outcome", FateName(report.fate));
            described.String("use", UseName(report.use));
            described.StringOrNull("heldBy", told.holders[i]);
            described.StringOrNull("oldCopy", report.oldCopy);
            if (replacement) described.StringOrNull("stagedCopy", report.stagedCopy);
        }
    }
    out.String("outcome", result != nullptr ? OutcomeName(result->outcome) : "invalid-plan");
    out.Bool("alreadyScheduled", result != nullptr && result->alreadyScheduled);
    out.Bool("movedAsideFellBack", result != nullptr && result->fellBack);
    if (line != 0)
        out.Number("line", line);
    else
        out.Null("line");
    out.StringOrNull("reason", reason);
}

// The plan's line a failure concerns; 0 for none.
std::size_t LineOfFailure(const std::vector<PlanOperation>& plan, const PlanResult& result) {
    switch (result.outcome) {
    case PlanOutcome::Refused:
    case PlanOutcome::Failed:
    case PlanOutcome::LeftHalfWay: return result.index < plan.size() ? plan[result.index].line : 0;
    case PlanOutcome::Scheduled: return result.fellBack && result.fallbackIndex < plan.size()
                                            ? plan[result.fallbackIndex].line : 0;
    case PlanOutcome::DoneNow:
    case PlanOutcome::NotScheduled: break;
    }
    return 0;
}

}  // namespace

int RunApply(const CliArguments& arguments, CliContext& context) {
    const std::string& path = arguments.operands[0];
    const auto invalid = [&](std::size_t line, int code) {
        if (context.json != nullptr) WriteApplyJson(*context.json, path, {}, nullptr, {}, line, context.failure);
        return code;
    };

    std::string file;
    const WinStatus read = context.files.ReadAll(path, file);
    if (read == kErrorFileNotFound || read == kErrorPathNotFound)
        return invalid(0, Fail(context, "the plan " + Quoted(path) + " does not exist; " + kNothingDone,
                               kErrorFileNotFound));
    if (read != kErrorSuccess)
        return invalid(0, FailWithStatus(context, "the plan " + Quoted(path) + " could not be read; " + kNothingDone,
                                         read));
    const PlanReading reading = ReadPlan(file);
    if (!reading.ok) {
        const std::string where = reading.line != 0 ? "line " + std::to_string(reading.line) + " of the plan " +
                                                          Quoted(path) + " is not an operation: "
                                                    : "the plan " + Quoted(path) + " is not a plan: ";
        return invalid(reading.line, Fail(context, where + reading.problem + "; " + kNothingDone, kErrorInvalidData));
    }

    const std::vector<PlanOperation>& plan = reading.operations;
    Told holders;
    holders.inUseBy.resize(plan.size());
    holders.holders.resize(plan.size());
    const PlanMode mode = arguments.Has("--at-restart")   ? PlanMode::AtRestart
                          : arguments.Has("--move-aside") ? PlanMode::MoveAside
                                                          : PlanMode::NowOrAtRestart;
    PlanApplication application(context.registry, context.files, context.listLock);
    const PlanResult result = application.Apply(plan, mode, [&](const PlanResult& found) {
        for (std::size_t i = 0; i < plan.size(); ++i) {
            if (found.operations[i].use == FileUse::Free || !holders.holders[i].empty()) continue;
            const HolderReport report = HoldersOf(context, {found.operations[i].target});
            holders.holders[i] = HolderNamesText(report);
            holders.inUseBy[i] = InUseByText(report);
        }
    });

    for (std::size_t i = 0; i < plan.size(); ++i)
        context.output.Out(OperationLine(plan[i], result.operations[i], holders.inUseBy[i]) + "\r\n");
    // A temporary file that could not be deleted again is named, with why.
    for (const LeftFile& left : result.temporaryLeft)
        Warn(context, "the temporary file " + Quoted(left.path) + " was left behind: " + context.errorText(left.status) +
                          " (error " + std::to_string(left.status) + ")");
    const int code = Conclude(context, plan, result);
    if (context.json != nullptr)
        WriteApplyJson(*context.json, path, plan, &result, holders, LineOfFailure(plan, result), context.failure);
    return code;
}

}  // namespace pendrix::cli
