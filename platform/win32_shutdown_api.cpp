// ShutdownApi over kernel32, advapi32 and user32.
#include <windows.h>
#include <reason.h>

#include <cstddef>

#include "platform/cls_exitWindows.h"
#include "platform/shutdown_api.h"

namespace pendrix {
namespace {

static_assert(kEwxReboot == EWX_REBOOT && kEwxForce == EWX_FORCE && kEwxForceIfHung == EWX_FORCEIFHUNG);
static_assert(kShtdnReasonMajorApplication == SHTDN_REASON_MAJOR_APPLICATION &&
              kShtdnReasonMinorInstallation == SHTDN_REASON_MINOR_INSTALLATION &&
              kShtdnReasonFlagPlanned == SHTDN_REASON_FLAG_PLANNED);
static_assert(kShutdownForceOthers == SHUTDOWN_FORCE_OTHERS && kShutdownRestart == SHUTDOWN_RESTART &&
              kShutdownRestartApps == SHUTDOWN_RESTARTAPPS);
static_assert(sizeof(LocallyUniqueId) == sizeof(LUID));
static_assert(sizeof(LuidAndAttributes) == sizeof(LUID_AND_ATTRIBUTES));
static_assert(offsetof(LuidAndAttributes, Attributes) == offsetof(LUID_AND_ATTRIBUTES, Attributes));
static_assert(sizeof(TokenPrivileges) == sizeof(TOKEN_PRIVILEGES));
static_assert(offsetof(TokenPrivileges, Privileges) == offsetof(TOKEN_PRIVILEGES, Privileges));

HANDLE ToHandle(HandleValue value) { return reinterpret_cast<HANDLE>(value); }

class Win32ShutdownApi final : public ShutdownApi {
public:
    HandleValue GetCurrentProcess() override { return reinterpret_cast<HandleValue>(::GetCurrentProcess()); }

    std::int32_t OpenProcessToken(HandleValue process, std::uint32_t desiredAccess, HandleValue& token) override {
        HANDLE opened = nullptr;
        const BOOL status = ::OpenProcessToken(ToHandle(process), desiredAccess, &opened);
        token = reinterpret_cast<HandleValue>(opened);
        return status;
    }

    std::int32_t LookupPrivilegeValueA(const std::string& systemName, const std::string& name,
                                      LocallyUniqueId& luid) override {
        LUID found{};
        const BOOL status = ::LookupPrivilegeValueA(systemName.c_str(), name.c_str(), &found);
        luid.LowPart = found.LowPart;
        luid.HighPart = found.HighPart;
        return status;
    }

    std::int32_t AdjustTokenPrivileges(HandleValue token, bool disableAllPrivileges,
                                       const TokenPrivileges& newState, std::uint32_t bufferLength,
                                       TokenPrivileges& previousState, std::uint32_t& returnLength) override {
        TOKEN_PRIVILEGES requested{};
        requested.PrivilegeCount = newState.PrivilegeCount;
        requested.Privileges[0].Luid.LowPart = newState.Privileges[0].Luid.LowPart;
        requested.Privileges[0].Luid.HighPart = newState.Privileges[0].Luid.HighPart;
        requested.Privileges[0].Attributes = newState.Privileges[0].Attributes;
        TOKEN_PRIVILEGES previous{};
        DWORD length = 0;
        const BOOL status = ::AdjustTokenPrivileges(ToHandle(token), disableAllPrivileges ? TRUE : FALSE,
                                                    &requested, bufferLength, &previous, &length);
        previousState.PrivilegeCount = previous.PrivilegeCount;
        previousState.Privileges[0].Luid.LowPart = previous.Privileges[0].Luid.LowPart;
        previousState.Privileges[0].Luid.HighPart = previous.Privileges[0].Luid.HighPart;
        previousState.Privileges[0].Attributes = previous.Privileges[0].Attributes;
        returnLength = length;
        return status;
    }

    std::int32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
        return ::ExitWindowsEx(flags, reason);
    }

    std::uint32_t InitiateShutdownW(std::uint32_t flags, std::uint32_t reason) override {
        // Looked up rather than imported: a system without it answers as a stub does.
        using Function = DWORD(WINAPI*)(LPWSTR, LPWSTR, DWORD, DWORD, DWORD);
        const HMODULE advapi32 = GetModuleHandleW(L"advapi32.dll");
        const auto initiate = advapi32 == nullptr ? nullptr
                                                  : reinterpret_cast<Function>(reinterpret_cast<void (*)()>(
                                                        GetProcAddress(advapi32, "InitiateShutdownW")));
        if (initiate == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
        return initiate(nullptr, nullptr, 0, flags, reason);
    }

    std::int32_t CloseHandle(HandleValue handle) override { return ::CloseHandle(ToHandle(handle)); }

    std::uint32_t GetLastError() override { return ::GetLastError(); }
};

}  // namespace

ShutdownApi& SystemShutdownApi() {
    static Win32ShutdownApi api;
    return api;
}

}  // namespace pendrix
