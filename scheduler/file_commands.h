// The commands that do the program's job, apart from any window: replace a
// file, delete a file (at once when possible, otherwise at the next start of
// Windows) and take back what this session scheduled. The main window and
// the console tool both call them.
//
// Every name is first resolved as Windows resolves it (scheduler/
// file_names.h) and the list gets its NT form. Nothing is scheduled that
// the start-up processing can never carry out: a name Windows cannot hold,
// a drive, volume or device, a source that does not exist or is a folder, a
// destination that is a folder, a path that does not exist, a folder that
// is not empty, a pattern (the start-up processing expands none), anything
// on the network (not there yet at that stage). Those are refused with
// nothing done. A file in use, a destination that does not exist yet and a
// locked or unreadable source are scheduled.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scheduler/file_names.h"
#include "platform/file_system_api.h"
#include "platform/list_lock.h"
#include "pending_list/pending_rename_list.h"
#include "pending_list/pending_values.h"

namespace pendrix {

enum class CommandOutcome {
    NeedsInput,    // a box that must be filled was empty or blank; nothing done
    DoneNow,       // replaced or deleted at once; the list untouched
    SameFile,      // source and destination are one file; nothing done
    Scheduled,     // appended to the pending list; a restart carries it out
    NotScheduled,  // the list could not be read or written; nothing changed
    Refused,       // the names cannot be acted on (refusal says why); nothing scheduled
    Interrupted,   // the replacement stopped half-way; the old content is in keptAt
    ListOfAnotherForm,  // the list is a value no write may replace; nothing changed
    ListBusy,      // another Pendrix process kept the list past the timeout; nothing changed
    NotKept,       // other programs' writes undid the change each time it was made
};

// Why a command was refused; status holds the Windows code that fits.
enum class Refusal {
    None,
    InvalidName,               // not a name Windows can hold (123)
    NotAFile,                  // a drive, its root, a volume or a device (161)
    Unresolved,                // no full name could be made of it (status)
    Missing,                   // the source, or the path to delete, does not exist (2 or 3)
    Folder,                    // the source or the destination is a folder (336)
    DestinationFolderMissing,  // the destination's folder does not exist (3)
    FolderNotEmpty,            // the folder to delete holds something (145)
    NoMatch,                   // the pattern matches no file (2)
    Network,                   // on the network: cannot be scheduled (50)
    TakenEarlier,              // an earlier pending entry deletes or moves the source away (2)
    UndoneAtRestart,           // an earlier pending entry takes the destination away after it is
                               // replaced now (2)
    NotStaged,                 // the copy of the source beside the destination could not be made (status)
    Protected,                 // SYSTEM may not delete or replace the file (5); owner says whose it is
    ThroughLink,               // a folder on the way is a junction, mount point or symbolic link (1921); link names it
    Link,                      // the name itself is a symbolic link, junction or mount point, which the start-up
                               // processing would follow, and it was not deleted itself now (1921); linkTarget
    AcrossVolumes,             // the source cannot be read now to stage it, and a rename cannot reach the
                               // destination's volume at the next start (17)
    NotLocal,                  // no name on a local drive could be found for it (50)
};

// Which of the command's names a refusal concerns.
enum class NameRole { Source, Destination, Path };

// One replacement or deletion of a set scheduled together, its names
// resolved and checked as Replace and Delete check theirs.
struct SetOperation {
    bool replacement = false;
    ResolvedName source;  // replacement
    ResolvedName target;  // the destination, or the path to delete
    bool targetExists = false;
    std::uint32_t targetAttributes = 0;  // when it exists
};

inline constexpr std::size_t kNoSetOperation = static_cast<std::size_t>(-1);

struct CommandResult {
    CommandOutcome outcome = CommandOutcome::NeedsInput;
    // The list text read at the start of the command.
    std::string listTextRead;
    // The pairs written, in order, when scheduled.
    std::vector<RenamePair> scheduled;
    // For NotScheduled: the Windows status of the read or write that failed;
    // for Refused and Interrupted: the code that fits.
    WinStatus status = 0;
    // For NotScheduled: whether the list could not be read (else: written).
    bool readFailed = false;
    // For Refused.
    Refusal refusal = Refusal::None;
    NameRole subject = NameRole::Path;
    std::string subjectName;  // the name concerned: its full name, or as typed when it has none
    // The full names of the files deleted at once, also when the rest was
    // scheduled or refused.
    std::vector<std::string> deletedNow;
    // Files a pattern matched that could be neither deleted now nor
    // scheduled (on the network).
    std::vector<std::string> leftOver;
    // For Interrupted: the file holding the destination's old content.
    std::string keptAt;
    // Replace: the full names of the source and destination, once resolved.
    std::string source;
    std::string destination;
    // For ListOfAnotherForm: how the value is stored.
    StoredShape listShape;
    // For Scheduled, NotScheduled and ListOfAnotherForm: the value concerned
    // (0: PendingFileRenameOperations, 1: PendingFileRenameOperations2).
    std::size_t listValue = 0;
    // Scheduled: every pair was pending exactly so already, and nothing was
    // added.
    bool alreadyScheduled = false;
    // TakenEarlier and UndoneAtRestart: the pending entry in the way (its
    // number from 1, as the list shows it, and its strings).
    std::size_t earlierEntry = 0;
    RenamePair earlierPair;
    // Scheduled replacement: the copy of the source made now beside the
    // destination, which the next start renames onto it; empty when the
    // source could not be read now and is moved as it is then
    // (sourceMovedAsIs).
    std::string stagedCopy;
    bool sourceMovedAsIs = false;
    // Protected: the file's owner. ThroughLink: the link on the way.
    std::string owner;
    std::string link;
    // Link, and a link deleted now (its own name in deletedNow): where it
    // leads; empty when that could not be found.
    std::string linkTarget;
    // Scheduled: a folder on the way that ordinary users may change (a
    // warning); empty when there is none.
    std::string changeableFolder;
    // Delete of a name with a pattern: deletedNow and scheduled count what
    // it did with each file it matched.
    bool pattern = false;
};

// Makes result the refusal of name, the command's subject, with status.
void Refuse(CommandResult& result, Refusal refusal, WinStatus status, NameRole subject, std::string name);

// How many operations the start-up processing will carry out, as the list
// holds them now; not known when the list could not be read.
struct PendingCount {
    bool known = false;
    std::size_t operations = 0;
};

// Why Cancel All found nothing to take back (and changed nothing).
enum class NothingToTakeBack {
    No,
    NothingScheduled,  // this session scheduled nothing
    AlreadyGone,       // what it scheduled is no longer in the list (taken back, or removed by others)
};

struct UndoResult {
    // Pairs this session scheduled were taken back.
    bool reversed = false;
    // When nothing failed but there was nothing to take back: why, and what
    // the list still holds.
    NothingToTakeBack nothing = NothingToTakeBack::No;
    PendingCount stillPending;
    // When neither: the read or write that failed; kErrorTimeout when
    // another Pendrix process kept the list busy, kErrorRetry when other
    // programs' writes undid the change each time.
    WinStatus status = 0;
    bool readFailed = false;
    // Not reversed because the value is now of a form no write may replace.
    bool anotherForm = false;
    StoredShape listShape;
    std::size_t listValue = 0;  // the value that could not be taken back
};

class FileCommands {
public:
    // atLaunch and secondAtLaunch: PendingFileRenameOperations and
    // PendingFileRenameOperations2 as read when the session began; "Cancel
    // All" takes each value this session wrote back to it.
    // lock: the mutex every change of the list is made under.
    FileCommands(RegistryRoutines& registry, FileSystemApi& files, ListLockApi& lock, PendingListRead atLaunch,
                 PendingListRead secondAtLaunch);

