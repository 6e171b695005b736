// DLLs from the system folder only. Pendrix.exe runs elevated, often from a
// downloads folder where anyone may have dropped a DLL named like one of
// Windows': both programs restrict every DLL load of the process to the
// system folder before their C runtime starts, from their entry points, so
// neither a delay-loaded library nor what Windows' own DLLs load later is
// ever taken from the program's folder or the current one. (The imports
// resolved before the entry point runs are Windows' known DLLs and the
// common controls of the manifest, which never come from there either; an
// MSVC build also sets the linker's dependent-load flag.)
#pragma once

#include <windows.h>

namespace pendrix {

inline void LoadDllsFromSystemFolderOnly() noexcept { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }

}  // namespace pendrix
