// cls_exitWindows over the real token calls of Wine. Only the restart request
// itself goes to a stand-in: the real one would end this test.
#include <gtest/gtest.h>

#include <windows.h>
#include <reason.h>

#include <vector>

#include "platform/cls_exitWindows.h"
#include "tests/wine/no_restart_shutdown_api.h"

namespace pendrix::wine {
namespace {

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

TEST(ExitWindowsOnWine, EnablesTheShutdownPrivilegeClosesTheTokenAndAsksForAPlannedRestart) {
    SetShutdownPrivilege(false);
    ASSERT_FALSE(ShutdownPrivilegeEnabled()) << "the privilege could not be switched off to begin with";
    NoRestartShutdownApi api;
    EXPECT_EQ(cls_exitWindows(api).ExitWindows(kEwxReboot), 0u);

    EXPECT_TRUE(ShutdownPrivilegeEnabled());
    EXPECT_EQ(api.exitFlags, std::vector<std::uint32_t>{EWX_REBOOT | EWX_FORCEIFHUNG});
    EXPECT_EQ(api.exitReasons, std::vector<std::uint32_t>{SHTDN_REASON_MAJOR_APPLICATION |
                                                          SHTDN_REASON_MINOR_INSTALLATION | SHTDN_REASON_FLAG_PLANNED});
    ASSERT_EQ(api.openedTokens.size(), 1u);
    EXPECT_EQ(api.closedHandles, api.openedTokens);
}

TEST(ExitWindowsOnWine, ARestartFallsBackToExitWindowsExWhereInitiateShutdownIsAStub) {
    NoRestartShutdownApi api;
    EXPECT_EQ(cls_exitWindows(api).Restart(false), 0u);
    EXPECT_EQ(api.initiateFlags, std::vector<std::uint32_t>{SHUTDOWN_RESTART | SHUTDOWN_RESTARTAPPS});
    EXPECT_EQ(api.exitFlags, std::vector<std::uint32_t>{EWX_REBOOT | EWX_FORCEIFHUNG});
}

}  // namespace
}  // namespace pendrix::wine