    // Replaces destination by source: at once when tryNow and the
    // destination is a free file (scheduler/immediate_replacement.h; it is
    // never lost), otherwise at the next start. A read-only destination is
    // made writable first, so that the start-up processing can replace it.
    // One file named twice is refused. The pending list is read as the
    // sequence it is: a source that an earlier entry deletes or moves away
    // is refused, and so is a replacement now of a destination that an
    // entry takes away at the next start; a replacement pending exactly so
    // is not added again.
    CommandResult Replace(std::string_view source, std::string_view destination, bool tryNow);

    // Deletes path, a file or an empty folder: at once when tryNow,
    // otherwise, or when that fails, at the next start. A read-only file is
    // made writable first. Wildcards in the last part select the files
    // whose long names match (scheduler/name_pattern.h): each is deleted at
    // once or scheduled by its full name. A name that is itself a link is
    // deleted itself, at once or not at all: never what it leads to, and
    // never at the next start, which would follow it.
    CommandResult Delete(std::string_view path, bool tryNow);

    // The files Delete would take for a name with * or ? in its last part,
    // by their full names, as the folder lists them now; empty for a name
    // without a pattern, one that cannot be resolved, or no match. Asked
    // before a pattern is deleted, to say how many and which.
    std::vector<std::string> PatternMatches(std::string_view path);

    // Whether the replacement now of the file at destination (a full name)
    // would be undone at the next start by a pending entry that takes it
    // away; then result is the refusal, naming that entry. The move aside
    // asks too.
    bool UndoneAtRestart(const std::string& destination, CommandResult& result);

