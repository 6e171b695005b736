// What a replacement scheduled for the next start says beyond "scheduled",
// in words both programs use (each a sentence with its closing period).
#pragma once

#include <string>

#include "scheduler/file_commands.h"

namespace pendrix {

// The staged copy put in place, or the source moved as it is; empty when
// result scheduled no replacement.
std::string StagingSentence(const CommandResult& result);
// The same for one replacement of a set: stagedCopy put in place, or, when
// it is empty, source moved as it is.
std::string StagingSentence(const std::string& source, const std::string& stagedCopy);

// The warning on a folder on the way that ordinary users may change; empty
// when there is none.
std::string ChangeableFolderWarning(const CommandResult& result);
std::string ChangeableFolderWarning(const std::string& folder);

}  // namespace pendrix
