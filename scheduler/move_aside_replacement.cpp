#include "scheduler/move_aside_replacement.h"

#include <string_view>

#include "scheduler/file_names.h"
#include "scheduler/immediate_replacement.h"

namespace pendrix {
namespace {

bool Taken(std::uint32_t status) { return status == kErrorAlreadyExists || status == kErrorFileExists; }

}  // namespace

MoveAsideReplacement::MoveAsideReplacement(FileSystemApi& files, FileCommands& commands)
    : files_(files), commands_(commands) {}

MoveAsideResult MoveAsideReplacement::Replace(const std::string& source, const std::string& destination,
                                              const std::function<void()>& beforeRename) {
    MoveAsideResult result;
    // What the plain replacement refuses, or cannot move aside, is left to it.
    const NameResolution from = ResolveName(source, files_, NameUse::File);
    const NameResolution to = ResolveName(destination, files_, NameUse::File);
    if (from.problem != NameProblem::None || to.problem != NameProblem::None || from.name.network || to.name.network)
        return result;
    result.source = from.name.full;
    result.destination = to.name.full;
    std::uint32_t sourceAttributes = 0;
    if (files_.Attributes(from.name.path, sourceAttributes) != kErrorSuccess ||
        (sourceAttributes & kAttributeDirectory))
        return result;
    // The file itself (a symbolic link followed); one with other names
    // (hard links) is written in place by the plain replacement instead.
    FileDescription file;
    if (files_.Describe(to.name.path, file) != kErrorSuccess || file.links > 1 ||
        (file.attributes & (kAttributeReadOnly | kAttributeDirectory)))
        return result;
    const std::string path = file.finalPath.empty() ? to.name.path : file.finalPath;
    FileIdentity sourceIdentity;
    FileIdentity destinationIdentity;
    if (files_.Identity(from.name.path, sourceIdentity) == kErrorSuccess &&
        files_.Identity(path, destinationIdentity) == kErrorSuccess && sourceIdentity == destinationIdentity)
        return result;

    // A pending entry that takes the destination away at the next start
    // would undo the replacement: the plain replacement refuses it.
    CommandResult undone;
    if (commands_.UndoneAtRestart(to.name.full, undone)) return result;

    // A destination that is not in use is replaced as usual.
    const ReplacementAttempt attempt = ReplaceAtOnce(files_, from.name.path, path);
    if (attempt.outcome == ReplacementOutcome::Done) {
        result.outcome = MoveAsideOutcome::ReplacedNow;
        return result;
    }
    if (attempt.outcome == ReplacementOutcome::Interrupted) {
        result.outcome = MoveAsideOutcome::Interrupted;
        result.status = static_cast<std::int32_t>(attempt.status);
        result.oldCopy = attempt.keptAt;
        return result;
    }

    // The new copy beside the destination first: a source that cannot be
    // read stops everything before anything is renamed.
    std::string temporary;
    if (files_.CreateTempFile(std::string(FolderOf(path)), temporary) != kErrorSuccess) return result;
    // The new file takes the destination's rules and the administrators as
    // its owner, not what a new file in the folder would get.
    if (files_.Copy(from.name.path, temporary) != kErrorSuccess ||
        files_.SecureLike(path, temporary) != kErrorSuccess) {
        RemoveTemporary(temporary);
        return result;
    }

    if (beforeRename) beforeRename();
    std::string oldCopy;
    const std::uint32_t renamed = RenameAside(path, oldCopy);
    if (renamed != kErrorSuccess) {
        RemoveTemporary(temporary);
        result.status = static_cast<std::int32_t>(renamed);
        return result;
    }
    const std::uint32_t placed = files_.Rename(temporary, path);
    if (placed != kErrorSuccess) {
        const std::uint32_t back = files_.Rename(oldCopy, path);
        if (back != kErrorSuccess) {
            result.outcome = MoveAsideOutcome::LeftHalfWay;
            result.oldCopy = oldCopy;
            result.newCopy = temporary;
            result.destinationMissing = true;
            result.status = static_cast<std::int32_t>(back);
            return result;
        }
        RemoveTemporary(temporary);
        result.status = static_cast<std::int32_t>(placed);
        return result;
    }

    // Only the old copy's deletion waits for the next start.
    result.deletion = commands_.Delete(oldCopy, false);
    if (result.deletion.outcome == CommandOutcome::Scheduled) {
        result.outcome = MoveAsideOutcome::MovedAside;
        result.oldCopy = result.deletion.scheduled.empty()
                             ? oldCopy
                             : result.deletion.scheduled.front().first.substr(kObjectPathPrefix.size());
        return result;
    }

    // Not scheduled: the new copy goes back to its temporary name and the
    // old file to its own.
    result.status = result.deletion.status;
    std::uint32_t status = files_.Rename(path, temporary);
    if (status == kErrorSuccess) {
        status = files_.Rename(oldCopy, path);
        if (status == kErrorSuccess) {
            RemoveTemporary(temporary);
            result.outcome = MoveAsideOutcome::NotScheduled;
            return result;
        }
        // The destination must not stay missing: the new copy is put back.
        if (files_.Rename(temporary, path) != kErrorSuccess) {
            result.outcome = MoveAsideOutcome::LeftHalfWay;
            result.oldCopy = oldCopy;
            result.newCopy = temporary;
            result.destinationMissing = true;
            result.status = static_cast<std::int32_t>(status);
            return result;
        }
    }
    result.outcome = MoveAsideOutcome::LeftHalfWay;
    result.oldCopy = oldCopy;
    result.newCopy = path;
    result.status = static_cast<std::int32_t>(status);
    return result;
}

std::uint32_t MoveAsideReplacement::RenameAside(const std::string& destination, std::string& oldCopy) {
    std::uint32_t status = kErrorAlreadyExists;
    for (int number = 1; number <= kMostOldCopyNumbers && Taken(status); ++number) {
        oldCopy = destination + kOldCopySuffix + std::to_string(number);
        status = files_.Rename(destination, oldCopy);
    }
    return status;
}

void MoveAsideReplacement::RemoveTemporary(const std::string& path) {
    // The copy carries the source's attributes; a read-only one must be
    // made writable before it can be deleted.
    files_.SetAttributes(path, kAttributeNormal);
    files_.Remove(path);
}

}  // namespace pendrix
