#include "platform/loaded_module_scan.h"

#include <tlhelp32.h>

#include <map>
#include <optional>

#include "platform/unique_handle.h"

namespace pendrix {
namespace {

constexpr DWORD kIdleProcessId = 0;
constexpr DWORD kSystemProcessId = 4;  // the kernel: no user-mode modules
// CreateToolhelp32Snapshot asks to be tried again with ERROR_BAD_LENGTH
// while the process's module list changes.
constexpr int kSnapshotTries = 8;

bool SameName(const wchar_t* name, const std::wstring& wanted) {
    return CompareStringOrdinal(name, -1, wanted.c_str(), static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL;
}

UniqueKernelHandle ModuleSnapshot(DWORD processId, DWORD& error) {
    for (int attempt = 0; attempt < kSnapshotTries; ++attempt) {
        UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, processId));
        if (snapshot) return snapshot;
        error = GetLastError();
        if (error != ERROR_BAD_LENGTH) break;
    }
    return UniqueKernelHandle();
}

}  // namespace

void FindLoadedModules(const std::vector<HeldTarget>& targets, const std::vector<DWORD>& processIds,
                       HolderScan& scan) {
    const DWORD self = GetCurrentProcessId();
    // The identity of each module path that bears a target's name, asked once.
    std::map<std::wstring, std::optional<FileIdentity>> identities;
    for (const DWORD processId : processIds) {
        if (processId == self || processId == kIdleProcessId || processId == kSystemProcessId) continue;
        DWORD error = ERROR_SUCCESS;
        const UniqueKernelHandle snapshot = ModuleSnapshot(processId, error);
        if (!snapshot) {
            if (error != ERROR_INVALID_PARAMETER) scan.notExamined.push_back(processId);  // else it has ended
            continue;
        }
        MODULEENTRY32W module{};
        module.dwSize = sizeof(module);
        for (BOOL more = Module32FirstW(snapshot.Get(), &module); more; more = Module32NextW(snapshot.Get(), &module)) {
            bool loaded = false;
            for (const HeldTarget& target : targets) {
                if (!target.mayBeModule ||
                    !(SameName(module.szModule, target.longName) || SameName(module.szModule, target.shortName)))
                    continue;
                auto [known, first] = identities.try_emplace(module.szExePath);
                if (first) {
                    FileIdentity identity;
                    if (IdentityOfPath(module.szExePath, identity) == ERROR_SUCCESS) known->second = identity;
                }
                loaded = loaded || known->second == target.identity;
            }
            if (loaded) {
                scan.sightings.push_back({processId, HoldKind::LoadedModule, {}, {}});
                break;
            }
        }
    }
}

}  // namespace pendrix
