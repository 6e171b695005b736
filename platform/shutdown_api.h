// The thin seam between cls_exitWindows and the process token and shutdown
// calls of kernel32, advapi32 and user32. Tests use a stand-in, so that no
// test restarts the machine by accident and a refused privilege can be
// played.
#pragma once

#include <cstdint>
#include <string>

namespace pendrix {

// The value of a HANDLE.
using HandleValue = std::intptr_t;

// Mirror LUID, LUID_AND_ATTRIBUTES and a TOKEN_PRIVILEGES with one entry.
struct LocallyUniqueId {
    std::uint32_t LowPart = 0;
    std::int32_t HighPart = 0;
};
struct LuidAndAttributes {
    LocallyUniqueId Luid;
    std::uint32_t Attributes = 0;
};
struct TokenPrivileges {
    std::uint32_t PrivilegeCount = 0;
    LuidAndAttributes Privileges[1];
};

class ShutdownApi {
public:
    virtual ~ShutdownApi() = default;

    // The calls return what Windows returns: non-zero for success.
    virtual HandleValue GetCurrentProcess() = 0;
    virtual std::int32_t OpenProcessToken(HandleValue process, std::uint32_t desiredAccess,
                                          HandleValue& token) = 0;
    virtual std::int32_t LookupPrivilegeValueA(const std::string& systemName, const std::string& name,
                                              LocallyUniqueId& luid) = 0;
    virtual std::int32_t AdjustTokenPrivileges(HandleValue token, bool disableAllPrivileges,
                                               const TokenPrivileges& newState, std::uint32_t bufferLength,
                                               TokenPrivileges& previousState,
                                               std::uint32_t& returnLength) = 0;
    // reason: a shutdown reason code (SHTDN_REASON_...).
    virtual std::int32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
    // InitiateShutdownW of the local computer with no message and no grace
    // period: its Windows code (0: accepted). 120 when advapi32 has no such
    // export, as it answers where it is a stub.
    virtual std::uint32_t InitiateShutdownW(std::uint32_t flags, std::uint32_t reason) = 0;
    virtual std::int32_t CloseHandle(HandleValue handle) = 0;
    // The calling thread's last-error code, as the call before it left it.
    virtual std::uint32_t GetLastError() = 0;
};

// The calls of this system (Windows build only).
ShutdownApi& SystemShutdownApi();

}  // namespace pendrix
