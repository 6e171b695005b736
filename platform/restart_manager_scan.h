// The third source of holders: the Restart Manager, where it answers (a
// stub under Wine names no one). It adds the names Windows gives the
// applications and the short names of the services that hold the files.
// rstrtmgr.dll is loaded only for this, from the system folder.
#pragma once

#include <string>
#include <vector>

#include "platform/holder_finder.h"

namespace pendrix {

// Adds a RestartManager sighting for each process the Restart Manager
// names for the files of fullPaths; nothing when it cannot be asked.
void AskRestartManager(const std::vector<std::wstring>& fullPaths, HolderScan& scan);

}  // namespace pendrix
