// The second source of holders: the modules of processes. A program that
// has loaded a DLL (or runs an EXE) keeps it in use without an open handle.
// Each process's modules are listed by address (EnumProcessModulesEx) and
// named by the file mapped there (GetMappedFileNameW): one question each,
// where the module lists of CreateToolhelp32Snapshot read every module's
// names from the process's memory, ten times slower under Wine. A module
// whose file bears the long or short name of a target is compared by file
// identity.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/held_targets.h"
#include "platform/holder_finder.h"

namespace pendrix {

// Adds a LoadedModule sighting for each of processIds that has loaded one
// of targets (those that may be loaded at all); a process whose modules
// may not be read is added to scan.notExamined.
void FindLoadedModules(const std::vector<HeldTarget>& targets, const std::vector<DWORD>& processIds,
                       HolderScan& scan);

}  // namespace pendrix
