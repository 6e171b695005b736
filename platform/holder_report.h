// Who holds a file: the raw sightings of the handle table, the module lists
// and the Restart Manager merged into one entry per process, and the holders
// named in the line of a scheduled command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/holder_finder.h"

namespace pendrix {

struct Holder {
    std::uint32_t processId = 0;
    std::string imageName;
    std::string imagePath;  // empty when it could not be read
    bool openHandle = false;
    bool loadedModule = false;
    bool restartManager = false;
    std::string applicationName;        // the Restart Manager's, when it named one
    std::vector<std::string> services;  // short names, each once
};

struct HolderReport {
    std::vector<Holder> holders;  // by process id
    // Processes that could not be examined and are not among the holders.
    std::size_t notExamined = 0;
    std::size_t handlesNotAnswering = 0;
    bool elevated = false;
    bool modulesByLoadedName = false;  // as HolderScan says
    HandleSearch handleSearch = HandleSearch::SystemTable;  // as HolderScan says
};

// One entry per process, by process id: what every source saw of it.
HolderReport MergeHolders(const HolderScan& scan);

// The image name, or "(unknown program)" when it could not be read.
std::string ImageName(const Holder& holder);

// "viewer.exe, process 1234; ..." naming at most kHoldersNamedInALine
// processes and how many more there are; empty when there are none.
std::string HolderNamesText(const HolderReport& report);

// " (in use by " HolderNamesText ")"; empty when there are no holders.
std::string InUseByText(const HolderReport& report);

inline constexpr std::size_t kHoldersNamedInALine = 3;

}  // namespace pendrix
