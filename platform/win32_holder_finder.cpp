// HolderFinder over the system: the handle table (under Wine each
// process's handles one by one) and, alongside, the modules of every
// process (only when a file may be loaded), then the Restart Manager, and
// the program of every process found.
#include <windows.h>
#include <tlhelp32.h>

#include <map>
#include <optional>
#include <set>

#include "common/threads.h"
#include "common/wide_text.h"
#include "platform/handle_search.h"
#include "platform/held_targets.h"
#include "platform/holder_finder.h"
#include "platform/loaded_module_scan.h"
#include "platform/nt_queries.h"
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

// The processes that use each file that may be loaded, asked of the file
// itself; false when the system cannot say (Wine 8 does not implement it).
bool AskTheFiles(const std::vector<HeldTarget>& targets, std::vector<std::uint32_t>& users) {
    for (const HeldTarget& target : targets) {
        if (!target.mayBeLoaded) continue;
        const UniqueKernelHandle file(CreateFileW(target.fullPath.c_str(), FILE_READ_ATTRIBUTES,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        std::vector<std::uint32_t> found;
        if (!file || QueryProcessIdsUsingFile(file.Get(), found) != kStatusSuccess) return false;
        users.insert(users.end(), found.begin(), found.end());
    }
    return true;
}

// The handle search this system bears (platform/handle_search.h).
HandleSearch SystemHandleSearch() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return HandleSearchFor([ntdll](const char* name) { return ntdll != nullptr && GetProcAddress(ntdll, name) != nullptr; });
}

// The file itself says who has it mapped; where it cannot, the module lists
// are read, on a thread of their own while the handle table is walked: the
// two sources wait on different things.
std::uint32_t ScanHandlesAndModules(const std::vector<HeldTarget>& targets,
                                    const std::map<DWORD, std::wstring>& names, HolderScan& scan) {
    bool mayBeLoaded = false;
    std::vector<FileIdentity> identities;
    for (const HeldTarget& target : targets) {
        identities.push_back(target.identity);
        mayBeLoaded = mayBeLoaded || target.mayBeLoaded;
    }
    std::vector<std::uint32_t> users;
    const bool fileAnswered = mayBeLoaded && AskTheFiles(targets, users);
    std::vector<DWORD> processIds;
    for (const auto& process : names) processIds.push_back(process.first);
    HolderScan moduleScan;
    std::uint32_t status = ERROR_SUCCESS;
    {
        std::optional<JoinedThread> modules;
        if (mayBeLoaded && !fileAnswered) {
            scan.modulesByLoadedName = true;
            modules.emplace([&targets, &moduleScan, processIds] { FindLoadedModules(targets, processIds, moduleScan); });
        }
        if (SystemHandleSearch() == HandleSearch::EachProcess)
            FindOpenHandlesOfEachProcess(identities, processIds, scan);
        else
            status = FindOpenHandles(identities, targets.front().handle.Get(), scan);
    }  // the module lists are read
    if (fileAnswered) AddMappedUsers(users, GetCurrentProcessId(), scan);
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
