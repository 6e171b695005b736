// The first source of holders: the handles that processes have open on the
// files, found in the system's handle table. Each file handle of another
// process is duplicated into this one and compared by file identity; only
// disk files are asked who they are, and each within a time limit (on
// Windows a query on a handle with a synchronous read pending waits for
// that read).
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/holder_finder.h"
#include "platform/file_system_api.h"

namespace pendrix {

inline constexpr std::chrono::milliseconds kHandleAnswerLimit{1000};

// Adds an OpenHandle sighting for each process holding one of targets
// open; a process that may not be opened for PROCESS_DUP_HANDLE is added to
// scan.notExamined. ownHandle: a handle of this process on a file, which
// tells which entries of the table are files. A Windows status code: that
// of reading the handle table.
std::uint32_t FindOpenHandles(const std::vector<FileIdentity>& targets, HANDLE ownHandle, HolderScan& scan);

// The same without the handle table, which Wine's server cannot give
// safely (platform/handle_search.h): the first kProbedHandles handle values
// of each of processIds, each duplicated and compared.
void FindOpenHandlesOfEachProcess(const std::vector<FileIdentity>& targets, const std::vector<DWORD>& processIds,
                                  HolderScan& scan);

}  // namespace pendrix
