// cls_exitWindows: logs off, shuts down or restarts Windows, forcing other
// applications closed, after enabling the shutdown privilege in the
// process's own token. Every step runs whatever the one before it gave; the
// result tells whether the request went through, so that a refusal can be
// shown to the user instead of leaving the computer silently running.
#pragma once

#include <cstdint>

#include "common/windows_codes.h"
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

    // Requests l_Command (ExitWindowsEx flags) with EWX_FORCE added. 0 when
    // the system accepted the request; otherwise the Windows error code of
    // the first step that was refused (the cause: a privilege that could
    // not be enabled makes the request itself fail afterwards).
    std::uint32_t ExitWindows(std::int32_t l_Command);

private:
    // The error code of the first refused step, or 0.
    std::uint32_t EnableShutdownPrivilege();
    // The last error of a refused call, never 0.
    std::uint32_t RefusalCode();

    ShutdownApi* api_;
};

}  // namespace pendrix
