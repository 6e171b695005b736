// The baselines of the holders benchmark, the least any finder of open
// files does: "handle_table_walk" reads the system's handle table once
// (NtQuerySystemInformation with SystemExtendedHandleInformation);
// "handle_table_walk --files" also duplicates every file handle of every
// other process and asks its type and file index, as the holders command
// does, with none of its other work. Each prints what it counted.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <map>

#include "platform/nt_queries.h"
#include "common/unique_handle.h"

int wmain(int argc, wchar_t** argv) {
    using namespace pendrix;
    const bool files = argc > 1 && std::wcscmp(argv[1], L"--files") == 0;
    // A file handle of this process tells which entries are files.
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const UniqueKernelHandle own(CreateFileW(program, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
    SystemHandleTable table;
    if (table.Read() != kStatusSuccess) return 1;
    if (!files) {
        std::printf("%zu handles\n", table.Count());
        return 0;
    }
    const ULONG_PTR self = GetCurrentProcessId();
    USHORT fileType = 0;
    for (std::size_t i = 0; i < table.Count(); ++i)
        if (table[i].processId == self && table[i].handleValue == reinterpret_cast<ULONG_PTR>(own.Get()))
            fileType = table[i].objectTypeIndex;
    std::map<ULONG_PTR, UniqueKernelHandle> processes;
    std::size_t diskFiles = 0;
    for (std::size_t i = 0; i < table.Count(); ++i) {
        const SystemHandleEntry& entry = table[i];
        if (entry.processId == self || entry.objectTypeIndex != fileType) continue;
        auto [process, first] = processes.try_emplace(entry.processId);
        if (first) {
            const auto processId = static_cast<DWORD>(entry.processId);
            process->second = UniqueKernelHandle(OpenProcess(PROCESS_DUP_HANDLE, FALSE, processId));
        }
        HANDLE copy = nullptr;
        if (!process->second || !DuplicateHandle(process->second.Get(), reinterpret_cast<HANDLE>(entry.handleValue),
                                                 GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
            continue;
        const UniqueKernelHandle file(copy);
        std::uint64_t index = 0;
        if (GetFileType(file.Get()) == FILE_TYPE_DISK && QueryFileIndex(file.Get(), index) == kStatusSuccess)
            ++diskFiles;
    }
    std::printf("%zu handles, %zu disk files\n", table.Count(), diskFiles);
    return 0;
}
