#include "scheduler/plan_check.h"

#include <algorithm>
#include <map>
#include <utility>

#include "common/name_folding.h"
#include "scheduler/final_names.h"
#include "scheduler/path_links.h"

namespace pendrix {
namespace {

bool IsMissing(std::uint32_t status) { return status == kErrorFileNotFound || status == kErrorPathNotFound; }

// Resolves typed; false, with the refusal, when it names nothing the
// commands can act on.
bool Resolve(const std::string& typed, NameRole role, FileSystemApi& files, ResolvedName& name,
             CommandResult& result) {
    const NameResolution resolution = ResolveName(typed, files, NameUse::File);
    const std::string shown(WithoutSurroundingQuotes(typed));
    switch (resolution.problem) {
    case NameProblem::None: name = resolution.name; return true;
    case NameProblem::Blank: Refuse(result, Refusal::InvalidName, kErrorInvalidName, role, shown); break;
    case NameProblem::InvalidName: Refuse(result, Refusal::InvalidName, resolution.status, role, shown); break;
    case NameProblem::NotAFile: Refuse(result, Refusal::NotAFile, resolution.status, role, shown); break;
    case NameProblem::Unresolved: Refuse(result, Refusal::Unresolved, resolution.status, role, shown); break;
    }
    return false;
}

// As replace checks its names.
bool CheckReplacement(FileSystemApi& files, CheckedOperation& operation, CommandResult& result) {
    if (!Resolve(operation.planned.source, NameRole::Source, files, operation.source, result) ||
        !Resolve(operation.planned.destination, NameRole::Destination, files, operation.target, result))
        return false;
    const ResolvedName& from = operation.source;
    const ResolvedName& to = operation.target;
    std::uint32_t attributes = 0;
    const std::uint32_t sourceStatus = files.Attributes(from.path, attributes);
    if (IsMissing(sourceStatus)) {
        Refuse(result, Refusal::Missing, sourceStatus, NameRole::Source, from.full);
        return false;
    }
    if (sourceStatus == kErrorSuccess && (attributes & kAttributeDirectory)) {
        Refuse(result, Refusal::Folder, kErrorDirectoryNotSupported, NameRole::Source, from.full);
        return false;
    }
    const std::uint32_t status = files.Attributes(to.path, operation.targetAttributes);
    if (status == kErrorPathNotFound) {
        Refuse(result, Refusal::DestinationFolderMissing, kErrorPathNotFound, NameRole::Destination, to.full);
        return false;
    }
    operation.targetExists = status == kErrorSuccess;
    if (operation.targetExists && (operation.targetAttributes & kAttributeDirectory)) {
        Refuse(result, Refusal::Folder, kErrorDirectoryNotSupported, NameRole::Destination, to.full);
        return false;
    }
    FileIdentity a;
    FileIdentity b;
    if (files.Identity(from.path, a) == kErrorSuccess && files.Identity(to.path, b) == kErrorSuccess && a == b) {
        result.outcome = CommandOutcome::SameFile;
        result.status = kErrorBadArguments;
        return false;
    }
    return true;
}

// As delete checks a name without wildcards.
bool CheckDeletion(FileSystemApi& files, CheckedOperation& operation, CommandResult& result) {
    if (!Resolve(operation.planned.destination, NameRole::Path, files, operation.target, result)) return false;
    const ResolvedName& target = operation.target;
    const std::uint32_t status = files.Attributes(target.path, operation.targetAttributes);
    if (IsMissing(status)) {
        Refuse(result, Refusal::Missing, status, NameRole::Path, target.full);
        return false;
    }
    operation.targetExists = status == kErrorSuccess;
    // A plan deletes by renaming aside, which Wine does to a link's target:
    // a link is left to the delete command.
    if (operation.targetExists) {
        LastPart last = CheckLastPart(files, target.path);
        if (last.link) {
            Refuse(result, Refusal::Link, kErrorCantResolveFilename, NameRole::Path, target.full);
            result.linkTarget = std::move(last.target);
            return false;
        }
    }
    std::vector<FolderEntry> entries;
    if (operation.targetExists && (operation.targetAttributes & kAttributeDirectory) &&
        files.ListFolder(target.path, entries) == kErrorSuccess && !entries.empty()) {
        Refuse(result, Refusal::FolderNotEmpty, kErrorDirNotEmpty, NameRole::Path, target.full);
        return false;
    }
    return true;
}

// The names an operation acts on, by full name.
std::vector<const ResolvedName*> NamesOf(const CheckedOperation& operation) {
    if (operation.planned.verb == PlanVerb::Delete) return {&operation.target};
    return {&operation.source, &operation.target};
}

// The name as Windows resolves it (long names for short ones, subst drives,
// the case on disk), so that two spellings of one new file meet; the full
// name when it cannot be resolved.
std::string ResolvedSpelling(FileSystemApi& files, const ResolvedName& name, bool exists) {
    ResolvedName resolved = name;
    return ResolveFinalName(files, resolved, exists) == kErrorSuccess ? resolved.full : name.full;
}

bool IsFolderDeletion(const CheckedOperation& operation) {
    return operation.planned.verb == PlanVerb::Delete && operation.targetExists &&
           (operation.targetAttributes & kAttributeDirectory);
}

PlanCheck NamedTwice(PlanCheck check, std::size_t index, std::size_t earlier, std::string name) {
    check.index = index;
    check.earlier = earlier;
    check.namedTwice = std::move(name);
    check.refusal.outcome = CommandOutcome::Refused;
    check.refusal.status = kErrorBadArguments;
    return check;
}

}  // namespace

PlanCheck CheckPlan(const std::vector<PlanOperation>& plan, FileSystemApi& files) {
    PlanCheck check;
    std::map<std::string, std::size_t> byName;  // folded full name -> operation
    std::vector<std::pair<FileIdentity, std::size_t>> byIdentity;
    for (std::size_t index = 0; index < plan.size(); ++index) {
        CheckedOperation operation;
        operation.planned = plan[index];
        operation.replacement = operation.planned.verb == PlanVerb::Replace;
        const bool accepted = operation.planned.verb == PlanVerb::Replace
                                  ? CheckReplacement(files, operation, check.refusal)
                                  : CheckDeletion(files, operation, check.refusal);
        if (!accepted) {
            check.index = index;
            return check;
        }
        for (const ResolvedName* name : NamesOf(operation)) {
            const bool exists = name != &operation.target || operation.targetExists;
            const auto [there, added] = byName.emplace(FoldName(ResolvedSpelling(files, *name, exists)), index);
            if (!added) return NamedTwice(std::move(check), index, there->second, name->full);
            FileIdentity identity;
            if (files.Identity(name->path, identity) != kErrorSuccess) continue;
            for (const auto& [known, earlier] : byIdentity)
                if (known == identity) return NamedTwice(std::move(check), index, earlier, name->full);
            byIdentity.emplace_back(identity, index);
        }
        check.operations.push_back(std::move(operation));
    }
    // A folder to delete must stay empty until its turn, and at the next
    // start too: no other operation may name a file in it.
    for (std::size_t index = 0; index < check.operations.size(); ++index) {
        if (!IsFolderDeletion(check.operations[index])) continue;
        const std::string inside = FoldName(check.operations[index].target.full + "\\");
        for (std::size_t other = 0; other < check.operations.size(); ++other)
            for (const ResolvedName* name : NamesOf(check.operations[other])) {
                if (FoldName(name->full).compare(0, inside.size(), inside) != 0) continue;
                std::string folder = check.operations[index].target.full;
                return NamedTwice(std::move(check), std::max(index, other), std::min(index, other), std::move(folder));
            }
    }
    check.ok = true;
    return check;
}

}  // namespace pendrix
