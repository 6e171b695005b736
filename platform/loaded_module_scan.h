// The second source of holders: the module lists of processes. A program
// that has loaded a DLL (or runs an EXE) keeps it in use without an open
// handle. A module whose name is the file's long or short name is compared
// by file identity.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/held_targets.h"
#include "platform/holder_finder.h"

namespace pendrix {

// Adds a LoadedModule sighting for each of processIds that has loaded one
// of targets; a process whose modules may not be read is added to
// scan.notExamined.
void FindLoadedModules(const std::vector<HeldTarget>& targets, const std::vector<DWORD>& processIds,
                       HolderScan& scan);

}  // namespace pendrix
