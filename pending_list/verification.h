// What became of each entry of a listing saved before a restart: the
// start-up processing records nothing and empties the list whether or not
// each operation succeeded, so the files themselves are asked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pending_list/pending_entries.h"
#include "pending_list/pending_rename_list.h"
#include "pending_list/source_existence.h"
#include "platform/file_system_api.h"

namespace pendrix {

enum class EntryFate {
    CarriedOut,     // a deletion's file is gone; a rename's source is gone and its destination is that file
    NotCarriedOut,  // the file to delete or move is still there, or the destination is not it
    StillPending,   // in the list now: no restart yet, or scheduled again
    NeverReached,   // the listing already said the start-up processing never reaches it
    NotChecked,     // the file system cannot say (a name outside the drive and UNC paths, a refused question)
};

struct Verdict {
    EntryFate fate = EntryFate::NotChecked;
    const char* reason = "";  // why, for NotCarriedOut and NotChecked
};

// What is there now for one listed entry.
struct EntryNow {
    bool pending = false;  // the same strings are in the list now
    PathPresence source;      // the file its first string names
    PathPresence destination; // the file its second string names (a rename or replacement)
};

Verdict Classify(const PendingEntry& listed, const EntryNow& now);

// A verdict for each entry of listed, against current (the list as it is
// now) and the files as they are.
std::vector<Verdict> VerifyEntries(const PendingEntries& listed, const PendingEntries& current, FileSystemApi& files);

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
};

// Reads the listing saved in path and verifies it against the list and
// the files as they are now.
ListingVerification VerifySavedListing(const std::string& path, PendingRenameList& list, FileSystemApi& files);

}  // namespace pendrix
