#include "scheduler/plan_steps.h"

#include "scheduler/file_names.h"
#include "scheduler/move_aside_replacement.h"

namespace pendrix {
namespace {

bool Taken(std::uint32_t status) { return status == kErrorAlreadyExists || status == kErrorFileExists; }

// attributes without those of mask (FILE_ATTRIBUTE_NORMAL when none is left).
std::uint32_t Without(std::uint32_t attributes, std::uint32_t mask) {
    const std::uint32_t left = attributes & ~mask;
    return left != 0 ? left : kAttributeNormal;
}

// What keeps a copy or a rename from writing over a file.
constexpr std::uint32_t kKeptFromWriting = kAttributeReadOnly | kAttributeHidden | kAttributeSystem;

}  // namespace

bool IsInUse(std::uint32_t status) { return status == kErrorSharingViolation || status == kErrorLockViolation; }

void PlanSteps::RemoveFile(const std::string& path) {
    files_.SetAttributes(path, kAttributeNormal);
    const std::uint32_t status = files_.Remove(path);
    std::uint32_t attributes = 0;
    // One that is gone all the same (by another's hand) is not left behind.
    if (status != kErrorSuccess && files_.Attributes(path, attributes) == kErrorSuccess) left_.push_back({path, status});
}

std::uint32_t PlanSteps::RenameAside(const std::string& path, std::string& oldCopy) {
    std::uint32_t status = kErrorAlreadyExists;
    for (int number = 1; number <= kMostOldCopyNumbers && Taken(status); ++number) {
        oldCopy = path + kOldCopySuffix + std::to_string(number);
        status = files_.Rename(path, oldCopy);
    }
    if (status != kErrorSuccess) oldCopy.clear();
    return status;
}

std::uint32_t PlanSteps::Stage(const CheckedOperation& operation, bool loaded, PlanStep& step) {
    step = PlanStep{};
    step.operation = &operation;
    step.loaded = loaded;
    step.file = operation.target.path;
    step.attributes = operation.targetAttributes;
    if (operation.planned.verb == PlanVerb::Delete) {
        step.way = PlanStep::Way::SetAside;
        step.folder = operation.targetExists && (operation.targetAttributes & kAttributeDirectory);
        return kErrorSuccess;
    }
    if (operation.targetExists) {
        FileDescription description;
        const std::uint32_t status = files_.Describe(operation.target.path, description);
        if (status != kErrorSuccess) return status;
        if (!description.finalPath.empty()) step.file = description.finalPath;
        step.attributes = description.attributes;
        step.links = description.links;
        step.way = loaded ? PlanStep::Way::SetAside
                          : description.links > 1 ? PlanStep::Way::Rewritten : PlanStep::Way::Swapped;
    }
    std::uint32_t status = files_.CreateTempFile(std::string(FolderOf(step.file)), step.staged);
    if (status != kErrorSuccess) {
        step.staged.clear();
        return status;
    }
    status = files_.Copy(operation.source.path, step.staged);
    // A copy renamed into a loaded file's place takes its rules and the
    // administrators as its owner, not what a new file in the folder gets
    // (ReplaceFileW keeps the replaced file's own).
    if (status == kErrorSuccess && step.way == PlanStep::Way::SetAside)
        status = files_.SecureLike(step.file, step.staged);
    if (status != kErrorSuccess) {
        Discard(step);
        step.staged.clear();
    }
    return status;
}

std::uint32_t PlanSteps::Do(PlanStep& step) {
    std::uint32_t status = kErrorSuccess;
    switch (step.way) {
    case PlanStep::Way::NewFile:
        status = files_.Rename(step.staged, step.file);
        if (status == kErrorSuccess) step.staged.clear();
        break;
    case PlanStep::Way::Swapped: status = Swap(step); break;
    case PlanStep::Way::Rewritten: status = Rewrite(step); break;
    case PlanStep::Way::SetAside: {
        std::vector<FolderEntry> entries;
        if (step.folder && files_.ListFolder(step.file, entries) == kErrorSuccess && !entries.empty())
            return kErrorDirNotEmpty;
        status = RenameAside(step.file, step.oldCopy);
        if (status != kErrorSuccess || step.staged.empty()) break;
        status = files_.Rename(step.staged, step.file);
        if (status == kErrorSuccess) {
            step.staged.clear();
        } else if (files_.Rename(step.oldCopy, step.file) == kErrorSuccess) {
            step.oldCopy.clear();
        } else {
            step.stranded = true;
        }
        break;
    }
    }
    step.done = status == kErrorSuccess;
    return status;
}

// ReplaceFileW moves the file to the old copy's name (created first, as it
// wants) and the staged copy to the file's; it refuses a read-only file.
std::uint32_t PlanSteps::Swap(PlanStep& step) {
    const std::string folder(FolderOf(step.file));
    std::uint32_t status = files_.CreateTempFile(folder, step.oldCopy);
    if (status != kErrorSuccess) {
        step.oldCopy.clear();
        return status;
    }
    if (step.attributes & kAttributeReadOnly)
        files_.SetAttributes(step.file, Without(step.attributes, kAttributeReadOnly));
    status = files_.Replace(step.file, step.staged, step.oldCopy);
    if (status == kErrorSuccess) {
        step.staged.clear();
        files_.SetAttributes(step.file, step.attributes);
        return status;
    }
    if (status == kErrorUnableToMoveReplacement2 && files_.MoveOver(step.oldCopy, step.file) != kErrorSuccess) {
        step.stranded = true;  // the file is under the old copy's name
        return status;
    }
    files_.SetAttributes(step.file, step.attributes);
    RemoveFile(step.oldCopy);
    step.oldCopy.clear();
    return status;
}

// A file with other names keeps its identity: its content is copied aside
// and the staged copy written into it.
std::uint32_t PlanSteps::Rewrite(PlanStep& step) {
    const std::string folder(FolderOf(step.file));
    std::uint32_t status = files_.CreateTempFile(folder, step.oldCopy);
    if (status == kErrorSuccess) status = files_.Copy(step.file, step.oldCopy);
    if (status != kErrorSuccess) {
        if (!step.oldCopy.empty()) RemoveFile(step.oldCopy);
        step.oldCopy.clear();
        return status;
    }
    files_.SetAttributes(step.file, Without(step.attributes, kKeptFromWriting));
    status = files_.Copy(step.staged, step.file);
    if (status != kErrorSuccess && files_.Copy(step.oldCopy, step.file) != kErrorSuccess) {
        files_.SetAttributes(step.file, step.attributes);
        step.stranded = true;
        return status;
    }
    files_.SetAttributes(step.file, step.attributes);
    if (status != kErrorSuccess) {
        RemoveFile(step.oldCopy);
        step.oldCopy.clear();
        return status;
    }
    RemoveFile(step.staged);
    step.staged.clear();
    return status;
}

std::uint32_t PlanSteps::Undo(PlanStep& step) {
    std::uint32_t status = kErrorSuccess;
    switch (step.way) {
    case PlanStep::Way::NewFile:
        files_.SetAttributes(step.file, kAttributeNormal);
        status = files_.Remove(step.file);
        break;
    case PlanStep::Way::Swapped:
        files_.SetAttributes(step.file, kAttributeNormal);
        status = files_.MoveOver(step.oldCopy, step.file);
        files_.SetAttributes(step.file, step.attributes);
        break;
    case PlanStep::Way::Rewritten:
        files_.SetAttributes(step.file, Without(step.attributes, kKeptFromWriting));
        status = files_.Copy(step.oldCopy, step.file);
        files_.SetAttributes(step.file, step.attributes);
        if (status == kErrorSuccess) RemoveFile(step.oldCopy);
        break;
    case PlanStep::Way::SetAside:
        if (step.operation->planned.verb == PlanVerb::Replace) {
            // The new copy is free: it goes, and the old file takes its name again.
            files_.SetAttributes(step.file, kAttributeNormal);
            status = files_.Remove(step.file);
        }
        if (status == kErrorSuccess) status = files_.Rename(step.oldCopy, step.file);
        break;
    }
    step.stranded = status != kErrorSuccess && step.way != PlanStep::Way::NewFile;
    if (status == kErrorSuccess) {
        step.done = false;
        step.oldCopy.clear();
    }
    return status;
}

std::uint32_t PlanSteps::Commit(const PlanStep& step) {
    if (step.oldCopy.empty() || step.loaded) return kErrorSuccess;
    if (step.folder) return files_.RemoveFolder(step.oldCopy);
    files_.SetAttributes(step.oldCopy, kAttributeNormal);
    return files_.Remove(step.oldCopy);
}

void PlanSteps::Discard(const PlanStep& step) {
    if (!step.staged.empty()) RemoveFile(step.staged);
}

}  // namespace pendrix
