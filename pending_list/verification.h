// What became of each entry of a listing saved before a restart: the
// start-up processing records nothing and empties the list whether or not
// each operation succeeded, so the files themselves are asked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pending_list/pending_entries.h"
#include "pending_list/pending_rename_list.h"
#include "pending_list/source_existence.h"
#include "platform/file_system_api.h"
#include "platform/system_clock_api.h"
#include "pending_list/startup_log.h"

namespace pendrix {

enum class VerifyResult {
    CarriedOut,     // a deletion's file is gone; a rename's source is gone and its destination is that file
    NotCarriedOut,  // the file to delete or move is still there, or the destination is not it
    StillPending,   // in the list now: no restart yet, or scheduled again
    NeverReached,   // the listing already said the start-up processing never reaches it
    NotChecked,     // the file system cannot say (a name outside the drive and UNC paths, a refused question)
};

struct Verdict {
    Verdict() = default;
    Verdict(VerifyResult result_, std::string reason_ = {}) : result(result_), reason(std::move(reason_)) {}

    VerifyResult result = VerifyResult::NotChecked;
    std::string reason;  // why, for NotCarriedOut and NotChecked
    // The status the start-up processing logged for it, when it logged one.
    std::optional<std::uint32_t> loggedStatus;
};

// What is there now for one listed entry, and what the entries after it
// (the listing simulated in order) make of its names.
struct EntryNow {
    bool pending = false;  // the same strings are in the list now
    PathPresence source;      // the file its first string names
    // The file where the entry's file should be after the whole listing:
    // its destination, or where later entries moved it on (a rename or
    // replacement).
    PathPresence destination;
    // A later entry moved the file on to another name (the one destination
    // tells of) or deleted it: then it proves nothing at the destination
    // itself.
    bool movedOn = false;
    bool deletedLater = false;
    // A later entry puts another file at the source's name; its size and
    // last-write time when the listing recorded them.
    bool sourceFilledLater = false;
    std::optional<ContentStamp> laterSourceStamp;
    // The size and last-write time of the file the entry acts on, as
    // recorded (the file at its source when listed, or the one an earlier
    // entry moved there).
    std::optional<ContentStamp> fileStamp;
    bool fileWasMissing = false;  // the listing said that file did not exist
    // An earlier entry deleted or moved away its source: it could never run
    // (its number, from 1).
    std::size_t sourceTakenBy = 0;
    // Whether it acted, or where its file ends, hangs on whether this entry
    // (from 1) took effect, which the listing cannot tell.
    std::size_t hangsOn = 0;
    // A name's drive or share that is not there on this computer ("the
    // drive Q: does not exist here"); empty when both are there.
    std::string volumeMissing;
};

Verdict Classify(const PendingEntry& listed, const EntryNow& now);

// A verdict for each entry of listed, against current (the list as it is
// now) and the files as they are, the listing read in order: what each
// entry does to the names after it.
std::vector<Verdict> VerifyEntries(const PendingEntries& listed, const PendingEntries& current, FileSystemApi& files);

// Why the start-up processing's log (%SystemRoot%\PFRO.log) was not used:
// the outcomes then go by the files alone.
enum class LogAside {
    None,         // used, or there is none (no log, no clock or Windows folder to find it)
    Unreadable,   // status: why it could not be read
    Empty,        // it holds no line
    NotUtf16,     // it is not UTF-16 text
    Untimed,      // the listing does not say when it was taken, so which restart a line is of is unknown
};

// What became of the entries of the listing saved in a file.
struct ListingVerification {
    enum class Failure {
        None,
        FileUnreadable,  // status: why the file could not be read
        NotAListing,     // the file holds no listing saved by list --json
        ListUnreadable,  // status: why the list could not be read now
    };
    Failure failure = Failure::None;
    WinStatus status = 0;
    PendingEntries listed;
    std::vector<Verdict> verdicts;  // one per listed entry
    // The start-up processing's log, when it could not be used.
    LogAside logAside = LogAside::None;
    WinStatus logStatus = 0;
    std::string logPath;
    // Lines of the log not of the form the start-up processing writes,
    // skipped alone: how many, and the first (from 1).
    std::size_t logLinesSkipped = 0;
    std::size_t logFirstSkipped = 0;
};

// Reads the listing saved in path and verifies it against both values and
// the files as they are now, then against what the start-up processing
// logged after the listing was taken (its log found through clock, which
// may be null).
ListingVerification VerifySavedListing(const std::string& path, RegistryRoutines& registry, FileSystemApi& files,
                                       SystemClockApi* clock);

// What the start-up processing logged after the listing was taken: an
// entry it reaches, not pending again, that a failure names is not carried
// out, with the status logged (the latest, when several name it). Windows
// says so itself; the files only let it be guessed.
void ApplyLoggedFailures(const PendingEntries& listed, const std::vector<TimedFailure>& failures,
                         std::uint64_t taken, std::vector<Verdict>& verdicts);

// The reason of a verdict in words: its reason, or for a logged failure
// "the start-up processing logged 0xC0000034: the file was not found".
std::string ReasonText(const Verdict& verdict);

}  // namespace pendrix
