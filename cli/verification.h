// What became of each entry of a listing saved before a restart: the
// start-up processing records nothing and empties the list whether or not
// each operation succeeded, so the files themselves are asked.
#pragma once

#include <cstdint>
#include <optional>
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
    Verdict(Outcome outcome_, const char* reason_ = "") : outcome(outcome_), reason(reason_) {}

    Outcome outcome = Outcome::NotChecked;
    const char* reason = "";  // why, for NotCarriedOut and NotChecked
    // The status the start-up processing logged for it, when it logged one.
    std::optional<std::uint32_t> loggedStatus;
};

// What is there now for one listed entry.
struct EntryNow {
    bool pending = false;  // the same strings are in the list now
    FileState source;      // the file its first string names
    FileState destination; // the file its second string names (a rename or replacement)
};

Verdict Classify(const PendingEntry& listed, const EntryNow& now);

// A verdict for each entry of listed, against current (the list as it is
// now) and the files as they are.
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
