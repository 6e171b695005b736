// How the handles that other processes have open are looked for. Windows
// lists every handle of the system in one table. Wine 8's server cannot be
// asked for that table safely: it walks each process's handle table up to
// the last entry with an unsigned index, and a process that has no handle
// yet (every program between its start and its first handle) has -1 there,
// so the walk runs off the table and the server dies with every program of
// the session. Under Wine each process's handle values are tried one by one
// instead, which asks the server about one handle at a time.
#pragma once

#include <cstddef>
#include <functional>

namespace pendrix {

enum class HandleSearch {
    SystemTable,  // the system's handle table (NtQuerySystemInformation)
    EachProcess,  // the first kProbedHandles handle values of each process
};

// Under Wine a process's handles are numbered 4, 8, 12, ... from its
// lowest free slot on, so the first values hold all of them but those
// behind a gap that this many closed handles left.
inline constexpr std::size_t kProbedHandles = 4096;

// The search this system bears. ntdllExports: whether ntdll exports a name
// (GetProcAddress); Wine's ntdll exports wine_get_version, Windows' does not.
HandleSearch HandleSearchFor(const std::function<bool(const char*)>& ntdllExports);

}  // namespace pendrix
