#include "platform/open_handle_scan.h"

#include <map>
#include <memory>
#include <optional>

#include "common/time_limited_calls.h"
#include "platform/held_targets.h"
#include "platform/nt_queries.h"
#include "common/unique_handle.h"

namespace pendrix {
namespace {

struct Candidate {
    std::size_t process;  // in HandleScan::processes
    HANDLE handle;        // its value in that process
};

constexpr std::size_t kHandleValueStep = 4;  // handle values are multiples of 4

// What the calls share with a worker that may be left behind.
struct HandleScan {
    std::vector<FileIdentity> targets;
    std::vector<UniqueKernelHandle> processes;  // opened for PROCESS_DUP_HANDLE
    std::vector<std::uint32_t> processIds;
    std::vector<Candidate> candidates;

    // Whether the handle of candidate i is open on one of the targets.
    bool Holds(std::size_t i) const {
        const Candidate& candidate = candidates[i];
        HANDLE copy = nullptr;
        if (!DuplicateHandle(processes[candidate.process].Get(), candidate.handle, GetCurrentProcess(), &copy, 0,
                             FALSE, DUPLICATE_SAME_ACCESS))
            return false;  // closed meanwhile
        const UniqueKernelHandle file(copy);
        // Pipes, consoles and devices are never asked more: a query on a
        // synchronous pipe waits for its pending read.
        if (GetFileType(file.Get()) != FILE_TYPE_DISK) return false;
        FileIdentity identity;
        if (QueryFileIndex(file.Get(), identity.index) != kStatusSuccess) return false;
        bool sameIndex = false;
        for (const FileIdentity& target : targets) sameIndex = sameIndex || target.index == identity.index;
        if (!sameIndex || QueryVolumeSerial(file.Get(), identity.volume) != kStatusSuccess) return false;
        for (const FileIdentity& target : targets)
            if (target == identity) return true;
        return false;
    }
};

// The object type index of files in the table: that of this process's own
// handle on one; nothing when it is not found.
std::optional<USHORT> FileTypeIndex(const SystemHandleTable& table, HANDLE ownHandle) {
    const ULONG_PTR self = GetCurrentProcessId();
    for (std::size_t i = 0; i < table.Count(); ++i)
        if (table[i].processId == self && table[i].handleValue == reinterpret_cast<ULONG_PTR>(ownHandle))
            return table[i].objectTypeIndex;
    return std::nullopt;
}

// Opens a process to duplicate its handles: its place in work.processes,
// or nothing when it may not be opened (added to scan.notExamined unless it
// has ended meanwhile).
std::optional<std::size_t> OpenForDuplication(HandleScan& work, DWORD processId, HolderScan& scan) {
    UniqueKernelHandle handle(OpenProcess(PROCESS_DUP_HANDLE, FALSE, processId));
    if (!handle) {
        if (GetLastError() != ERROR_INVALID_PARAMETER && !ProcessHasEnded(processId))
            scan.notExamined.push_back(processId);  // not one that has ended
        return std::nullopt;
    }
    work.processes.push_back(std::move(handle));
    work.processIds.push_back(processId);
    return work.processes.size() - 1;
}

// Asks each candidate, within the time allowed for each, and adds the
// processes whose handle is open on a target.
void AddHolds(const std::shared_ptr<HandleScan>& work, HolderScan& scan) {
    const std::vector<std::optional<bool>> holds = CallEachWithinLimit<bool>(
        work->candidates.size(), kHandleAnswerLimit, [work](std::size_t i) { return work->Holds(i); });
    for (std::size_t i = 0; i < holds.size(); ++i) {
        if (!holds[i])
            ++scan.handlesNotAnswering;
        else if (*holds[i])
            scan.sightings.push_back({work->processIds[work->candidates[i].process], HoldKind::OpenHandle, {}, {}});
    }
}

}  // namespace

std::uint32_t FindOpenHandles(const std::vector<FileIdentity>& targets, HANDLE ownHandle, HolderScan& scan) {
    SystemHandleTable table;
    const LONG status = table.Read();
    if (status != kStatusSuccess) return WindowsErrorOfStatus(status);

    const auto work = std::make_shared<HandleScan>();
    work->targets = targets;
    const std::optional<USHORT> fileType = FileTypeIndex(table, ownHandle);
    const ULONG_PTR self = GetCurrentProcessId();
    std::map<ULONG_PTR, std::optional<std::size_t>> opened;  // a process, opened or not
    for (std::size_t i = 0; i < table.Count(); ++i) {
        const SystemHandleEntry& entry = table[i];
        if (entry.processId == self || (fileType && entry.objectTypeIndex != *fileType)) continue;
        auto [process, first] = opened.try_emplace(entry.processId);
        if (first) process->second = OpenForDuplication(*work, static_cast<DWORD>(entry.processId), scan);
        if (process->second)
            work->candidates.push_back({*process->second, reinterpret_cast<HANDLE>(entry.handleValue)});
    }
    AddHolds(work, scan);
    return ERROR_SUCCESS;
}

void FindOpenHandlesOfEachProcess(const std::vector<FileIdentity>& targets, const std::vector<DWORD>& processIds,
                                  HolderScan& scan) {
    scan.handleSearch = HandleSearch::EachProcess;
    const auto work = std::make_shared<HandleScan>();
    work->targets = targets;
    const DWORD self = GetCurrentProcessId();
    for (const DWORD processId : processIds) {
        if (processId == self) continue;
        const std::optional<std::size_t> process = OpenForDuplication(*work, processId, scan);
        if (!process) continue;
        for (std::size_t slot = 1; slot <= kProbedHandles; ++slot)
            work->candidates.push_back({*process, reinterpret_cast<HANDLE>(slot * kHandleValueStep)});
    }
    AddHolds(work, scan);
}

}  // namespace pendrix
