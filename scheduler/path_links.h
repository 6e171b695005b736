// The folders a name passes through on its way from its drive. The start-up
// processing runs as the system and follows junctions, mount points and
// symbolic links: a folder on the way that is a link, or that ordinary
// users may change (put a junction in place of what it holds), may lead it
// to another file than the one meant.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system_api.h"

namespace pendrix {

struct PathFolders {
    std::string link;              // the first folder on the way that is a link; empty when none is
    std::string changeableFolder;  // the first folder on the way ordinary users may change; empty when none
};

// What the last part of a name is.
struct LastPart {
    bool link = false;   // a symbolic link, junction or mount point itself
    std::string target;  // where a link leads (its final name); empty when that cannot be found
};

// Whether the last part of path (a name that exists) is a link: marked as
// one (Windows), or its final name is not its own name in its folder's
// final name (Wine, which follows Linux symbolic links without marking
// them). A subst drive or a link among the folders changes both alike.
LastPart CheckLastPart(FileSystemApi& files, const std::string& path);

// Looks at each folder of full (a full name as typed and resolved, not its
// final name) below its root, the last part left out.
PathFolders CheckPathFolders(FileSystemApi& files, const std::string& full);

}  // namespace pendrix
