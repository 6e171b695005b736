// Whether the files a list's entries name exist now. Each name is asked
// about on its own, so the answers are those the file system gives per name,
// except under a folder that holds several of the names and does not exist:
// nothing in it exists, and one question answers for all of them.
#pragma once

#include <string>
#include <vector>

#include "cli/pending_entries.h"
#include "scheduler/file_system_api.h"

namespace pendrix::cli {

// How many of the names a folder must hold before it is asked about first.
inline constexpr std::size_t kNamesWorthAFolderQuestion = 4;

// How many single questions are shared with a second thread (the file
// system must answer from several threads at once, as Windows' does).
inline constexpr std::size_t kQuestionsWorthAThread = 64;

// One state per path (Win32PathOf of the stored names; an empty path is
// Unknown).
std::vector<SourceState> SourceStates(FileSystemApi& files, const std::vector<std::string>& paths);

}  // namespace pendrix::cli