    // Takes back the pairs this session scheduled, value by value (the
    // second only when this session wrote it). When nobody else changed
    // a value since this session's last write, the value becomes exactly
    // what was read at launch (deleted when there was none); otherwise only
    // this session's pairs go, and a list left with no string is deleted.
    // A value of another form is never written; with nothing of this
    // session's in the list, nothing is. A file made writable for a
    // scheduling gets its attributes back when they are still as they were
    // left and no pair left in the list names it.
    UndoResult CancelAll();

    // The operations both lists hold now.
    PendingCount CountPending();

    // Schedules the operations for the next start in one write, in their
    // order: all, or none. Each is made ready as Replace and Delete make
    // theirs (a staged copy of each source, final names) and meets the same
    // refusals (the network, links, protected files); a read-only target is
    // made writable. The index of the operation refused (result says why,
    // and nothing is scheduled), or kNoSetOperation. A set pending exactly
    // so already (its copies of the same content) is not added again.
    std::size_t ScheduleSet(const std::vector<SetOperation>& operations, CommandResult& result);

    const PendingListRead& AtLaunch() const noexcept { return sessions_[0].atLaunch; }

private:
    bool Accepts(const NameResolution& name, NameRole role, std::string_view typed, CommandResult& result);
    bool IsSameFile(const std::string& first, const std::string& second);
    void DeleteOneFile(const ResolvedName& target, bool tryNow, CommandResult& result);
    void DeleteLink(const ResolvedName& link, const std::string& target, bool tryNow, CommandResult& result);
    void DeleteEmptyFolder(const ResolvedName& target, bool tryNow, CommandResult& result);
    void DeleteMatches(const ResolvedName& pattern, std::string_view typed, bool tryNow, CommandResult& result);
    // Appends pairs (full names, as ReplacementPair and DeletionPair make
    // them) to the list in one write, read as the sequence it is: all are
    // scheduled, or none. staged: those of pairs whose source is a copy
    // just staged; one is not added when a copy of the same content is
    // pending for its destination already, and result.scheduled names that one.
    void Schedule(std::vector<RenamePair> pairs, CommandResult& result, const std::vector<RenamePair>& staged = {});
    // The pair that carries out a replacement or deletion at the next
    // start, once it meets every check for that; a replacement's source is
    // copied beside its destination (the pair is added to staged). False,
    // with result the refusal, when it may not be scheduled.
    bool ReadyPair(const SetOperation& operation, std::vector<RenamePair>& staged, CommandResult& result,
                   RenamePair& pair);
    // Whether name may be scheduled: no link among its folders nor, when it
    // exists, in its last part, and a final name on a local drive (name
    // becomes it); otherwise result is the refusal.
    bool ReadyForRestart(ResolvedName& name, NameRole role, bool exists, CommandResult& result);
    // Whether the administrators may delete or replace the file; otherwise
    // result is the refusal, naming its owner.
    bool MayBeReplaced(const ResolvedName& name, NameRole role, CommandResult& result);
    // Schedules the pairs ReadyPair made; removes the copies staged for them
    // that are not scheduled.
    void ScheduleReady(std::vector<RenamePair> pairs, const std::vector<RenamePair>& staged, CommandResult& result);

    // A read-only file made writable so that the start-up processing can
    // delete or replace it.
    struct WritableFile {
        std::string path;      // as the file system is handed it
        std::string ntName;    // as the list names it
        std::uint32_t original = 0;
        std::uint32_t left = 0;  // the attributes it was left with
    };
    void MakeWritable(const std::string& path, const std::string& ntName, std::uint32_t attributes);
    // After a command: the files made writable for what it scheduled are
    // kept for Cancel All; every other gets its attributes back.
    void SettleWritable(const CommandResult& result);
    // After Cancel All has left stored in the lists.
    void GiveAttributesBack(std::string_view stored);

    // What taking back one value's pairs came to.
    enum class ValueUndo { Reversed, NothingThere, Failed };
    ValueUndo CancelValue(std::size_t index, UndoResult& result);

    PendingRenameList list_;
    ListLockApi& lock_;
    FileSystemApi& files_;
    // The read-only files the running command made writable.
    std::vector<WritableFile> madeWritable_;
    // Those made writable for what this session scheduled.
    std::vector<WritableFile> writableForRestart_;
    bool scheduledAny_ = false;

    // For each value, what this session wrote: the pairs it added, the data
    // of its last write, and whether every change to the value since launch
    // was its own.
    struct ValueSession {
        PendingListRead atLaunch;
        std::vector<RenamePair> added;
        std::string lastWritten;
        bool lastWrittenExists = false;
        bool onlyOwnChanges = true;
        bool written = false;
    };
    std::array<ValueSession, kPendingValueCount> sessions_;
};

}  // namespace pendrix
