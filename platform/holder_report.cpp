#include "platform/holder_report.h"

#include <algorithm>
#include <map>
#include <set>

#include "common/name_folding.h"

namespace pendrix {
namespace {

constexpr char kUnknownImage[] = "(unknown program)";

}  // namespace

std::string ImageName(const Holder& holder) {
    return holder.imageName.empty() ? kUnknownImage : holder.imageName;
}

HolderReport MergeHolders(const HolderScan& scan) {
    std::map<std::uint32_t, Holder> byProcess;
    std::map<std::uint32_t, std::set<std::string>> serviceKeys;  // folded: service names ignore case
    for (const HolderSighting& sighting : scan.sightings) {
        Holder& holder = byProcess[sighting.processId];
        holder.processId = sighting.processId;
        switch (sighting.how) {
        case HoldKind::OpenHandle: holder.openHandle = true; break;
        case HoldKind::LoadedModule: holder.loadedModule = true; break;
        case HoldKind::RestartManager: holder.restartManager = true; break;
        }
        if (holder.applicationName.empty()) holder.applicationName = sighting.applicationName;
        if (sighting.serviceName.empty()) continue;
        if (serviceKeys[sighting.processId].insert(FoldName(sighting.serviceName)).second)
            holder.services.push_back(sighting.serviceName);
    }

    HolderReport report;
    report.elevated = scan.elevated;
    report.handlesNotAnswering = scan.handlesNotAnswering;
    report.modulesByLoadedName = scan.modulesByLoadedName;
    report.handleSearch = scan.handleSearch;
    for (auto& [processId, holder] : byProcess) {
        const auto image = scan.images.find(processId);
        if (image != scan.images.end()) {
            holder.imageName = image->second.name;
            holder.imagePath = image->second.path;
        }
        std::sort(holder.services.begin(), holder.services.end());
        report.holders.push_back(std::move(holder));
    }
    std::set<std::uint32_t> notExamined(scan.notExamined.begin(), scan.notExamined.end());
    for (const Holder& holder : report.holders) notExamined.erase(holder.processId);
    report.notExamined = notExamined.size();
    return report;
}

std::string HolderNamesText(const HolderReport& report) {
    std::string text;
    const std::size_t named = std::min(report.holders.size(), kHoldersNamedInALine);
    for (std::size_t i = 0; i < named; ++i) {
        const Holder& holder = report.holders[i];
        if (i > 0) text += "; ";
        text.append(ImageName(holder)).append(", process ").append(std::to_string(holder.processId));
    }
    if (report.holders.size() > named) text += "; and " + std::to_string(report.holders.size() - named) + " more";
    return text;
}

std::string InUseByText(const HolderReport& report) {
    if (report.holders.empty()) return {};
    return " (in use by " + HolderNamesText(report) + ")";
}

}  // namespace pendrix
