// The pending list read as a sequence: what each entry does to the names
// after it, in the order the start-up processing carries them out. Files are
// followed through the list by the name they had before it ran: a rename
// carries its file to the new name, a deletion ends it, and an entry whose
// source an earlier one deleted or moved away finds nothing and does
// nothing. Scheduling refuses what could not run; verify judges each entry
// by where its file should be now; a status listing can tell entries that
// take effect from those that cannot.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scheduler/pending_rename_list.h"

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
};
ListedOperation OperationOf(const StoredPair& stored);

inline constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);

enum class EntryEffect {
    Effective,  // its source is there when its turn comes (as far as the list tells)
    NoEffect,   // an earlier entry deleted or moved its source away
    Unreached,  // the start-up processing never reaches it
};

struct EntryFate {
    EntryEffect effect = EntryEffect::Effective;
    std::size_t sourceTakenBy = kNoEntry;  // NoEffect: the earlier entry (index from 0)
    std::size_t file = kNoEntry;           // Effective: the file it moves or deletes
};

class ListSimulation {
public:
    explicit ListSimulation(const std::vector<ListedOperation>& operations);

    const std::vector<EntryFate>& Fates() const noexcept { return fates_; }
    // The name a file had before the list ran.
    const std::string& OriginalName(std::size_t file) const { return files_[file].original; }
    // Where a file is after the whole list; nothing when an entry deleted it.
    std::optional<std::string> FinalName(std::size_t file) const;
    // The file at name after the whole list, by index; kNoEntry when none
    // is there. Only for a name an entry names.
    std::size_t FinalFileAt(std::string_view name) const;
    // The first entry that takes away the file name holds before the list
    // runs (deletes it or moves it elsewhere); kNoEntry when none does.
    std::size_t TakesAway(std::string_view name) const;

private:
    struct File {
        std::string original;
        std::optional<std::string> at;  // where it is now in the walk, as spelt there
        std::size_t takenBy = kNoEntry; // the first entry that moved it away or deleted it
    };
    std::size_t FileAt(const std::string& name);

    std::vector<File> files_;
    std::map<std::string, std::size_t> byName_;  // folded name -> file there, kNoEntry: none
    std::map<std::string, std::size_t> emptiedBy_;  // folded name -> the last entry that left it empty
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
