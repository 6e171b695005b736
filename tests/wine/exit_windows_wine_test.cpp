// cls_exitWindows over the real token calls of Wine. Only the restart request
// itself goes to a stand-in: the real one would end this test.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "platform/cls_exitWindows.h"

namespace pendrix::wine {
namespace {

// Forwards every call to the system, except ExitWindowsEx, which it records.
class NoRestartShutdownApi : public ShutdownApi {
public:
    std::vector<std::uint32_t> exitFlags;
    std::vector<HandleValue> openedTokens;
    std::vector<HandleValue> closedHandles;

    HandleValue GetCurrentProcess() override { return system_.GetCurrentProcess(); }
    std::int32_t OpenProcessToken(HandleValue process, std::uint32_t access, HandleValue& token) override {
        const std::int32_t status = system_.OpenProcessToken(process, access, token);
        if (status != 0) openedTokens.push_back(token);
        return status;
    }
    std::int32_t LookupPrivilegeValueA(const std::string& systemName, const std::string& name,
                                       LocallyUniqueId& luid) override {
        return system_.LookupPrivilegeValueA(systemName, name, luid);
    }
    std::int32_t AdjustTokenPrivileges(HandleValue token, bool disableAll, const TokenPrivileges& newState,
                                       std::uint32_t length, TokenPrivileges& previous,
                                       std::uint32_t& returnLength) override {
        return system_.AdjustTokenPrivileges(token, disableAll, newState, length, previous, returnLength);
    }
    std::int32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t) override {
        exitFlags.push_back(flags);
        return 1;
    }
    std::int32_t CloseHandle(HandleValue handle) override {
        closedHandles.push_back(handle);
        return system_.CloseHandle(handle);
    }
    std::uint32_t GetLastError() override { return system_.GetLastError(); }

private:
    ShutdownApi& system_ = SystemShutdownApi();
};

LUID ShutdownLuid() {
    LUID luid{};
    EXPECT_TRUE(::LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &luid));
    return luid;
}

void SetShutdownPrivilege(bool enable) {
    HANDLE token = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
    TOKEN_PRIVILEGES change{};
    change.PrivilegeCount = 1;
    change.Privileges[0].Luid = ShutdownLuid();
    change.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    EXPECT_TRUE(::AdjustTokenPrivileges(token, FALSE, &change, 0, nullptr, nullptr));
    ::CloseHandle(token);
}

bool ShutdownPrivilegeEnabled() {
    HANDLE token = nullptr;
    EXPECT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
    PRIVILEGE_SET query{};
    query.PrivilegeCount = 1;
    query.Control = PRIVILEGE_SET_ALL_NECESSARY;
    query.Privilege[0].Luid = ShutdownLuid();
    BOOL held = FALSE;
    EXPECT_TRUE(::PrivilegeCheck(token, &query, &held));
    ::CloseHandle(token);
    return held != FALSE;
}

TEST(ExitWindowsOnWine, EnablesTheShutdownPrivilegeClosesTheTokenAndAsksForAForcedRestart) {
    SetShutdownPrivilege(false);
    ASSERT_FALSE(ShutdownPrivilegeEnabled()) << "the privilege could not be switched off to begin with";
    NoRestartShutdownApi api;
    EXPECT_EQ(cls_exitWindows(api).ExitWindows(kEwxReboot), 0u);

    EXPECT_TRUE(ShutdownPrivilegeEnabled());
    EXPECT_EQ(api.exitFlags, std::vector<std::uint32_t>{EWX_REBOOT | EWX_FORCE});
    ASSERT_EQ(api.openedTokens.size(), 1u);
    EXPECT_EQ(api.closedHandles, api.openedTokens);
}

}  // namespace
}  // namespace pendrix::wine
