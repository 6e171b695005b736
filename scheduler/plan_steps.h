// The operations of a plan carried out now, each in a way that can be taken
// back until the whole plan has succeeded: every replaced or deleted file is
// kept, under another name in its own folder, until then.
//   Stage:  the source copied beside its destination (nothing changed yet)
//   Do:     the copy takes the destination's place (ReplaceFileW, which
//           keeps the file's identity: the old file goes to a temporary
//           name), or the file to delete is renamed aside; a file that
//           programs have loaded is renamed aside and the copy takes its name
//   Undo:   the old file back under its name, byte for byte (itself, not a
//           copy, where it was renamed)
//   Commit: the old file deleted; one still loaded is left for the caller
//           to schedule
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system_api.h"
#include "scheduler/plan_check.h"

namespace pendrix {

// A temporary file a step made and could not delete again, and why.
struct LeftFile {
    std::string path;
    std::uint32_t status = 0;
};

struct PlanStep {
    enum class Way {
        NewFile,    // the destination did not exist: the copy took its name
        Swapped,    // the copy swapped in; the old file under oldCopy
        Rewritten,  // a file with other names (hard links) written in place; its old content in oldCopy
        SetAside,   // renamed to oldCopy: a file or empty folder to delete, or a loaded file the copy replaced
    } way = Way::NewFile;
    const CheckedOperation* operation = nullptr;
    std::string file;      // the file itself, a symbolic link followed
    std::string staged;    // replace: the source's copy beside it
    std::string oldCopy;   // where the old file (or content) is kept
    std::uint32_t attributes = 0;
    std::uint32_t links = 1;
    bool folder = false;
    bool loaded = false;   // set aside in use: its old copy can only go at the next start
    bool done = false;
    // Undo, or a failed Do, could not put the old file back under its name:
    // it is in oldCopy.
    bool stranded = false;
};

class PlanSteps {
public:
    explicit PlanSteps(FileSystemApi& files) : files_(files) {}

    // Prepares step for operation; a replacement's source is copied beside
    // its destination. loaded: the destination, or the file to delete, is
    // loaded by programs and is to be renamed aside.
    std::uint32_t Stage(const CheckedOperation& operation, bool loaded, PlanStep& step);
    std::uint32_t Do(PlanStep& step);
    std::uint32_t Undo(PlanStep& step);
    // Deletes the old copy (not that of a loaded file).
    std::uint32_t Commit(const PlanStep& step);
    // Removes what Stage made, once the step is not to be done or is undone.
    void Discard(const PlanStep& step);
    // The temporary files (copies, old contents) that could not be deleted.
    const std::vector<LeftFile>& Left() const noexcept { return left_; }

private:
    std::uint32_t RenameAside(const std::string& path, std::string& oldCopy);
    std::uint32_t Swap(PlanStep& step);
    std::uint32_t Rewrite(PlanStep& step);
    void RemoveFile(const std::string& path);

    FileSystemApi& files_;
    std::vector<LeftFile> left_;
};

// A status that says a file is in use, not that the operation failed.
bool IsInUse(std::uint32_t status);

}  // namespace pendrix
