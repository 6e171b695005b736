#include <set>

#include "platform/holder_finder.h"

namespace pendrix {

void AddMappedUsers(const std::vector<std::uint32_t>& users, std::uint32_t self, HolderScan& scan) {
    std::set<std::uint32_t> opened;
    for (const HolderSighting& sighting : scan.sightings)
        if (sighting.how == HoldKind::OpenHandle) opened.insert(sighting.processId);
    std::set<std::uint32_t> added;
    for (const std::uint32_t processId : users)
        if (processId != self && opened.count(processId) == 0 && added.insert(processId).second)
            scan.sightings.push_back({processId, HoldKind::LoadedModule, {}, {}});
}

}  // namespace pendrix
