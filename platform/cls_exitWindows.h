// cls_exitWindows: logs off, shuts down or restarts Windows, forcing other
// applications closed, after enabling the shutdown privilege in the
// process's own token. It reports nothing: when a step is refused the call
// simply returns and the computer keeps running.
#pragma once

#include <cstdint>

#include "platform/shutdown_api.h"

#if defined(_WIN32)
// winuser.h defines ExitWindows as a macro for ExitWindowsEx, which would
// replace the method of that name. Included here first, its include guard
// keeps the macro from coming back once removed.
#include <windows.h>
#undef ExitWindows
#endif

namespace pendrix {

// ExitWindowsEx flags (EWX_LOGOFF, EWX_REBOOT, EWX_FORCE).
inline constexpr std::int32_t kEwxLogoff = 0;
inline constexpr std::int32_t kEwxReboot = 2;
inline constexpr std::int32_t kEwxForce = 4;

// Token access TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY.
inline constexpr std::uint32_t kTokenAdjustPrivileges = 0x20;
inline constexpr std::uint32_t kTokenQuery = 0x8;
inline constexpr const char* kShutdownPrivilegeName = "SeShutdownPrivilege";
// SE_PRIVILEGE_ENABLED.
inline constexpr std::uint32_t kSePrivilegeEnabled = 2;

class cls_exitWindows {
public:
    cls_exitWindows() : cls_exitWindows(SystemShutdownApi()) {}
    explicit cls_exitWindows(ShutdownApi& api) : api_(&api) {}

    // Requests l_Command (ExitWindowsEx flags) with EWX_FORCE added.
    void ExitWindows(std::int32_t l_Command);

private:
    void EnableShutdownPrivilege();

    ShutdownApi* api_;
};

}  // namespace pendrix
