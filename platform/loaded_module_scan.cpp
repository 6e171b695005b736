#include "platform/loaded_module_scan.h"

#include <psapi.h>

#include <map>
#include <optional>

#include "common/unique_handle.h"

namespace pendrix {
namespace {

constexpr DWORD kIdleProcessId = 0;
constexpr DWORD kSystemProcessId = 4;  // the kernel: no user-mode modules
// The module list may grow between asking its size and reading it.
constexpr int kListTries = 4;
constexpr std::size_t kFirstListSize = 256;

bool SameName(std::wstring_view name, const std::wstring& wanted) {
    return CompareStringOrdinal(name.data(), static_cast<int>(name.size()), wanted.c_str(),
                                static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL;
}

std::wstring_view LastComponent(std::wstring_view path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring_view::npos ? path : path.substr(separator + 1);
}

// The modules' addresses; false when they may not be read.
bool ModuleAddresses(HANDLE process, std::vector<HMODULE>& modules) {
    modules.resize(kFirstListSize);
    for (int attempt = 0; attempt < kListTries; ++attempt) {
        DWORD needed = 0;
        const auto size = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
        if (!EnumProcessModulesEx(process, modules.data(), size, &needed, LIST_MODULES_ALL)) return false;
        if (needed <= size) {
            modules.resize(needed / sizeof(HMODULE));
            return true;
        }
        modules.resize(needed / sizeof(HMODULE) + 16);
    }
    return false;
}

// Whether the module at address is one of targets: its file bears a
// target's name, and its program path names the same file.
class ModuleMatcher {
public:
    explicit ModuleMatcher(const std::vector<HeldTarget>& targets) : targets_(targets) {}

    bool IsTarget(HANDLE process, HMODULE module) {
        wchar_t mapped[MAX_PATH + 1] = {};
        const DWORD length = GetMappedFileNameW(process, module, mapped, MAX_PATH);
        if (length == 0) return false;
        const std::wstring_view name = LastComponent({mapped, length});
        bool named = false;
        for (const HeldTarget& target : targets_) {
            if (target.mayBeLoaded && (SameName(name, target.longName) || SameName(name, target.shortName)))
                named = true;
        }
        if (!named) return false;

        wchar_t path[MAX_PATH + 1] = {};
        const DWORD pathLength = GetModuleFileNameExW(process, module, path, MAX_PATH);
        if (pathLength == 0) return false;
        auto [known, first] = identities_.try_emplace(std::wstring(path, pathLength));
        if (first) {
            FileIdentity identity;
            if (IdentityOfPath(known->first, identity) == ERROR_SUCCESS) known->second = identity;
        }
        for (const HeldTarget& target : targets_)
            if (known->second == target.identity) return true;
        return false;
    }

private:
    const std::vector<HeldTarget>& targets_;
    // The identity of each module path that bore a target's name, asked once.
    std::map<std::wstring, std::optional<FileIdentity>> identities_;
};

}  // namespace

void FindLoadedModules(const std::vector<HeldTarget>& targets, const std::vector<DWORD>& processIds,
                       HolderScan& scan) {
    const DWORD self = GetCurrentProcessId();
    ModuleMatcher matcher(targets);
    std::vector<HMODULE> modules;
    for (const DWORD processId : processIds) {
        if (processId == self || processId == kIdleProcessId || processId == kSystemProcessId) continue;
        const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
        if (!process || !ModuleAddresses(process.Get(), modules)) {
            // A process that has ended meanwhile was not holding anything.
            const DWORD error = GetLastError();
            if (error != ERROR_INVALID_PARAMETER && error != ERROR_INVALID_HANDLE && !ProcessHasEnded(processId))
                scan.notExamined.push_back(processId);
            continue;
        }
        for (const HMODULE module : modules) {
            if (matcher.IsTarget(process.Get(), module)) {
                scan.sightings.push_back({processId, HoldKind::LoadedModule, {}, {}});
                break;
            }
        }
    }
}

}  // namespace pendrix
