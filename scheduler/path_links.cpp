#include "scheduler/path_links.h"

#include "common/name_folding.h"
#include "scheduler/final_names.h"

namespace pendrix {
namespace {

// Where the root ends: after "C:\" or "\\server\share\".
std::size_t RootLength(const std::string& full) {
    if (full.size() >= 3 && full[1] == ':') return 3;
    const std::size_t share = full.find('\\', full.find('\\', 2) + 1);
    return share == std::string::npos ? full.size() : share + 1;
}

}  // namespace

PathFolders CheckPathFolders(FileSystemApi& files, const std::string& full) {
    PathFolders found;
    for (std::size_t end = full.find('\\', RootLength(full)); end != std::string::npos; end = full.find('\\', end + 1)) {
        const std::string folder = full.substr(0, end);
        bool link = false;
        if (files.IsLink(folder, link) == kErrorSuccess && link) {
            found.link = folder;
            return found;
        }
        bool may = false;
        if (found.changeableFolder.empty() && files.UsersMayChange(folder, may) == kErrorSuccess && may)
            found.changeableFolder = folder;
    }
    return found;
}

LastPart CheckLastPart(FileSystemApi& files, const std::string& path) {
    LastPart last;
    std::string leadsTo;
    const bool resolved = files.FinalName(path, leadsTo) == kErrorSuccess;
    bool marked = false;
    if (files.IsLink(path, marked) == kErrorSuccess && marked) {
        last.link = true;
    } else if (resolved) {
        std::string own;
        last.link = OwnFinalName(files, path, own) == kErrorSuccess && FoldName(own) != FoldName(leadsTo);
    }
    if (last.link && resolved) last.target = std::move(leadsTo);
    return last;
}

}  // namespace pendrix
