// Whether the files a list's entries name exist now, and the size and
// last-write time of those that are files, as the file system answers for
// each name. A folder that holds several of the names is asked
// about first: when it does not exist, nothing in it does. One that holds
// many of them, and whose first names include a missing one, is listed
// once, and a plain name in it exists when the listing holds it (ignoring
// case as the file system does, long or short name); each other name is
// asked about on its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pending_list/pending_entries.h"
#include "pending_list/pending_verdict.h"
#include "platform/file_system_api.h"

namespace pendrix {

// How many of the names a folder must hold before it is asked about first.
inline constexpr std::size_t kNamesWorthAFolderQuestion = 4;

// How many of the names an existing folder must hold before it may be
// listed, and how many of its first names must be found, one by one, for
// the rest to be asked about one by one too.
inline constexpr std::size_t kNamesWorthAListing = 16;
inline constexpr std::size_t kPresentBeforeAskingOneByOne = 4;

// How many single questions are shared with a second thread (the file
// system must answer from several threads at once, as Windows' does).
inline constexpr std::size_t kQuestionsWorthAThread = 64;

// What one path names now.
struct PathPresence {
    Presence state = Presence::Unknown;
    std::optional<ContentStamp> stamp;  // a file's (not a folder's), when it exists
    friend bool operator==(const PathPresence&, const PathPresence&) = default;
};

// One state per path (Win32PathOf of the stored names; an empty path is
// Unknown).
std::vector<PathPresence> PathPresences(FileSystemApi& files, const std::vector<std::string>& paths);

// Whether each name exists, as the file system answers (the batched
// questions above), for the classification of entries: sources,
// destinations and destinations' folders alike (a folder's name is asked as
// a file's is).
PresenceFunction PresenceThrough(FileSystemApi& files);

// Sets each entry's source state and stamp, and each plain rename's
// destination state, as the files are now.
void AddPresences(PendingEntries& list, FileSystemApi& files);

}  // namespace pendrix
