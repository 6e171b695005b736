// HolderFinder over the system: the handle table and, alongside, the
// modules of every process (only when a file may be loaded), then the
// Restart Manager, and the program of every process found.
#include <windows.h>
#include <tlhelp32.h>

#include <future>
#include <map>
#include <set>

#include "common/wide_text.h"
#include "platform/held_targets.h"
#include "platform/holder_finder.h"
#include "platform/loaded_module_scan.h"
#include "platform/open_handle_scan.h"
#include "platform/restart_manager_scan.h"
#include "common/unique_handle.h"

namespace pendrix {
namespace {

constexpr wchar_t kDebugPrivilege[] = L"SeDebugPrivilege";  // SE_DEBUG_NAME

// An administrator may read the handles and modules of other users'
// processes and services once the debug privilege is enabled; without it
// they could not be examined. Enabling changes only this process's token.
void EnableDebugPrivilege(HANDLE token) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, kDebugPrivilege, &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
}

// Whether this process runs with an administrator's full token; enables
// the debug privilege on the way.
bool PrepareToken() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_ADJUST_PRIVILEGES, &opened)) return false;
    const UniqueKernelHandle token(opened);
    EnableDebugPrivilege(token.Get());
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
           elevation.TokenIsElevated != 0;
}

// Every process's image name, by process id.
std::map<DWORD, std::wstring> ProcessNames() {
    std::map<DWORD, std::wstring> names;
    const UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return names;
    PROCESSENTRY32W process{};
    process.dwSize = sizeof(process);
    for (BOOL more = Process32FirstW(snapshot.Get(), &process); more; more = Process32NextW(snapshot.Get(), &process))
        names[process.th32ProcessID] = process.szExeFile;
    return names;
}

// The full path of a process's program; empty when it may not be read.
std::string ProgramPath(DWORD processId) {
    const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return {};
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = static_cast<DWORD>(path.size());
        if (QueryFullProcessImageNameW(process.Get(), 0, path.data(), &size)) return TextOfWide({path.data(), size});
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
        path.resize(path.size() * 2);
    }
    return {};
}

// Reads the module lists on a thread of its own while the handle table is
// walked: the two sources wait on different things.
std::uint32_t ScanHandlesAndModules(const std::vector<HeldTarget>& targets,
                                    const std::map<DWORD, std::wstring>& names, HolderScan& scan) {
    bool mayBeLoaded = false;
    std::vector<FileIdentity> identities;
    for (const HeldTarget& target : targets) {
        identities.push_back(target.identity);
        mayBeLoaded = mayBeLoaded || target.mayBeLoaded;
    }
    HolderScan moduleScan;
    std::future<void> modules;
    if (mayBeLoaded) {
        std::vector<DWORD> processIds;
        for (const auto& process : names) processIds.push_back(process.first);
        modules = std::async(std::launch::async, [&targets, &moduleScan, processIds] {
            FindLoadedModules(targets, processIds, moduleScan);
        });
    }
    const std::uint32_t status = FindOpenHandles(identities, targets.front().handle.Get(), scan);
    if (modules.valid()) modules.get();
    scan.sightings.insert(scan.sightings.end(), moduleScan.sightings.begin(), moduleScan.sightings.end());
    scan.notExamined.insert(scan.notExamined.end(), moduleScan.notExamined.begin(), moduleScan.notExamined.end());
    return status;
}

class Win32HolderFinder final : public HolderFinder {
public:
    WinStatus Find(const std::vector<std::string>& paths, HolderScan& scan) override {
        std::uint32_t status = ERROR_SUCCESS;
        const std::vector<HeldTarget> targets = OpenHeldTargets(paths, status);
        if (targets.empty()) return status != ERROR_SUCCESS ? status : ERROR_INVALID_PARAMETER;
        scan.elevated = PrepareToken();

        const std::map<DWORD, std::wstring> names = ProcessNames();
        status = ScanHandlesAndModules(targets, names, scan);
        if (status != ERROR_SUCCESS) return status;
        std::vector<std::wstring> fullPaths;
        for (const HeldTarget& target : targets)
            if (!target.fullPath.empty()) fullPaths.push_back(target.fullPath);
        AskRestartManager(fullPaths, scan);

        std::set<DWORD> found;
        for (const HolderSighting& sighting : scan.sightings) found.insert(sighting.processId);
        for (const DWORD processId : found) {
            const auto name = names.find(processId);
            scan.images[processId] = {name != names.end() ? TextOfWide(name->second) : std::string(),
                                      ProgramPath(processId)};
        }
        return ERROR_SUCCESS;
    }
};

}  // namespace

HolderFinder& SystemHolderFinder() {
    static Win32HolderFinder finder;
    return finder;
}

}  // namespace pendrix
