// cls_exitWindows: logs off, shuts down or restarts Windows after enabling
// the shutdown privilege in the process's own token. Other programs are
// asked to close and may save their work first; only one that hangs is
// ended (EWX_FORCEIFHUNG, never EWX_FORCE, which closes every program
// without letting it save). The request carries a planned reason code, so
// that Windows does not log it as an unexpected shutdown. Every step runs
// whatever the one before it gave; the result tells whether the request
// went through, so that a refusal can be shown to the user instead of
// leaving the computer silently running.
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

// ExitWindowsEx flags (EWX_LOGOFF, EWX_REBOOT, EWX_FORCE, EWX_FORCEIFHUNG).
inline constexpr std::int32_t kEwxLogoff = 0;
inline constexpr std::int32_t kEwxReboot = 2;
inline constexpr std::int32_t kEwxForce = 4;
inline constexpr std::int32_t kEwxForceIfHung = 0x10;

// Shutdown reason codes (SHTDN_REASON_MAJOR_APPLICATION,
// SHTDN_REASON_MINOR_INSTALLATION, SHTDN_REASON_FLAG_PLANNED). A reason of 0
// is logged as an unplanned shutdown.
inline constexpr std::uint32_t kShtdnReasonMajorApplication = 0x00040000;
inline constexpr std::uint32_t kShtdnReasonMinorInstallation = 0x00000002;
inline constexpr std::uint32_t kShtdnReasonFlagPlanned = 0x80000000;
// What a restart that carries out scheduled file operations is: a planned
// installation by an application.
inline constexpr std::uint32_t kPlannedInstallationReason =
    kShtdnReasonMajorApplication | kShtdnReasonMinorInstallation | kShtdnReasonFlagPlanned;

// InitiateShutdownW flags (SHUTDOWN_FORCE_OTHERS, SHUTDOWN_RESTART,
// SHUTDOWN_RESTARTAPPS).
inline constexpr std::uint32_t kShutdownForceOthers = 0x1;
inline constexpr std::uint32_t kShutdownRestart = 0x4;
inline constexpr std::uint32_t kShutdownRestartApps = 0x80;

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

    // Requests l_Command (ExitWindowsEx flags) with EWX_FORCEIFHUNG added,
    // for reason. 0 when the system accepted the request (it goes on
    // without this program: Windows may still stop it when a program
    // refuses to close); otherwise the Windows error code of the first step
    // that was refused (the cause: a privilege that could not be enabled
    // makes the request itself fail afterwards).
    std::uint32_t ExitWindows(std::int32_t l_Command, std::uint32_t reason = kPlannedInstallationReason);

    // Restarts with InitiateShutdownW: programs are asked to close, and
    // those registered for it start again afterwards. Other users' sessions
    // are ended only with endOthers (SHUTDOWN_FORCE_OTHERS); without it,
    // kErrorShutdownUsersLoggedOn tells that others are signed in, and
    // nothing happens. Where the function is missing or a stub (120), the
    // restart is ExitWindows(EWX_REBOOT), which does not look at other
    // sessions. 0 when accepted, else the Windows code as ExitWindows gives it.
    std::uint32_t Restart(bool endOthers, std::uint32_t reason = kPlannedInstallationReason);

private:
    // The error code of the first refused step, or 0.
    std::uint32_t EnableShutdownPrivilege();
    // The last error of a refused call, never 0.
    std::uint32_t RefusalCode();

    ShutdownApi* api_;
};

}  // namespace pendrix
