#include "scheduler/file_commands.h"

#include <algorithm>
#include <utility>

#include "common/name_folding.h"
#include "registry/registry_constants.h"
#include "scheduler/final_names.h"
#include "scheduler/immediate_replacement.h"
#include "pending_list/list_sequence.h"
#include "scheduler/list_update.h"
#include "scheduler/name_pattern.h"
#include "scheduler/path_links.h"
#include "scheduler/staged_copy.h"
#include "scheduler/system_access.h"
#include "pending_list/stored_list.h"
#include "pending_list/stored_names.h"
#include "pending_list/stored_strings.h"

namespace pendrix {

void Refuse(CommandResult& result, Refusal refusal, WinStatus status, NameRole subject, std::string name) {
    result.outcome = CommandOutcome::Refused;
    result.refusal = refusal;
    result.status = status;
    result.subject = subject;
    result.subjectName = std::move(name);
}

namespace {

bool IsMissing(WinStatus status) { return status == kErrorFileNotFound || status == kErrorPathNotFound; }

// attributes without read-only (FILE_ATTRIBUTE_NORMAL when nothing is left).
std::uint32_t Writable(std::uint32_t attributes) {
    const std::uint32_t left = attributes & ~kAttributeReadOnly;
    return left != 0 ? left : kAttributeNormal;
}

}  // namespace

FileCommands::FileCommands(RegistryRoutines& registry, FileSystemApi& files, ListLockApi& lock,
                           PendingListRead atLaunch, PendingListRead secondAtLaunch)
    : list_(registry), lock_(lock), files_(files) {
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
    result.listTextRead = list_.Read().listText;
    const NameResolution from = ResolveName(source, files_, NameUse::File);
    const NameResolution to = ResolveName(destination, files_, NameUse::File);
    if (from.problem == NameProblem::Blank || to.problem == NameProblem::Blank) return result;
    if (!Accepts(from, NameRole::Source, WithoutSurroundingQuotes(source), result) ||
        !Accepts(to, NameRole::Destination, WithoutSurroundingQuotes(destination), result))
        return result;
    result.source = from.name.full;
    result.destination = to.name.full;

    // The source must be a file that is there; one that cannot be read now
    // may be read at the next start.
    std::uint32_t sourceAttributes = 0;
    const WinStatus sourceStatus = files_.Attributes(from.name.path, sourceAttributes);
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
    const WinStatus destinationStatus = files_.Attributes(to.name.path, destinationAttributes);
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
        CommandResult undone;
        if (UndoneAtRestart(to.name.full, undone)) {
            // Replaced now, a pending entry would take it away. One that
            // cannot be replaced now (held open, loaded) is scheduled after
            // that entry instead, as without trying.
            FileUse use = FileUse::Free;
            if (files_.Use(to.name.path, use) != kErrorSuccess || use == FileUse::Free) {
                undone.listTextRead = std::move(result.listTextRead);
                undone.source = std::move(result.source);
                undone.destination = std::move(result.destination);
                return undone;
            }
            tryNow = false;
        }
    }
    if (tryNow) {
        const ReplacementAttempt attempt = ReplaceAtOnce(files_, from.name.path, to.name.path);
        if (attempt.outcome == ReplacementOutcome::Done) {
            result.outcome = CommandOutcome::DoneNow;
            return result;
        }
        if (attempt.outcome == ReplacementOutcome::Interrupted) {
            result.outcome = CommandOutcome::Interrupted;
            result.status = attempt.status;
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
    madeWritable_.clear();
    const bool destinationExists = destinationStatus == kErrorSuccess;
    if (destinationExists) MakeWritable(to.name.path, NtNameOf(to.name), destinationAttributes);
    const SetOperation replacement{true, from.name, to.name, destinationExists, destinationAttributes};
    std::vector<RenamePair> staged;
    RenamePair pair;
    if (ReadyPair(replacement, staged, result, pair)) {
        ScheduleReady({pair}, staged, result);
        if (result.outcome == CommandOutcome::Scheduled && !result.sourceMovedAsIs)
            result.stagedCopy = StagedCopyOf(result.scheduled.front());
    }
    SettleWritable(result);
    return result;
}

bool FileCommands::ReadyForRestart(ResolvedName& name, NameRole role, bool exists, CommandResult& result) {
    const PathFolders folders = CheckPathFolders(files_, name.full);
    if (!folders.link.empty()) {
        Refuse(result, Refusal::ThroughLink, kErrorCantResolveFilename, role, name.full);
        result.link = folders.link;
        return false;
    }
    // The start-up processing opens what is stored without
    // FILE_OPEN_REPARSE_POINT: a link there reaches what it leads to.
    if (exists) {
        LastPart last = CheckLastPart(files_, name.path);
        if (last.link) {
            Refuse(result, Refusal::Link, kErrorCantResolveFilename, role, name.full);
            result.linkTarget = std::move(last.target);
            return false;
        }
    }
    // On no local drive, or not to be named at all.
    if (const WinStatus status = ResolveFinalName(files_, name, exists)) {
        Refuse(result, status == kErrorNotSupported ? Refusal::NotLocal : Refusal::Unresolved, status, role, name.full);
        return false;
    }
    if (result.changeableFolder.empty()) result.changeableFolder = folders.changeableFolder;
    return true;
}

bool FileCommands::MayBeReplaced(const ResolvedName& name, NameRole role, CommandResult& result) {
    // What SYSTEM may not do, the start-up processing cannot do either: it
    // would log a failure and go on, and the restart be for nothing.
    if (SystemMayChange(files_, name.path, role == NameRole::Destination)) return true;
    Refuse(result, Refusal::Protected, kErrorAccessDenied, role, name.full);
    if (files_.Owner(name.path, result.owner) != kErrorSuccess) result.owner.clear();
    return false;
}

bool FileCommands::ReadyPair(const SetOperation& operation, std::vector<RenamePair>& staged, CommandResult& result,
                             RenamePair& pair) {
    const NameRole role = operation.replacement ? NameRole::Destination : NameRole::Path;
    // A path to delete exists: it was found, or could not be looked at.
    const bool exists = operation.targetExists || !operation.replacement;
    ResolvedName target = operation.target;
    if (exists && !MayBeReplaced(target, role, result)) return false;
    if (!ReadyForRestart(target, role, exists, result)) return false;
    if (!operation.replacement) {
        pair = DeletionPair(target.full);
        return true;
    }
    result.destination = target.full;

    const Staging staging =
        StageCopy(files_, operation.source.path, target.full, operation.targetExists, operation.targetAttributes);
    if (staging.outcome == StagingOutcome::Failed) {
        Refuse(result, Refusal::NotStaged, staging.status, NameRole::Destination, target.full);
        return false;
    }
    if (staging.outcome == StagingOutcome::SourceLocked) {
        // Moved as it is at the next start: its own name must hold then.
        ResolvedName source = operation.source;
        if (!ReadyForRestart(source, NameRole::Source, true, result)) return false;
        // The start-up processing only renames, and a rename stays on its
        // volume (told apart by serial number: two letters may name one).
        FileIdentity from;
        FileIdentity into;
        if (files_.Identity(source.path, from) == kErrorSuccess &&
            files_.Identity(std::string(FolderOf(target.path)), into) == kErrorSuccess && from.volume != into.volume) {
            Refuse(result, Refusal::AcrossVolumes, kErrorNotSameDevice, NameRole::Source, source.full);
            return false;
        }
        result.source = source.full;
        result.sourceMovedAsIs = true;
        pair = ReplacementPair(source.full, target.full);
        return true;
    }
    pair = ReplacementPair(staging.copy, target.full);
    staged.push_back(pair);
    return true;
}

void FileCommands::ScheduleReady(std::vector<RenamePair> pairs, const std::vector<RenamePair>& staged,
                                 CommandResult& result) {
    Schedule(std::move(pairs), result, staged);
    // A copy that is not scheduled is not needed: nothing was, or an
    // earlier copy of the same content is pending instead.
    std::vector<RenamePair> unused;
    for (const RenamePair& pair : staged)
        if (result.outcome != CommandOutcome::Scheduled ||
            std::find(result.scheduled.begin(), result.scheduled.end(), pair) == result.scheduled.end())
            unused.push_back(pair);
    RemoveStagedCopies(files_, unused);
}

std::size_t FileCommands::ScheduleSet(const std::vector<SetOperation>& operations, CommandResult& result) {
    madeWritable_.clear();
    std::vector<RenamePair> pairs;
    std::vector<RenamePair> staged;
    std::size_t refused = kNoSetOperation;
    for (std::size_t index = 0; index < operations.size() && refused == kNoSetOperation; ++index) {
        const SetOperation& operation = operations[index];
        const NameRole role = operation.replacement ? NameRole::Destination : NameRole::Path;
        // The start-up processing runs before the network is there.
        if (operation.replacement && operation.source.network) {
            Refuse(result, Refusal::Network, kErrorNotSupported, NameRole::Source, operation.source.full);
            refused = index;
        } else if (operation.target.network) {
            Refuse(result, Refusal::Network, kErrorNotSupported, role, operation.target.full);
            refused = index;
        } else {
            // The start-up processing can neither replace nor delete a read-only file.
            if (operation.targetExists && !(operation.targetAttributes & kAttributeDirectory))
                MakeWritable(operation.target.path, NtNameOf(operation.target), operation.targetAttributes);
            RenamePair pair;
            if (ReadyPair(operation, staged, result, pair))
                pairs.push_back(std::move(pair));
            else
                refused = index;
        }
    }
    if (refused == kNoSetOperation) {
        ScheduleReady(pairs, staged, result);
        if (result.outcome == CommandOutcome::Refused) {
            // A pending entry takes a source away before its turn: the
            // operation whose pair names it.
            const std::string taken = FoldName(result.subjectName);
            for (std::size_t index = 0; index < pairs.size() && refused == kNoSetOperation; ++index)
                if (FoldName(OperationOf({pairs[index], true}).source) == taken) refused = index;
            if (refused != kNoSetOperation)
                result.subject = operations[refused].replacement ? NameRole::Source : NameRole::Path;
        }
    } else {
        RemoveStagedCopies(files_, staged);
    }
    SettleWritable(result);
    return refused;
}

CommandResult FileCommands::Delete(std::string_view typed, bool tryNow) {
    CommandResult result;
    result.listTextRead = list_.Read().listText;
    // The name as the user meant it, for the pattern and the messages.
    const std::string_view path = WithoutSurroundingQuotes(typed);
    const bool pattern = HasWildcards(path);
    const NameResolution target = ResolveName(typed, files_, pattern ? NameUse::Pattern : NameUse::File);
    if (target.problem == NameProblem::Blank || !Accepts(target, NameRole::Path, path, result)) return result;
    // The start-up processing cannot delete a read-only file: each is made
    // writable first, and gets its attributes back if it is neither deleted
    // nor scheduled.
    madeWritable_.clear();
    if (pattern) {
        DeleteMatches(target.name, path, tryNow, result);
    } else {
        std::uint32_t attributes = 0;
        const WinStatus status = files_.Attributes(target.name.path, attributes);
        // Looked at before anything is changed: attributes set through a
        // link under Wine would land on what it leads to.
        LastPart last;
        if (status == kErrorSuccess) last = CheckLastPart(files_, target.name.path);
        if (IsMissing(status)) {
            Refuse(result, Refusal::Missing, status, NameRole::Path, target.name.full);
        } else if (last.link) {
            DeleteLink(target.name, last.target, tryNow, result);
        } else if (status == kErrorSuccess && (attributes & kAttributeDirectory)) {
            DeleteEmptyFolder(target.name, tryNow, result);
        } else {
            if (status == kErrorSuccess) MakeWritable(target.name.path, NtNameOf(target.name), attributes);
            DeleteOneFile(target.name, tryNow, result);
        }
    }
    SettleWritable(result);
    return result;
}

void FileCommands::MakeWritable(const std::string& path, const std::string& ntName, std::uint32_t attributes) {
    if (!(attributes & kAttributeReadOnly) || files_.SetAttributes(path, Writable(attributes)) != kErrorSuccess)
        return;
    // What the file system made of it, so that Cancel All can tell whether
    // anyone changed it since.
    std::uint32_t left = Writable(attributes);
    files_.Attributes(path, left);
    madeWritable_.push_back({path, ntName, attributes, left});
}

namespace {

// Whether a string of the list names ntName (a first string, or a second
// one after its "!").
bool ListNames(const std::vector<std::string>& strings, const std::string& ntName) {
    const std::string folded = FoldName(ntName);
    for (const std::string_view name : strings)
        if (FoldName(DestinationObjectName(name)) == folded) return true;
    return false;
}

}  // namespace

void FileCommands::SettleWritable(const CommandResult& result) {
    std::vector<std::string> scheduled;
    for (const RenamePair& pair : result.scheduled) {
        scheduled.push_back(pair.first);
        scheduled.push_back(pair.second);
    }
    for (WritableFile& file : madeWritable_) {
        if (ListNames(scheduled, file.ntName))
            writableForRestart_.push_back(std::move(file));
        else if (result.outcome != CommandOutcome::DoneNow && result.outcome != CommandOutcome::Scheduled)
            files_.SetAttributes(file.path, file.original);  // neither done nor scheduled: as it was
    }
    madeWritable_.clear();
}

void FileCommands::GiveAttributesBack(std::string_view stored) {
    const std::vector<std::string> strings = SplitStoredStrings(stored);
    for (const WritableFile& file : writableForRestart_) {
        // Another pair still needs it writable, or someone changed it since.
        if (ListNames(strings, file.ntName)) continue;
        std::uint32_t now = 0;
        if (files_.Attributes(file.path, now) == kErrorSuccess && now == file.left)
            files_.SetAttributes(file.path, file.original);
    }
    writableForRestart_.clear();
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
    std::vector<RenamePair> staged;
    RenamePair pair;
    if (ReadyPair({false, {}, target, true, 0}, staged, result, pair)) Schedule({pair}, result);
}

// The link itself, through a handle that is the link's own; on a system
// that reaches its target whatever is asked (Wine), nothing.
void FileCommands::DeleteLink(const ResolvedName& link, const std::string& target, bool tryNow,
                              CommandResult& result) {
    if (tryNow && files_.RemoveLink(link.path) == kErrorSuccess) {
        result.outcome = CommandOutcome::DoneNow;
        result.deletedNow.push_back(link.full);
    } else {
        Refuse(result, Refusal::Link, kErrorCantResolveFilename, NameRole::Path, link.full);
    }
    result.linkTarget = target;
}

// Only an empty folder: the start-up processing removes nothing else, and a
// folder's contents are not deleted by naming the folder.
void FileCommands::DeleteEmptyFolder(const ResolvedName& target, bool tryNow, CommandResult& result) {
    std::vector<FolderEntry> entries;
    if (files_.ListFolder(target.path, entries) == kErrorSuccess && !entries.empty()) {
        Refuse(result, Refusal::FolderNotEmpty, kErrorDirNotEmpty, NameRole::Path, target.full);
        return;
    }
    const WinStatus status = tryNow ? files_.RemoveFolder(target.path) : kErrorSharingViolation;
    if (status == kErrorSuccess) {
        result.outcome = CommandOutcome::DoneNow;
        result.deletedNow.push_back(target.full);
    } else if (status == kErrorDirNotEmpty) {
        Refuse(result, Refusal::FolderNotEmpty, kErrorDirNotEmpty, NameRole::Path, target.full);
    } else if (target.network) {
        Refuse(result, Refusal::Network, kErrorNotSupported, NameRole::Path, target.full);
    } else {
        std::vector<RenamePair> staged;
        RenamePair pair;
        if (ReadyPair({false, {}, target, true, kAttributeDirectory}, staged, result, pair)) Schedule({pair}, result);
    }
}

namespace {

// The pattern as the find functions read it: resolving dropped a final
// period, which still tells "*." (no extension) from "*".
std::string PatternOf(const ResolvedName& pattern, std::string_view typed) {
    std::string last(LastPartOf(pattern.full));
    if (!typed.empty() && typed.back() == '.') last.push_back('.');
    return last;
}

// A file (never a folder) the pattern selects.
bool Selected(const FoundFile& file, std::string_view pattern) {
    return !(file.attributes & kAttributeDirectory) && MatchesPattern(pattern, file.name);
}

}  // namespace

std::vector<std::string> FileCommands::PatternMatches(std::string_view typed) {
    const std::string_view path = WithoutSurroundingQuotes(typed);
    if (!HasWildcards(path)) return {};
    const NameResolution target = ResolveName(typed, files_, NameUse::Pattern);
    std::vector<FoundFile> found;
    if (target.problem != NameProblem::None || files_.FindFiles(target.name.path, found) != kErrorSuccess) return {};
    const std::string last = PatternOf(target.name, path);
    const std::string folder(FolderOf(target.name.full));
    std::vector<std::string> names;
    for (const FoundFile& file : found)
        if (Selected(file, last)) names.push_back(folder + file.name);
    return names;
}

// The start-up processing expands no pattern: every file whose long name
// matches is deleted now or scheduled by its full name.
void FileCommands::DeleteMatches(const ResolvedName& pattern, std::string_view typed, bool tryNow,
                                 CommandResult& result) {
    const std::string last = PatternOf(pattern, typed);
    result.pattern = true;

    std::vector<FoundFile> found;
    const WinStatus status = files_.FindFiles(pattern.path, found);
    if (status != kErrorSuccess && status != kErrorFileNotFound) {
        Refuse(result, Refusal::NoMatch, status, NameRole::Path, pattern.full);
        return;
    }
    const std::string folder(FolderOf(pattern.full));
    const std::string folderPath(FolderOf(pattern.path));
    std::vector<std::string> leftOver;
    // A match that is a link: deleted itself now, or it stops the scheduling.
    std::string linkLeft;
    std::string linkLeftTarget;
    bool matched = false;
    for (const FoundFile& file : found) {
        if (!Selected(file, last)) continue;
        matched = true;
        const std::string path = folderPath + file.name;
        if (LastPart link = CheckLastPart(files_, path); link.link) {
            if (tryNow && files_.RemoveLink(path) == kErrorSuccess) {
                result.deletedNow.push_back(folder + file.name);
                continue;
            }
            if (linkLeft.empty()) {
                linkLeft = folder + file.name;
                linkLeftTarget = std::move(link.target);
            }
            leftOver.push_back(folder + file.name);
            continue;
        }
        MakeWritable(path, std::string(kObjectPathPrefix) + folder + file.name, file.attributes);
        if (tryNow) {
            const WinStatus removed = files_.Remove(path);
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
    if (!linkLeft.empty()) {
        Refuse(result, Refusal::Link, kErrorCantResolveFilename, NameRole::Path, linkLeft);
        result.linkTarget = std::move(linkLeftTarget);
        result.leftOver = std::move(leftOver);
        return;
    }
    if (pattern.network) {
        Refuse(result, Refusal::Network, kErrorNotSupported, NameRole::Path, pattern.full);
        result.leftOver = std::move(leftOver);
        return;
    }
    // Each file by its folder's final name.
    ResolvedName where = pattern;
    if (!ReadyForRestart(where, NameRole::Path, false, result)) {
        result.leftOver = std::move(leftOver);
        return;
    }
    const std::string finalFolder(FolderOf(where.full));
    std::vector<RenamePair> pairs;
    for (const std::string& name : leftOver) {
        ResolvedName file{name, folderPath + std::string(LastPartOf(name)), false};
        if (!MayBeReplaced(file, NameRole::Path, result)) {
            result.leftOver = std::move(leftOver);
            return;
        }
        pairs.push_back(DeletionPair(finalFolder + std::string(LastPartOf(name))));
    }
    Schedule(std::move(pairs), result);
}

bool FileCommands::IsSameFile(const std::string& first, const std::string& second) {
    FileIdentity a;
    FileIdentity b;
    return files_.Identity(first, a) == kErrorSuccess && files_.Identity(second, b) == kErrorSuccess && a == b;
}

bool FileCommands::UndoneAtRestart(const std::string& destination, CommandResult& result) {
    const PendingValues values = ReadPendingValues(list_.Registry());
    for (const PendingListRead& current : values.values)
        if (!current.readable || HoldsAnotherForm(current)) return false;  // said when it is written
    const SequenceCheck check = CheckChangeNow(CombinedSequence(values), destination);
    if (check.verdict != SequenceCheck::Verdict::SourceTaken) return false;
    Refuse(result, Refusal::UndoneAtRestart, kErrorFileNotFound, NameRole::Destination, destination);
    result.earlierEntry = check.entry + 1;
    result.earlierPair = check.earlier;
    return true;
}

namespace {

// The stored data with pairs appended, or what stands in the way. before:
// the first value, when current is the second, whose entries run first.
ListChange SequencedAppend(const PendingListRead* before, const PendingListRead& current,
                           const std::vector<RenamePair>& pairs, SequenceCheck& check) {
    check = CheckSequence(before != nullptr ? SequenceAfter(*before, current.stored) : current.stored, pairs);
    if (check.verdict == SequenceCheck::Verdict::AlreadyScheduled) return {};
    if (check.verdict == SequenceCheck::Verdict::SourceTaken) {
        ListChange refused;
        refused.kind = ListChange::Kind::Refuse;
        return refused;
    }
    return AppendChange(current, check.toAdd);
}

}  // namespace

void FileCommands::Schedule(std::vector<RenamePair> pairs, CommandResult& result,
                            const std::vector<RenamePair>& staged) {
    result.outcome = CommandOutcome::NotScheduled;
    // Where MoveFileExW appends: the second value when it exists, which runs
    // after the first. Decided under the mutex the change is made under (it
    // counts its owner's waits). One that cannot be had ends the command
    // here: the update would only wait for it a second time.
    const ListLockHold hold(lock_);
    if (hold.Status() != kErrorSuccess) {
        if (hold.Status() == kErrorTimeout) result.outcome = CommandOutcome::ListBusy;
        result.status = hold.Status();
        return;
    }
    const PendingValues values = ReadPendingValues(list_.Registry());
    const AppendCheck where = CheckAppend(values);
    std::size_t target = where.target;
    result.listValue = target;
    if (where.block == AppendBlock::Unreadable) {
        result.status = values[target].status;
        result.readFailed = true;
        return;
    }
    if (where.block == AppendBlock::AnotherForm) {
        result.outcome = CommandOutcome::ListOfAnotherForm;
        result.listShape = values[target].shape;
        return;
    }
    // Read again under the mutex just before the write, so that a change
    // another program made meanwhile is kept.
    SequenceCheck check;
    PendingListRead firstTooLarge;
    const PendingListRead* before = target == 1 ? &values[0] : nullptr;
    // The pairs as they stand in the list once written: a staged pair's
    // destination may have a copy of the same content pending already (in
    // the list it would go to), which stands for it, and nothing is added for it.
    std::vector<RenamePair> asked;
    const auto append = [&](const PendingListRead& current) {
        asked = pairs;
        std::vector<RenamePair> toCheck;
        for (RenamePair& pair : asked) {
            if (std::find(staged.begin(), staged.end(), pair) != staged.end()) {
                const RenamePair pending = PendingStagedCopy(files_, current.stored,
                                                             OperationOf({pair, true}).destination, StagedCopyOf(pair));
                if (!pending.first.empty()) {
                    pair = pending;
                    continue;
                }
            }
            toCheck.push_back(pair);
        }
        return SequencedAppend(before, current, toCheck, check);
    };
    UpdateResult update = PendingListUpdate(list_.Registry(), lock_, kPendingValueNames[target]).Run(append);
    if (update.outcome == UpdateOutcome::WriteFailed && CallsForASecondValue(target, update.status)) {
        // The first list is as large as the registry stores: the pairs start
        // the second, which runs after it.
        firstTooLarge = update.current;
        before = &firstTooLarge;
        target = 1;
        result.listValue = target;
        update = PendingListUpdate(list_.Registry(), lock_, kPendingValueNames[target]).Run(append);
    }
    if (!asked.empty()) pairs = std::move(asked);
    result.status = update.status;
    switch (update.outcome) {
    case UpdateOutcome::ReadFailed: result.readFailed = true; return;
    case UpdateOutcome::WriteFailed:
    case UpdateOutcome::LockFailed: return;
    case UpdateOutcome::Busy: result.outcome = CommandOutcome::ListBusy; return;
    case UpdateOutcome::NotKept: result.outcome = CommandOutcome::NotKept; return;
    case UpdateOutcome::AnotherForm:
        result.outcome = CommandOutcome::ListOfAnotherForm;
        result.listShape = update.current.shape;
        return;
    case UpdateOutcome::NotWritten:
        if (check.verdict == SequenceCheck::Verdict::SourceTaken) {
            const bool replacement = !pairs.front().second.empty();
            Refuse(result, Refusal::TakenEarlier, kErrorFileNotFound, replacement ? NameRole::Source : NameRole::Path,
                   check.name);
            result.earlierEntry = check.entry + 1;
            result.earlierPair = check.earlier;
            return;
        }
        result.alreadyScheduled = true;
        break;
    case UpdateOutcome::Written: {
        ValueSession& session = sessions_[target];
        const PendingListRead& current = update.current;
        if (current.exists != session.lastWrittenExists || current.stored != session.lastWritten ||
            update.attempts > 1)
            session.onlyOwnChanges = false;
        session.lastWritten = update.change.data;
        session.lastWrittenExists = true;
        session.written = true;
        session.added.insert(session.added.end(), check.toAdd.begin(), check.toAdd.end());
        scheduledAny_ = true;
        break;
    }
    }
    result.status = 0;
    result.outcome = CommandOutcome::Scheduled;
    result.scheduled = std::move(pairs);
}

FileCommands::ValueUndo FileCommands::CancelValue(std::size_t index, UndoResult& result) {
    ValueSession& session = sessions_[index];
    bool untouchedByOthers = false;
    std::vector<RenamePair> takenBack;  // the pairs the write takes out
    const auto change = [&](const PendingListRead& current) {
        ListChange made;
        takenBack.clear();
        if (session.added.empty()) return made;  // this session scheduled nothing still held
        made.withdrawn = session.added;
        untouchedByOthers = session.onlyOwnChanges && current.exists == session.lastWrittenExists &&
                            current.stored == session.lastWritten;
        if (untouchedByOthers) {
            takenBack = session.added;
            // The registry as at launch: no value when there was none.
            ListChange restored = RestoreChange(session.atLaunch);
            restored.withdrawn = session.added;
            return restored;
        }
        // Only this session's pairs go, each only while it is still the
        // same strings.
        made.data = current.stored;
        bool removed = false;
        for (auto pair = session.added.rbegin(); pair != session.added.rend(); ++pair) {
            if (!RemoveLastPair(made.data, *pair)) continue;
            removed = true;
            takenBack.push_back(*pair);
        }
        if (!removed) return made;  // nothing of this session's is left to take back
        // A list left with no string at all goes, as the start-up processing
        // leaves it: a value of no data makes other programs' additions go
        // wrong.
        DropLoneClosingNul(made.data);
        made.kind = made.data.empty() ? ListChange::Kind::DeleteValue : ListChange::Kind::Store;
        return made;
    };
    const UpdateResult update = PendingListUpdate(list_.Registry(), lock_, kPendingValueNames[index]).Run(change);
    result.listValue = index;
    switch (update.outcome) {
    case UpdateOutcome::AnotherForm:
        result.anotherForm = true;
        result.listShape = update.current.shape;
        return ValueUndo::Failed;
    case UpdateOutcome::ReadFailed:
        result.readFailed = true;
        [[fallthrough]];
    case UpdateOutcome::WriteFailed:
    case UpdateOutcome::LockFailed:
    case UpdateOutcome::Busy:
    case UpdateOutcome::NotKept:
        result.status = update.status;
        return ValueUndo::Failed;
    case UpdateOutcome::NotWritten:
        session.added.clear();
        session.onlyOwnChanges = false;
        return ValueUndo::NothingThere;
    case UpdateOutcome::Written: break;
    }
    session.onlyOwnChanges = untouchedByOthers && update.attempts == 1;
    session.lastWritten = update.change.data;
    session.lastWrittenExists = update.change.kind == ListChange::Kind::Store;
    session.added.clear();
    // The copies staged for what was taken back are no longer wanted.
    RemoveStagedCopies(files_, takenBack);
    return ValueUndo::Reversed;
}

UndoResult FileCommands::CancelAll() {
    UndoResult result;
    bool reversed = false;
    // The second value only when this session wrote it: nothing else there
    // is this session's to take back.
    for (std::size_t index = 0; index < kPendingValueCount; ++index) {
        if (index != 0 && !sessions_[index].written) continue;
        const ValueUndo undo = CancelValue(index, result);
        if (undo == ValueUndo::Failed) return result;
        reversed = reversed || undo == ValueUndo::Reversed;
    }
    // Both lists as they are now: a file a pair left there names stays
    // writable.
    const PendingValues now = ReadPendingValues(list_.Registry());
    GiveAttributesBack(now[0].stored + '\0' + now[1].stored);
    if (!reversed) {
        // Nothing of this session's was in the lists: nothing was written.
        result.nothing = scheduledAny_ ? NothingToTakeBack::AlreadyGone : NothingToTakeBack::NothingScheduled;
        result.stillPending = CountPending();
        return result;
    }
    result.reversed = true;
    return result;
}

PendingCount FileCommands::CountPending() {
    const PendingValues values = ReadPendingValues(list_.Registry());
    PendingCount count;
    count.known = values[0].readable && values[1].readable;
    if (!count.known) return count;
    for (const PendingListRead& current : values.values) count.operations += ReachedEntryCount(current.stored);
    return count;
}

}  // namespace pendrix
