// What a replacement scheduled for the next start says beyond "scheduled",
// in words both programs use (each a sentence with its closing period).
#pragma once

#include <string>

#include "scheduler/file_commands.h"

namespace pendrix {

// The staged copy put in place, or the source moved as it is; empty when
// result scheduled no replacement.
std::string StagingSentence(const CommandResult& result);

// The warning on a folder on the way that ordinary users may change; empty
// when there is none.
std::string ChangeableFolderWarning(const CommandResult& result);

}  // namespace pendrix
