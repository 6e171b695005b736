// The system's token and shutdown calls, except ExitWindowsEx, which is
// recorded and never restarts the test's Wine session. InitiateShutdownW is
// Wine's own, a stub that answers 120 (dlls/advapi32), and is recorded. It accepts the
// request as Windows does, or refuses it with a given error, leaving that
// error as the thread's last error as Windows would.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/shutdown_api.h"

namespace pendrix::wine {

class NoRestartShutdownApi : public ShutdownApi {
public:
    std::vector<std::uint32_t> exitFlags;
    std::vector<std::uint32_t> exitReasons;
    std::vector<std::uint32_t> initiateFlags;
    std::vector<HandleValue> openedTokens;
    std::vector<HandleValue> closedHandles;
    std::uint32_t refuseExitWith = 0;  // 0: accept

    HandleValue GetCurrentProcess() override { return system_.GetCurrentProcess(); }
    std::int32_t OpenProcessToken(HandleValue process, std::uint32_t access, HandleValue& token) override {
        const std::int32_t status = Keep(system_.OpenProcessToken(process, access, token));
        if (status != 0) openedTokens.push_back(token);
        return status;
    }
    std::int32_t LookupPrivilegeValueA(const std::string& systemName, const std::string& name,
                                       LocallyUniqueId& luid) override {
        return Keep(system_.LookupPrivilegeValueA(systemName, name, luid));
    }
    std::int32_t AdjustTokenPrivileges(HandleValue token, bool disableAll, const TokenPrivileges& newState,
                                       std::uint32_t length, TokenPrivileges& previous,
                                       std::uint32_t& returnLength) override {
        return Keep(system_.AdjustTokenPrivileges(token, disableAll, newState, length, previous, returnLength));
    }
    std::int32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
        exitFlags.push_back(flags);
        exitReasons.push_back(reason);
        lastError_ = refuseExitWith;
        return refuseExitWith == 0 ? 1 : 0;
    }
    std::uint32_t InitiateShutdownW(std::uint32_t flags, std::uint32_t reason) override {
        initiateFlags.push_back(flags);
        return system_.InitiateShutdownW(flags, reason);
    }
    std::int32_t CloseHandle(HandleValue handle) override {
        closedHandles.push_back(handle);
        return Keep(system_.CloseHandle(handle));
    }
    std::uint32_t GetLastError() override { return lastError_; }

private:
    // The last error as the real call left it.
    std::int32_t Keep(std::int32_t status) {
        lastError_ = system_.GetLastError();
        return status;
    }

    ShutdownApi& system_ = SystemShutdownApi();
    std::uint32_t lastError_ = 0;
};

}  // namespace pendrix::wine
