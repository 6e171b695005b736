#include "scheduler/file_commands.h"

#include <utility>

#include "registry/registry_constants.h"
#include "scheduler/stored_strings.h"

namespace pendrix {

bool HasWildcards(std::string_view path) {
    const std::string_view last = path.substr(FolderOf(path).size());
    return last.find_first_of("*?") != std::string_view::npos;
}

std::string_view FolderOf(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\/:");
    return separator == std::string_view::npos ? std::string_view() : path.substr(0, separator + 1);
}

FileCommands::FileCommands(RegistryRoutines& registry, FileSystemApi& files, PendingListRead atLaunch)
    : list_(registry), files_(files), atLaunch_(std::move(atLaunch)) {
    lastWritten_ = atLaunch_.stored;
    lastWrittenExists_ = atLaunch_.exists;
    onlyOwnChanges_ = atLaunch_.readable;
}

CommandResult FileCommands::Replace(std::string_view source, std::string_view destination, bool tryNow) {
    CommandResult result;
    result.listTextRead = list_.Read().listText;
    if (source.empty() || destination.empty()) return result;

    const std::string from(source);
    const std::string to(destination);
    if (tryNow) {
        if (IsSameFile(from, to)) {
            result.outcome = CommandOutcome::SameFile;
            return result;
        }
        if (ReplaceNow(from, to)) {
            result.outcome = CommandOutcome::DoneNow;
            return result;
        }
    }
    Schedule({ReplacementPair(from, to)}, result);
    return result;
}

CommandResult FileCommands::Delete(std::string_view path, bool tryNow) {
    CommandResult result;
    result.listTextRead = list_.Read().listText;
    if (path.empty()) return result;

    const std::string target(path);
    std::vector<RenamePair> pairs;
    if (tryNow) {
        std::vector<std::string> leftovers;
        if (DeleteNow(target, leftovers)) {
            result.outcome = CommandOutcome::DoneNow;
            return result;
        }
        // The start-up processing does not expand wildcards: what a pattern
        // left behind is scheduled file by file.
        for (const std::string& name : leftovers) pairs.push_back(DeletionPair(name));
    }
    if (pairs.empty()) pairs.push_back(DeletionPair(target));
    Schedule(std::move(pairs), result);
    return result;
}

bool FileCommands::IsSameFile(const std::string& first, const std::string& second) {
    FileIdentity a;
    FileIdentity b;
    return files_.Identity(first, a) == kErrorSuccess && files_.Identity(second, b) == kErrorSuccess && a == b;
}

// The destination is replaced only when it exists as a writable file. The
// source is copied to a new file in the destination's folder first, which
// is then moved over the destination: whatever fails, the destination is
// left as it was and the copy is removed.
bool FileCommands::ReplaceNow(const std::string& source, const std::string& destination) {
    std::uint32_t attributes = 0;
    if (files_.Attributes(destination, attributes) != kErrorSuccess) return false;
    if (attributes & (kAttributeReadOnly | kAttributeDirectory)) return false;

    std::string temporary;
    if (files_.CreateTempFile(std::string(FolderOf(destination)), temporary) != kErrorSuccess) return false;
    if (files_.Copy(source, temporary) != kErrorSuccess || files_.MoveOver(temporary, destination) != kErrorSuccess) {
        RemoveTemporary(temporary);
        return false;
    }
    return true;
}

void FileCommands::RemoveTemporary(const std::string& path) {
    // The copy carries the source's attributes; a read-only one must be
    // made writable before it can be deleted.
    files_.SetAttributes(path, kAttributeNormal);
    files_.Remove(path);
}

bool FileCommands::DeleteNow(const std::string& pattern, std::vector<std::string>& leftovers) {
    if (!HasWildcards(pattern)) return files_.Remove(pattern) == kErrorSuccess;

    std::vector<std::string> names;
    if (files_.FindFiles(pattern, names) != kErrorSuccess || names.empty()) return false;
    const std::string folder(FolderOf(pattern));
    for (const std::string& name : names) {
        const std::string path = folder + name;
        const std::uint32_t status = files_.Remove(path);
        if (status == kErrorSuccess || status == kErrorFileNotFound) continue;
        std::string full;
        leftovers.push_back(files_.FullPath(path, full) == kErrorSuccess ? full : path);
    }
    return leftovers.empty();
}

void FileCommands::Schedule(std::vector<RenamePair> pairs, CommandResult& result) {
    result.outcome = CommandOutcome::NotScheduled;
    // Read again just before the write, so that a change another program
    // made meanwhile is kept.
    const PendingListRead current = list_.Read();
    if (!current.readable) {
        result.status = current.status;
        result.readFailed = true;
        return;
    }
    std::string data = current.stored;
    for (const RenamePair& pair : pairs) data = AppendPairToStored(data, pair);

    const std::int32_t status = list_.Store(data);
    if (status != kErrorSuccess) {
        result.status = status;
        return;
    }
    if (current.exists != lastWrittenExists_ || current.stored != lastWritten_) onlyOwnChanges_ = false;
    lastWritten_ = std::move(data);
    lastWrittenExists_ = true;
    added_.insert(added_.end(), pairs.begin(), pairs.end());
    result.outcome = CommandOutcome::Scheduled;
    result.scheduled = std::move(pairs);
}

UndoResult FileCommands::CancelAll() {
    UndoResult result;
    const PendingListRead current = list_.Read();
    if (!current.readable) {
        result.status = current.status;
        result.readFailed = true;
        return result;
    }

    std::string data;
    const bool untouchedByOthers =
        onlyOwnChanges_ && current.exists == lastWrittenExists_ && current.stored == lastWritten_;
    if (untouchedByOthers) {
        data = atLaunch_.stored;  // no data at all when there was no value
    } else {
        data = current.stored;
        bool removed = false;
        for (auto pair = added_.rbegin(); pair != added_.rend(); ++pair)
            removed = RemoveLastPair(data, *pair) || removed;
        DropLoneClosingNul(data);  // no pair left: no data
        if (!removed) {
            // Nothing of this session's is left to take back.
            added_.clear();
            onlyOwnChanges_ = false;
            result.reversed = true;
            return result;
        }
    }

    const std::int32_t status = list_.Store(data);
    if (status != kErrorSuccess) {
        result.status = status;
        return result;
    }
    onlyOwnChanges_ = untouchedByOthers;
    lastWritten_ = std::move(data);
    lastWrittenExists_ = true;
    added_.clear();
    result.reversed = true;
    return result;
}

}  // namespace pendrix
