// What became of each entry of a listing saved before a restart: the
// start-up processing records nothing and empties the list whether or not
// each operation succeeded, so the files themselves are asked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/pending_entries.h"
#include "cli/source_existence.h"
#include "platform/file_system_api.h"
#include "scheduler/startup_log.h"

namespace pendrix::cli {

enum class Outcome {
    CarriedOut,     // a deletion's file is gone; a rename's source is gone and its destination is that file
    NotCarriedOut,  // the file to delete or move is still there, or the destination is not it
    StillPending,   // in the list now: no restart yet, or scheduled again
    NeverReached,   // the listing already said the start-up processing never reaches it
    NotChecked,     // the file system cannot say (a name outside the drive and UNC paths, a refused question)
};

struct Verdict {
    Verdict() = default;
    Verdict(Outcome outcome_, std::string reason_ = {}) : outcome(outcome_), reason(std::move(reason_)) {}

    Outcome outcome = Outcome::NotChecked;
    std::string reason;  // why, for NotCarriedOut and NotChecked
    // The status the start-up processing logged for it, when it logged one.
    std::optional<std::uint32_t> loggedStatus;
};

// What is there now for one listed entry, and what the entries after it
// (the listing simulated in order) make of its names.
struct EntryNow {
    bool pending = false;  // the same strings are in the list now
    FileState source;      // the file its first string names
    // The file where the entry's file should be after the whole listing:
    // its destination, or where later entries moved it on (a rename or
    // replacement).
    FileState destination;
    // A later entry moved the file on to another name (the one destination
    // tells of) or deleted it: then it proves nothing at the destination
    // itself.
    bool movedOn = false;
    bool deletedLater = false;
    // A later entry puts another file at the source's name; its size and
    // last-write time when the listing recorded them.
    bool sourceFilledLater = false;
    std::optional<FileStamp> laterSourceStamp;
    // The size and last-write time of the file the entry acts on, as
    // recorded (the file at its source when listed, or the one an earlier
    // entry moved there).
    std::optional<FileStamp> fileStamp;
    bool fileWasMissing = false;  // the listing said that file did not exist
    // An earlier entry deleted or moved away its source: it could never run
    // (its number, from 1).
    std::size_t sourceTakenBy = 0;
    // A name's drive or share that is not there on this computer ("the
    // drive Q: does not exist here"); empty when both are there.
    std::string volumeMissing;
};

Verdict Classify(const PendingEntry& listed, const EntryNow& now);

// A verdict for each entry of listed, against current (the list as it is
// now) and the files as they are, the listing read in order: what each
// entry does to the names after it.
std::vector<Verdict> VerifyEntries(const PendingEntries& listed, const PendingEntries& current, FileSystemApi& files);

// What the start-up processing logged after the listing was taken: an
// entry it reaches, not pending again, that a failure names is not carried
// out, with the status logged (the latest, when several name it). Windows
// says so itself; the files only let it be guessed.
void ApplyLoggedFailures(const PendingEntries& listed, const std::vector<TimedFailure>& failures,
                         std::uint64_t taken, std::vector<Verdict>& verdicts);

// The reason of a verdict in words: its reason, or for a logged failure
// "the start-up processing logged 0xC0000034: the file was not found".
std::string ReasonText(const Verdict& verdict);

}  // namespace pendrix::cli
