#include "scheduler/staged_copy.h"

#include "common/name_folding.h"
#include "pending_list/list_sequence.h"

namespace pendrix {
namespace {

bool Taken(WinStatus status) { return status == kErrorFileExists || status == kErrorAlreadyExists; }

// A failure to read the source, not to write beside the destination.
bool SourceUnreadable(WinStatus status) {
    return status == kErrorSharingViolation || status == kErrorLockViolation || status == kErrorAccessDenied;
}

std::string_view WithoutPrefix(std::string_view name, std::string_view prefix) {
    return name.substr(0, prefix.size()) == prefix ? name.substr(prefix.size()) : std::string_view();
}

void RemoveCopy(FileSystemApi& files, const std::string& copy) {
    // It may carry the destination's read-only attribute: made writable first.
    files.SetAttributes(copy, kAttributeNormal);
    files.Remove(copy);
}

}  // namespace

Staging StageCopy(FileSystemApi& files, const std::string& source, const std::string& destination,
                  bool destinationExists, std::uint32_t destinationAttributes) {
    Staging staging;
    // Read first, so that a locked source is told apart from a folder that
    // takes no new file.
    staging.status = files.OpenForReading(source);
    if (staging.status != kErrorSuccess) {
        staging.outcome = SourceUnreadable(staging.status) ? StagingOutcome::SourceLocked : StagingOutcome::Failed;
        return staging;
    }
    const std::string model = destinationExists ? destination : std::string();
    const std::uint32_t attributes = destinationExists ? destinationAttributes : 0;
    std::string copy;
    WinStatus status = kErrorFileExists;
    for (int number = 1; number <= kMostStagedCopyNumbers && Taken(status); ++number) {
        copy = destination + std::string(kStagedCopySuffix) + std::to_string(number);
        status = files.CreateStagedCopy(source, copy, model, attributes);
    }
    if (status != kErrorSuccess) {
        // The source opened a moment ago: a denial now is the folder's.
        staging.status = status;
        staging.outcome = status == kErrorSharingViolation || status == kErrorLockViolation
                              ? StagingOutcome::SourceLocked
                              : StagingOutcome::Failed;
        return staging;
    }
    staging.outcome = StagingOutcome::Staged;
    staging.status = kErrorSuccess;
    staging.copy = std::move(copy);
    return staging;
}

std::string StagedCopyOf(const RenamePair& pair) {
    const std::string_view copy = WithoutPrefix(pair.first, kObjectPathPrefix);
    const std::string_view target =
        WithoutPrefix(WithoutPrefix(pair.second, kReplaceExistingMarker), kObjectPathPrefix);
    if (copy.empty() || target.empty() || copy.size() <= target.size() + kStagedCopySuffix.size()) return {};
    if (FoldName(copy.substr(0, target.size())) != FoldName(target)) return {};
    if (copy.substr(target.size(), kStagedCopySuffix.size()) != kStagedCopySuffix) return {};
    const std::string_view number = copy.substr(target.size() + kStagedCopySuffix.size());
    if (number.empty() || number.front() == '0' || number.find_first_not_of("0123456789") != std::string_view::npos)
        return {};
    return std::string(copy);
}

void RemoveStagedCopies(FileSystemApi& files, const std::vector<RenamePair>& pairs) {
    for (const RenamePair& pair : pairs) {
        const std::string copy = StagedCopyOf(pair);
        if (!copy.empty()) RemoveCopy(files, copy);
    }
}

RenamePair PendingStagedCopy(FileSystemApi& files, std::string_view stored, const std::string& destination,
                             const std::string& source) {
    const std::string folded = FoldName(destination);
    const std::vector<StoredPair> pairs = StoredPairs(stored);
    for (auto entry = pairs.rbegin(); entry != pairs.rend(); ++entry) {
        if (!entry->reached) continue;
        const ListedOperation operation = OperationOf(*entry);
        if (FoldName(operation.source) != folded && FoldName(operation.destination) != folded) continue;
        // The last entry that touches the destination decides what it holds.
        const std::string copy = StagedCopyOf(entry->pair);
        if (copy.empty() || FoldName(operation.destination) != folded) return {};
        std::string staged;
        std::string wanted;
        if (files.ReadAll(copy, staged) != kErrorSuccess || files.ReadAll(source, wanted) != kErrorSuccess ||
            staged != wanted)
            return {};
        return entry->pair;
    }
    return {};
}

}  // namespace pendrix
