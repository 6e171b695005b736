// Whether the start-up processing may carry out an operation on a file. It
// runs as SYSTEM and opens the file with DELETE, without backup intent
// (ReactOS SmpProcessFileRenames), so the rules of the file and its folder
// decide, read for SYSTEM and its groups; the elevated administrator's own
// access says nothing about it.
#pragma once

#include <string>

#include "platform/file_system_api.h"

namespace pendrix {

// SYSTEM may delete path (DELETE on it, or FILE_DELETE_CHILD on its folder)
// and, for a replacement, also put a file into its folder (FILE_ADD_FILE).
// Rules that cannot be read refuse nothing: the start-up processing has the
// last word, and no file is refused on a guess.
bool SystemMayChange(FileSystemApi& files, const std::string& path, bool replacement);

}  // namespace pendrix
