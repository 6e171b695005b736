#include "scheduler/file_commands.h"

#include <utility>

#include "registry/registry_constants.h"
#include "scheduler/immediate_replacement.h"
#include "scheduler/name_pattern.h"
#include "scheduler/stored_strings.h"

namespace pendrix {

namespace {

void Refuse(CommandResult& result, Refusal refusal, std::uint32_t status, NameRole subject, std::string name) {
    result.outcome = CommandOutcome::Refused;
    result.refusal = refusal;
    result.status = static_cast<std::int32_t>(status);
    result.subject = subject;
    result.subjectName = std::move(name);
}

bool IsMissing(std::uint32_t status) { return status == kErrorFileNotFound || status == kErrorPathNotFound; }

// attributes without read-only (FILE_ATTRIBUTE_NORMAL when nothing is left).
std::uint32_t Writable(std::uint32_t attributes) {
    const std::uint32_t left = attributes & ~kAttributeReadOnly;
    return left != 0 ? left : kAttributeNormal;
}

}  // namespace

FileCommands::FileCommands(RegistryRoutines& registry, FileSystemApi& files, PendingListRead atLaunch,
                           PendingListRead secondAtLaunch)
    : registry_(registry), files_(files) {
    sessions_[0].atLaunch = std::move(atLaunch);
    sessions_[1].atLaunch = std::move(secondAtLaunch);
    for (ValueSession& session : sessions_) {
        session.lastWritten = session.atLaunch.stored;
        session.lastWrittenExists = session.atLaunch.exists;
        // A snapshot of another form is never written back.
        session.onlyOwnChanges = session.atLaunch.readable && !HoldsAnotherForm(session.atLaunch);
    }
}

// Whether a resolved name can be acted on; otherwise the result says why.
bool FileCommands::Accepts(const NameResolution& name, NameRole role, std::string_view typed, CommandResult& result) {
    switch (name.problem) {
    case NameProblem::None: return true;
    case NameProblem::Blank: break;  // checked before, with the other box
    case NameProblem::InvalidName: Refuse(result, Refusal::InvalidName, name.status, role, std::string(typed)); break;
    case NameProblem::NotAFile: Refuse(result, Refusal::NotAFile, name.status, role, std::string(typed)); break;
    case NameProblem::Unresolved: Refuse(result, Refusal::Unresolved, name.status, role, std::string(typed)); break;
    }
    return false;
}

CommandResult FileCommands::Replace(std::string_view source, std::string_view destination, bool tryNow) {
    CommandResult result;
    result.listTextRead = PendingRenameList(registry_).Read().listText;
    const NameResolution from = ResolveName(source, files_, NameUse::File);
    const NameResolution to = ResolveName(destination, files_, NameUse::File);
    if (from.problem == NameProblem::Blank || to.problem == NameProblem::Blank) return result;
    if (!Accepts(from, NameRole::Source, source, result) || !Accepts(to, NameRole::Destination, destination, result))
        return result;
    result.source = from.name.full;
    result.destination = to.name.full;

    // The source must be a file that is there; one that cannot be read now
    // may be read at the next start.
    std::uint32_t sourceAttributes = 0;
    const std::uint32_t sourceStatus = files_.Attributes(from.name.path, sourceAttributes);
    if (IsMissing(sourceStatus)) {
        Refuse(result, Refusal::Missing, sourceStatus, NameRole::Source, from.name.full);
        return result;
    }
    if (sourceStatus == kErrorSuccess && (sourceAttributes & kAttributeDirectory)) {
        Refuse(result, Refusal::Folder, kErrorDirectoryNotSupported, NameRole::Source, from.name.full);
        return result;
    }
    // The destination need not be there yet, but its folder must.
    std::uint32_t destinationAttributes = 0;
    const std::uint32_t destinationStatus = files_.Attributes(to.name.path, destinationAttributes);
    if (destinationStatus == kErrorPathNotFound) {
        Refuse(result, Refusal::DestinationFolderMissing, kErrorPathNotFound, NameRole::Destination, to.name.full);
        return result;
    }
    if (destinationStatus == kErrorSuccess && (destinationAttributes & kAttributeDirectory)) {
        Refuse(result, Refusal::Folder, kErrorDirectoryNotSupported, NameRole::Destination, to.name.full);
        return result;
    }
    if (IsSameFile(from.name.path, to.name.path)) {
        result.outcome = CommandOutcome::SameFile;
        return result;
    }

    if (tryNow) {
        const ReplacementAttempt attempt = ReplaceAtOnce(files_, from.name.path, to.name.path);
        if (attempt.outcome == ReplacementOutcome::Done) {
            result.outcome = CommandOutcome::DoneNow;
            return result;
        }
        if (attempt.outcome == ReplacementOutcome::Interrupted) {
            result.outcome = CommandOutcome::Interrupted;
            result.status = static_cast<std::int32_t>(attempt.status);
            result.subjectName = to.name.full;
            result.keptAt = attempt.keptAt;
            return result;
        }
    }
    if (from.name.network || to.name.network) {
        const bool sourceOnNetwork = from.name.network;
        Refuse(result, Refusal::Network, kErrorNotSupported, sourceOnNetwork ? NameRole::Source : NameRole::Destination,
               sourceOnNetwork ? from.name.full : to.name.full);
        return result;
    }
    // The start-up processing cannot replace a read-only file.
    const bool readOnly = destinationStatus == kErrorSuccess && (destinationAttributes & kAttributeReadOnly);
    if (readOnly) files_.SetAttributes(to.name.path, Writable(destinationAttributes));
    Schedule({ReplacementPair(from.name.full, to.name.full)}, result);
    if (readOnly && result.outcome != CommandOutcome::Scheduled)
        files_.SetAttributes(to.name.path, destinationAttributes);
    return result;
}

CommandResult FileCommands::Delete(std::string_view path, bool tryNow) {
    CommandResult result;
    result.listTextRead = PendingRenameList(registry_).Read().listText;
    const bool pattern = HasWildcards(path);
    const NameResolution target = ResolveName(path, files_, pattern ? NameUse::Pattern : NameUse::File);
    if (target.problem == NameProblem::Blank || !Accepts(target, NameRole::Path, path, result)) return result;
    // The start-up processing cannot delete a read-only file: each is made
    // writable first, and gets its attributes back if it is neither deleted
    // nor scheduled.
    madeWritable_.clear();
    if (pattern) {
        DeleteMatches(target.name, path, tryNow, result);
    } else {
        std::uint32_t attributes = 0;
        const std::uint32_t status = files_.Attributes(target.name.path, attributes);
        if (IsMissing(status)) {
            Refuse(result, Refusal::Missing, status, NameRole::Path, target.name.full);
        } else if (status == kErrorSuccess && (attributes & kAttributeDirectory)) {
            DeleteEmptyFolder(target.name, tryNow, result);
        } else {
            if (status == kErrorSuccess) MakeWritable(target.name.path, attributes);
            DeleteOneFile(target.name, tryNow, result);
        }
    }
    if (result.outcome == CommandOutcome::NotScheduled || result.outcome == CommandOutcome::Refused)
        for (const auto& [file, attributes] : madeWritable_) files_.SetAttributes(file, attributes);
    madeWritable_.clear();
    return result;
}

void FileCommands::MakeWritable(const std::string& path, std::uint32_t attributes) {
    if ((attributes & kAttributeReadOnly) && files_.SetAttributes(path, Writable(attributes)) == kErrorSuccess)
        madeWritable_.emplace_back(path, attributes);
}

void FileCommands::DeleteOneFile(const ResolvedName& target, bool tryNow, CommandResult& result) {
    if (tryNow && files_.Remove(target.path) == kErrorSuccess) {
        result.outcome = CommandOutcome::DoneNow;
        result.deletedNow.push_back(target.full);
        return;
    }
    if (target.network) {
        Refuse(result, Refusal::Network, kErrorNotSupported, NameRole::Path, target.full);
        return;
    }
    Schedule({DeletionPair(target.full)}, result);
}

// Only an empty folder: the start-up processing removes nothing else, and a
// folder's contents are not deleted by naming the folder.
void FileCommands::DeleteEmptyFolder(const ResolvedName& target, bool tryNow, CommandResult& result) {
    std::vector<FolderEntry> entries;
    if (files_.ListFolder(target.path, entries) == kErrorSuccess && !entries.empty()) {
        Refuse(result, Refusal::FolderNotEmpty, kErrorDirNotEmpty, NameRole::Path, target.full);
        return;
    }
    const std::uint32_t status = tryNow ? files_.RemoveFolder(target.path) : kErrorSharingViolation;
    if (status == kErrorSuccess) {
        result.outcome = CommandOutcome::DoneNow;
        result.deletedNow.push_back(target.full);
    } else if (status == kErrorDirNotEmpty) {
        Refuse(result, Refusal::FolderNotEmpty, kErrorDirNotEmpty, NameRole::Path, target.full);
    } else if (target.network) {
        Refuse(result, Refusal::Network, kErrorNotSupported, NameRole::Path, target.full);
    } else {
        Schedule({DeletionPair(target.full)}, result);
    }
}

// The start-up processing expands no pattern: every file whose long name
// matches is deleted now or scheduled by its full name.
void FileCommands::DeleteMatches(const ResolvedName& pattern, std::string_view typed, bool tryNow,
                                 CommandResult& result) {
    // The pattern as the find functions read it: resolving dropped a final
    // period, which still tells "*." (no extension) from "*".
    std::string last(LastPartOf(pattern.full));
    if (!typed.empty() && typed.back() == '.') last.push_back('.');

    std::vector<FoundFile> found;
    const std::uint32_t status = files_.FindFiles(pattern.path, found);
    if (status != kErrorSuccess && status != kErrorFileNotFound) {
        Refuse(result, Refusal::NoMatch, status, NameRole::Path, pattern.full);
        return;
    }
    const std::string folder(FolderOf(pattern.full));
    const std::string folderPath(FolderOf(pattern.path));
    std::vector<std::string> leftOver;
    bool matched = false;
    for (const FoundFile& file : found) {
        if ((file.attributes & kAttributeDirectory) || !MatchesPattern(last, file.name)) continue;
        matched = true;
        const std::string path = folderPath + file.name;
        MakeWritable(path, file.attributes);
        if (tryNow) {
            const std::uint32_t removed = files_.Remove(path);
            if (removed == kErrorSuccess) result.deletedNow.push_back(folder + file.name);
            if (removed == kErrorSuccess || IsMissing(removed)) continue;  // gone
        }
        leftOver.push_back(folder + file.name);
    }
    if (!matched) {
        Refuse(result, Refusal::NoMatch, kErrorFileNotFound, NameRole::Path, pattern.full);
        return;
    }
    if (leftOver.empty()) {
        result.outcome = CommandOutcome::DoneNow;
        return;
    }
    if (pattern.network) {
        Refuse(result, Refusal::Network, kErrorNotSupported, NameRole::Path, pattern.full);
        result.leftOver = std::move(leftOver);
        return;
    }
    std::vector<RenamePair> pairs;
    for (const std::string& name : leftOver) pairs.push_back(DeletionPair(name));
    Schedule(std::move(pairs), result);
}

bool FileCommands::IsSameFile(const std::string& first, const std::string& second) {
    FileIdentity a;
    FileIdentity b;
    return files_.Identity(first, a) == kErrorSuccess && files_.Identity(second, b) == kErrorSuccess && a == b;
}

void FileCommands::Schedule(std::vector<RenamePair> pairs, CommandResult& result) {
    result.outcome = CommandOutcome::NotScheduled;
    // Read again just before the write, so that a change another program
    // made meanwhile is kept.
    const PendingValues current = ReadPendingValues(registry_);
    const AppendCheck check = CheckAppend(current);
    std::size_t target = check.target;
    result.listValue = target;
    if (check.block == AppendBlock::Unreadable) {
        result.status = current[target].status;
        result.readFailed = true;
        return;
    }
    if (check.block == AppendBlock::AnotherForm) {
        result.outcome = CommandOutcome::ListOfAnotherForm;
        result.listShape = current[target].shape;
        return;
    }
    std::string data = current[target].stored;
    for (const RenamePair& pair : pairs) data = AppendPairToStored(data, pair);

    std::int32_t status = PendingRenameList(registry_, kPendingValueNames[target]).Store(data);
    if (CallsForASecondValue(target, status)) {
        // The first list is as large as the registry stores: the pairs start
        // the second, which runs after it.
        target = 1;
        result.listValue = target;
        data.clear();
        for (const RenamePair& pair : pairs) data = AppendPairToStored(data, pair);
        status = PendingRenameList(registry_, kPendingValueNames[target]).Store(data);
    }
    if (status != kErrorSuccess) {
        result.status = status;
        return;
    }
    ValueSession& session = sessions_[target];
    if (current[target].exists != session.lastWrittenExists || current[target].stored != session.lastWritten)
        session.onlyOwnChanges = false;
    session.lastWritten = std::move(data);
    session.lastWrittenExists = true;
    session.written = true;
    session.added.insert(session.added.end(), pairs.begin(), pairs.end());
    result.outcome = CommandOutcome::Scheduled;
    result.scheduled = std::move(pairs);
}

UndoResult FileCommands::CancelAll() {
    // The second value only when this session wrote it: nothing else there
    // is this session's to take back.
    for (std::size_t index = 0; index < kPendingValueCount; ++index) {
        if (index != 0 && !sessions_[index].written) continue;
        UndoResult result = CancelValue(index);
        if (!result.reversed) return result;
    }
    UndoResult result;
    result.reversed = true;
    return result;
}

UndoResult FileCommands::CancelValue(std::size_t index) {
    UndoResult result;
    result.listValue = index;
    ValueSession& session = sessions_[index];
    PendingRenameList list(registry_, kPendingValueNames[index]);
    const PendingListRead current = list.Read();
    if (!current.readable) {
        result.status = current.status;
        result.readFailed = true;
        return result;
    }
    if (HoldsAnotherForm(current)) {
        result.anotherForm = true;
        result.listShape = current.shape;
        return result;
    }

    std::string data;
    bool keepValue = true;
    const bool untouchedByOthers =
        session.onlyOwnChanges && current.exists == session.lastWrittenExists && current.stored == session.lastWritten;
    if (untouchedByOthers) {
        // The registry as at launch: no value when there was none.
        data = session.atLaunch.stored;
        keepValue = session.atLaunch.exists;
    } else {
        data = current.stored;
        bool removed = false;
        for (auto pair = session.added.rbegin(); pair != session.added.rend(); ++pair)
            removed = RemoveLastPair(data, *pair) || removed;
        if (!removed) {
            // Nothing of this session's is left to take back.
            session.added.clear();
            session.onlyOwnChanges = false;
            result.reversed = true;
            return result;
        }
        // A list left with no string at all goes, as the start-up processing
        // leaves it: a value of no data makes other programs' additions go
        // wrong.
        DropLoneClosingNul(data);
        keepValue = !data.empty();
    }

    const std::int32_t status = keepValue ? list.Store(data) : list.Delete();
    if (status != kErrorSuccess) {
        result.status = status;
        return result;
    }
    session.onlyOwnChanges = untouchedByOthers;
    session.lastWritten = std::move(data);
    session.lastWrittenExists = keepValue;
    session.added.clear();
    result.reversed = true;
    return result;
}

}  // namespace pendrix
