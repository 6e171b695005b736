// The pending list read as a sequence: what each entry does to the names
// after it, in the order the start-up processing carries them out. Files are
// followed through the list by the name they had before it ran: a rename
// carries its file to the new name, a deletion ends it, and an entry whose
// source an earlier one deleted or moved away finds nothing and does
// nothing. Given the names' presence before the list runs, a rename whose
// destination holds a file and has no replace mark ("!" or "@"), or whose
// destination's folder does not exist, fails and leaves its file where it
// was. Where a name's presence cannot be told, an entry that hangs on it
// may or may not act, and the names it touches are in doubt after it: an
// entry is said to have no effect only when it has none either way.
// Scheduling refuses what could not run; verify judges each entry by where
// its file should be now; a status listing can tell entries that take
// effect from those that cannot.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pending_list/pending_entries.h"
#include "pending_list/pending_rename_list.h"

namespace pendrix {

// One entry of stored data as the start-up walk pairs its strings (a last
// first string without a second is a deletion), empty first strings left
// out; reached is false after one of them or when the data does not end
// with its two NULs.
struct StoredPair {
    RenamePair pair;
    bool reached = true;
};
std::vector<StoredPair> StoredPairs(std::string_view stored);

// What an entry does: names as stored, without "\??\" and "!";
// destination empty for a deletion.
struct ListedOperation {
    std::string source;
    std::string destination;
    bool reached = true;
    bool replaces = false;  // the destination had "!" or "@": an existing file there is replaced
};
ListedOperation OperationOf(const StoredPair& stored);

inline constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);

// The folder that holds name, spelt as there ("C:\x" for "C:\x\y"); empty
// for a name at the root of a drive or share, or with no folder.
std::string ContainingFolder(std::string_view name);

enum class EntryEffect {
    Effective,  // everything it needs is there when its turn comes
    NoEffect,   // it fails whichever way what cannot be told goes
    Unreached,  // the start-up processing never reaches it
    Uncertain,  // it acts or not by a name whose presence cannot be told
};

// What an entry's fate hangs on.
enum class FateCause {
    None,
    Source,             // its source: gone (NoEffect) or in doubt (Uncertain)
    Destination,        // its destination: a file there it may not replace, or in doubt
    DestinationFolder,  // its destination's folder: not there, or in doubt
};

struct EntryFate {
    EntryEffect effect = EntryEffect::Effective;
    FateCause cause = FateCause::None;
    // The earlier entry (index from 0) that left the name of cause so (or,
    // for Effective, put its source there); kNoEntry: the name is as it was
    // before the list ran.
    std::size_t by = kNoEntry;
    // The file it moves or deletes (Effective, Uncertain), or finds at its
    // source (NoEffect by its destination).
    std::size_t file = kNoEntry;
};

// Whether a name (a file's or a folder's, spelt as in the operations) holds
// something before the list runs.
using InitialPresence = std::function<Presence(const std::string& name)>;

class ListSimulation {
public:
    // Every name taken as holding a file and every destination as free: all
    // that scheduling, which asks no file system, can assume.
    explicit ListSimulation(const std::vector<ListedOperation>& operations);
    // The names as presence says they are before the list runs.
    ListSimulation(const std::vector<ListedOperation>& operations, const InitialPresence& presence);

    const std::vector<EntryFate>& Fates() const noexcept { return fates_; }
    // The name a file had before the list ran.
    const std::string& OriginalName(std::size_t file) const { return files_[file].original; }
    // Where a file is after the whole list; nothing when an entry deleted it.
    std::optional<std::string> FinalName(std::size_t file) const;
    // The last entry in doubt that may have moved, deleted or replaced the
    // file (FinalName is where it is had each acted); kNoEntry when none.
    std::size_t DoubtedBy(std::size_t file) const { return files_[file].doubtedBy; }
    // The file at name after the whole list, by index; kNoEntry when none
    // is there. Only for a name an entry names.
    std::size_t FinalFileAt(std::string_view name) const;
    // The first entry that takes away the file name holds before the list
    // runs (deletes it or moves it elsewhere); kNoEntry when none does.
    std::size_t TakesAway(std::string_view name) const;

private:
    struct File {
        std::string original;
        std::optional<std::string> at;  // where it is now in the walk (had every entry in doubt acted)
        std::size_t takenBy = kNoEntry; // the first entry that moved it away or deleted it (or may have)
        std::size_t doubtedBy = kNoEntry;  // the last entry in doubt that acted on it
    };
    enum class Occupancy { Holds, Empty, InDoubt };
    struct Slot {
        Occupancy occupancy = Occupancy::Holds;
        std::size_t file = kNoEntry;  // Holds: the file there; InDoubt: the one that may be
        std::size_t by = kNoEntry;    // the last entry that changed it; kNoEntry: none
    };
    Slot& SlotAt(const std::string& name);
    void Run(const std::vector<ListedOperation>& operations);
    EntryFate Walk(const ListedOperation& operation, std::size_t index);

    InitialPresence presence_;  // empty: every name holds a file, every destination is free
    std::vector<File> files_;
    std::map<std::string, Slot> slots_;  // by folded name
    std::vector<EntryFate> fates_;
};

// Why scheduling these pairs after the list would go wrong.
struct SequenceCheck {
    enum class Verdict {
        Fits,              // append it
        AlreadyScheduled,  // every pair is pending exactly so, and nothing after it changes its names
        SourceTaken,       // an earlier entry deletes or moves away a pair's source
    } verdict = Verdict::Fits;
    std::size_t entry = kNoEntry;  // SourceTaken: the earlier entry, from 0 among StoredPairs
    RenamePair earlier;            // its strings
    std::string name;              // the name it takes away
    std::vector<RenamePair> toAdd; // Fits: the pairs not pending exactly so yet, in order
};
SequenceCheck CheckSequence(std::string_view stored, const std::vector<RenamePair>& pairs);

// The entry of the list that would undo a change made now to the file at
// name, by deleting it or moving it away at the next start.
SequenceCheck CheckChangeNow(std::string_view stored, std::string_view name);

}  // namespace pendrix
