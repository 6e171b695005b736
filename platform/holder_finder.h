// The seam between the console tool and the system calls that find which
// processes hold a file: the handle table, the module lists of processes
// and the Restart Manager. The Windows build asks the system; what it finds
// comes back raw, one sighting per handle, module or Restart Manager entry,
// and is merged and described apart from Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>
#include "common/windows_codes.h"
#include "platform/handle_search.h"

namespace pendrix {

// How a process was seen holding a file.
enum class HoldKind {
    OpenHandle,      // a handle of the process is open on the file
    LoadedModule,    // the process has loaded the file as a module
    RestartManager,  // the Restart Manager names the process
};

struct HolderSighting {
    std::uint32_t processId = 0;
    HoldKind how = HoldKind::OpenHandle;
    // From the Restart Manager only: its name for the application and the
    // short name of the service the process runs; empty when none.
    std::string applicationName;
    std::string serviceName;
};

// A process's program: the image name (as the process list has it) and the
// full path of its program, empty where it could not be read.
struct ProcessImage {
    std::string name;
    std::string path;
};

struct HolderScan {
    std::vector<HolderSighting> sightings;  // in any order, a process any number of times
    std::map<std::uint32_t, ProcessImage> images;  // of the processes sighted
    // Processes that could not be opened to look at their handles or
    // modules, a process any number of times.
    std::vector<std::uint32_t> notExamined;
    // Handles whose file did not answer within the time allowed for each.
    std::size_t handlesNotAnswering = 0;
    // Whether this process runs elevated (with an administrator's full token).
    bool elevated = false;
    // The system could not say which processes use the file itself (Wine),
    // so modules were matched by the name each was loaded under, which a
    // rename does not change: a process that loaded the file under an older
    // name is not found, and one that loaded an older file of this name may
    // be named.
    bool modulesByLoadedName = false;
    // How open handles were looked for: under Wine only among the first
    // kProbedHandles handles of each process.
    HandleSearch handleSearch = HandleSearch::SystemTable;
};

// Adds the processes that the file itself says use it (NtQueryInformationFile
// with FileProcessIdsUsingFileInformation: those with it open or mapped),
// but self and those an open handle already explains, as having it mapped:
// a loaded module.
void AddMappedUsers(const std::vector<std::uint32_t>& users, std::uint32_t self, HolderScan& scan);

class HolderFinder {
public:
    virtual ~HolderFinder() = default;
    // Finds every process that holds any of the files (or folders) paths
    // name, however spelt, into scan. Gives a Windows status code: 0, or
    // the code of opening the first path when none of them could be opened
    // (2 or 3 when it does not exist), or of reading the handle table.
    virtual WinStatus Find(const std::vector<std::string>& paths, HolderScan& scan) = 0;
};

// The processes of this computer (Windows build only).
HolderFinder& SystemHolderFinder();

}  // namespace pendrix
