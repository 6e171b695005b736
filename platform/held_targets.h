// The files whose holders are looked for, each opened once: who it is (its
// volume and index, whatever name it was given by), its long and short
// names as a module list would spell them, and whether any process may have
// loaded it as a module.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "platform/file_system_api.h"

namespace pendrix {

struct HeldTarget {
    // Open without any access right, sharing everything: a file held
    // exclusively opens too.
    UniqueKernelHandle handle;
    FileIdentity identity;
    std::wstring fullPath;   // GetFullPathNameW of the name given
    std::wstring longName;   // the last component of its final path
    std::wstring shortName;  // its 8.3 name, or the long name when it has none
    // False when no process has it loaded: a folder, a file that does not
    // begin with "MZ" (only an image loads), or one that opens for writing
    // (a loaded image refuses writers).
    bool mayBeLoaded = true;
};

// Opens each path; the ones that could not be opened are left out. status:
// 0, or, when none could be opened, the Windows code of the first one.
std::vector<HeldTarget> OpenHeldTargets(const std::vector<std::string>& paths, std::uint32_t& status);

// Whether a process that could not be examined has ended meanwhile (it then
// held nothing): no process of that id, or one with an exit code. False when
// it runs or cannot be asked (Windows protects it).
bool ProcessHasEnded(DWORD processId);

// Opens path without any access right (as OpenHeldTargets does) and reads
// its identity; a Windows status code.
std::uint32_t IdentityOfPath(const std::wstring& path, FileIdentity& identity);

}  // namespace pendrix
