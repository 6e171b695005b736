// The names the start-up processing will find. Windows resolves each
// stored name at the start, when no subst drive exists yet, and (by public
// reverse-engineering of current Windows, undocumented) refuses an entry
// whose stored name is not the file's own. So a name is stored as Windows
// resolves it now (GetFinalPathNameByHandleW): long names for short ones,
// the real drive for a subst drive, the exact case of every part. A file
// that does not exist yet is named by its folder's final name and its own.
#pragma once

#include <cstdint>

#include "platform/file_system_api.h"
#include "scheduler/file_names.h"

namespace pendrix {

// The name the file path names has in its folder: the folder's final name
// and the last part as the folder lists it (its long name, its case on
// disk). Never what a link in the last part leads to.
WinStatus OwnFinalName(FileSystemApi& files, const std::string& path, std::string& own);

// Makes name the final name of the file (exists: OwnFinalName) or of its
// folder and its last part (!exists). kErrorSuccess; kErrorNotSupported when it resolves
// to no local drive letter; otherwise the status of the call that failed.
// Then name is unchanged and cannot be scheduled. A name on the network
// stays as it is.
WinStatus ResolveFinalName(FileSystemApi& files, ResolvedName& name, bool exists);

}  // namespace pendrix
