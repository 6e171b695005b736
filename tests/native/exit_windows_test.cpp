// cls_exitWindows against a stand-in for the token and shutdown calls, which
// records every call and can refuse any of them.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/cls_exitWindows.h"

namespace pendrix {
namespace {

constexpr HandleValue kPseudoProcess = -1;
constexpr HandleValue kToken = 0x1A4;
constexpr LocallyUniqueId kShutdownLuid{0x13, 0x2B};

class RecordingShutdownApi : public ShutdownApi {
public:
    std::set<std::string> refused;
    std::vector<std::string> calls;

    HandleValue openedProcess = 0;
    std::uint32_t tokenAccess = 0;
    std::string systemName = "not called";
    std::string privilegeName;
    HandleValue adjustedToken = 0;
    bool disableAll = true;
    TokenPrivileges newState;
    std::uint32_t bufferLength = 0;
    std::vector<HandleValue> closed;
    std::vector<std::uint32_t> exitFlags;
    std::uint32_t exitReserved = 99;

    HandleValue GetCurrentProcess() override {
        calls.push_back("GetCurrentProcess");
        return kPseudoProcess;
    }
    std::int32_t OpenProcessToken(HandleValue process, std::uint32_t desiredAccess, HandleValue& token) override {
        calls.push_back("OpenProcessToken");
        openedProcess = process;
        tokenAccess = desiredAccess;
        if (Refuses("OpenProcessToken")) return 0;
        token = kToken;
        return 1;
    }
    std::int32_t LookupPrivilegeValueA(const std::string& system, const std::string& name,
                                      LocallyUniqueId& luid) override {
        calls.push_back("LookupPrivilegeValueA");
        systemName = system;
        privilegeName = name;
        if (Refuses("LookupPrivilegeValueA")) return 0;
        luid = kShutdownLuid;
        return 1;
    }
    std::int32_t AdjustTokenPrivileges(HandleValue token, bool disableAllPrivileges, const TokenPrivileges& state,
                                       std::uint32_t length, TokenPrivileges&, std::uint32_t&) override {
        calls.push_back("AdjustTokenPrivileges");
        adjustedToken = token;
        disableAll = disableAllPrivileges;
        newState = state;
        bufferLength = length;
        return Refuses("AdjustTokenPrivileges") ? 0 : 1;
    }
    std::int32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override {
        calls.push_back("ExitWindowsEx");
        exitFlags.push_back(flags);
        exitReserved = reserved;
        return Refuses("ExitWindowsEx") ? 0 : 1;
    }
    std::int32_t CloseHandle(HandleValue handle) override {
        calls.push_back("CloseHandle");
        closed.push_back(handle);
        return 1;
    }

private:
    bool Refuses(const std::string& call) const { return refused.count(call) != 0; }
};

static_assert(sizeof(TokenPrivileges) == 16, "a one-entry TOKEN_PRIVILEGES on x64");

TEST(ExitWindows, AddsTheForceFlagByOr) {
    struct Case { std::int32_t command; std::uint32_t sent; };
    for (const Case c : {Case{kEwxReboot, 6}, Case{6, 6}, Case{kEwxLogoff, 4}}) {
        RecordingShutdownApi api;
        cls_exitWindows(api).ExitWindows(c.command);
        EXPECT_EQ(api.exitFlags, std::vector<std::uint32_t>{c.sent}) << c.command;
        EXPECT_EQ(api.exitReserved, 0u);
    }
}

TEST(ExitWindows, EnablesTheShutdownPrivilegeThenRequestsTheRestart) {
    RecordingShutdownApi api;
    cls_exitWindows(api).ExitWindows(kEwxReboot);

    EXPECT_EQ(api.calls, (std::vector<std::string>{"GetCurrentProcess", "OpenProcessToken", "LookupPrivilegeValueA",
                                                   "AdjustTokenPrivileges", "CloseHandle", "ExitWindowsEx"}));
    EXPECT_EQ(api.openedProcess, kPseudoProcess);
    EXPECT_EQ(api.tokenAccess, 0x28u);
    EXPECT_EQ(api.systemName, "");
    EXPECT_EQ(api.privilegeName, "SeShutdownPrivilege");
    EXPECT_EQ(api.adjustedToken, kToken);
    EXPECT_FALSE(api.disableAll);
    EXPECT_EQ(api.newState.PrivilegeCount, 1u);
    EXPECT_EQ(api.newState.Privileges[0].Luid.LowPart, kShutdownLuid.LowPart);
    EXPECT_EQ(api.newState.Privileges[0].Luid.HighPart, kShutdownLuid.HighPart);
    EXPECT_EQ(api.newState.Privileges[0].Attributes, 2u);
    EXPECT_EQ(api.bufferLength, 16u);
    EXPECT_EQ(api.closed, std::vector<HandleValue>{kToken});
}

TEST(ExitWindows, ARefusalAtAnyStepLeavesTheCallSilent) {
    for (const char* step : {"OpenProcessToken", "LookupPrivilegeValueA", "AdjustTokenPrivileges", "ExitWindowsEx"}) {
        SCOPED_TRACE(step);
        RecordingShutdownApi api;
        api.refused = {step};
        EXPECT_NO_THROW(cls_exitWindows(api).ExitWindows(kEwxReboot));
        // The later steps run all the same, with zero where a step failed.
        EXPECT_EQ(api.exitFlags, std::vector<std::uint32_t>{6});
        const bool noToken = std::string(step) == "OpenProcessToken";
        EXPECT_EQ(api.adjustedToken, noToken ? 0 : kToken);
        EXPECT_EQ(api.closed, noToken ? std::vector<HandleValue>{} : std::vector<HandleValue>{kToken});
        const bool noLuid = std::string(step) == "LookupPrivilegeValueA";
        EXPECT_EQ(api.newState.Privileges[0].Luid.LowPart, noLuid ? 0u : kShutdownLuid.LowPart);
        EXPECT_EQ(api.newState.Privileges[0].Luid.HighPart, noLuid ? 0 : kShutdownLuid.HighPart);
    }
}

}  // namespace
}  // namespace pendrix
