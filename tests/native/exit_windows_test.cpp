// cls_exitWindows against a stand-in for the token and shutdown calls, which
// records every call and can refuse any of them, leaving a last error as
// Windows does. A step after a refused one gets what the refusal left (no
// token, a zero LUID) and answers it as Windows does.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/cls_exitWindows.h"

namespace pendrix {
namespace {

constexpr HandleValue kPseudoProcess = -1;
constexpr HandleValue kToken = 0x1A4;
constexpr LocallyUniqueId kShutdownLuid{0x13, 0x2B};
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorNotAllAssigned = 1300;
// The last error each refusal leaves (ERROR_ACCESS_DENIED, ERROR_NO_SUCH_PRIVILEGE,
// ERROR_INVALID_HANDLE, ERROR_PRIVILEGE_NOT_HELD).
const std::map<std::string, std::uint32_t> kRefusalErrors = {
    {"OpenProcessToken", 5}, {"LookupPrivilegeValueA", 1313}, {"AdjustTokenPrivileges", kErrorInvalidHandle}, {"ExitWindowsEx", 1314}};

class RecordingShutdownApi : public ShutdownApi {
public:
    std::set<std::string> refused;
    // AdjustTokenPrivileges succeeds but assigns nothing: the token lacks
    // the privilege.
    bool privilegeNotHeld = false;
    std::vector<std::string> calls;
    std::uint32_t lastError = 0;

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
    std::uint32_t exitReason = 99;
    std::vector<std::uint32_t> initiateFlags;
    bool othersSignedIn = false;
    std::uint32_t initiateAnswer = 0;

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
        if (Refuses("AdjustTokenPrivileges")) return 0;
        if (token != kToken) {
            lastError = kErrorInvalidHandle;
            return 0;
        }
        // It sets the last error on success too: 0, or ERROR_NOT_ALL_ASSIGNED
        // when the token lacks the privilege (a zero LUID names none it has).
        const LocallyUniqueId& luid = state.Privileges[0].Luid;
        const bool named = luid.LowPart == kShutdownLuid.LowPart && luid.HighPart == kShutdownLuid.HighPart;
        lastError = privilegeNotHeld || !named ? kErrorNotAllAssigned : 0;
        return 1;
    }
    std::int32_t ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
        calls.push_back("ExitWindowsEx");
        exitFlags.push_back(flags);
        exitReason = reason;
        return Refuses("ExitWindowsEx") ? 0 : 1;
    }
    // Windows returns 0 when it accepts, ERROR_SHUTDOWN_USERS_LOGGED_ON without
    // SHUTDOWN_FORCE_OTHERS while others are signed in; a stub returns 120.
    std::uint32_t InitiateShutdownW(std::uint32_t flags, std::uint32_t reason) override {
        calls.push_back("InitiateShutdownW");
        initiateFlags.push_back(flags);
        exitReason = reason;
        return othersSignedIn && (flags & kShutdownForceOthers) == 0 ? 1191 : initiateAnswer;
    }
    std::uint32_t GetLastError() override { return lastError; }
    std::int32_t CloseHandle(HandleValue handle) override {
        calls.push_back("CloseHandle");
        closed.push_back(handle);
        return 1;
    }

private:
    bool Refuses(const std::string& call) {
        if (refused.count(call) == 0) return false;
        lastError = kRefusalErrors.at(call);
        return true;
    }
};

static_assert(sizeof(TokenPrivileges) == 16, "a one-entry TOKEN_PRIVILEGES on x64");

// Programs are asked to close, never forced: EWX_FORCEIFHUNG (0x10) is
// added by OR, EWX_FORCE (4) only when the caller asks for it; the reason is
// a planned installation by an application, or the caller's.
TEST(ExitWindows, AsksProgramsToCloseWithAPlannedReason) {
    struct Case { std::int32_t command; std::uint32_t sent; };
    for (const Case c : {Case{kEwxReboot, 0x12}, Case{0x12, 0x12}, Case{kEwxLogoff, 0x10}, Case{6, 0x16}}) {
        RecordingShutdownApi api;
        EXPECT_EQ(cls_exitWindows(api).ExitWindows(c.command), 0u);
        EXPECT_EQ(api.exitFlags, std::vector<std::uint32_t>{c.sent}) << c.command;
        EXPECT_EQ(api.exitReason, 0x80040002u) << "SHTDN_REASON_MAJOR_APPLICATION | MINOR_INSTALLATION | FLAG_PLANNED";
    }
    RecordingShutdownApi api;
    cls_exitWindows(api).ExitWindows(kEwxReboot, 0x80020003u);
    EXPECT_EQ(api.exitReason, 0x80020003u);
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

TEST(ExitWindows, ARefusalAtAnyStepRunsTheRestAndReportsTheFirstRefusedStep) {
    for (const char* step : {"OpenProcessToken", "LookupPrivilegeValueA", "AdjustTokenPrivileges", "ExitWindowsEx"}) {
        SCOPED_TRACE(step);
        RecordingShutdownApi api;
        api.refused = {step, "ExitWindowsEx"};
        EXPECT_EQ(cls_exitWindows(api).ExitWindows(kEwxReboot), kRefusalErrors.at(step));
        // The later steps run all the same, with zero where a step failed.
        EXPECT_EQ(api.exitFlags, std::vector<std::uint32_t>{0x12});
        const bool noToken = std::string(step) == "OpenProcessToken";
        EXPECT_EQ(api.adjustedToken, noToken ? 0 : kToken);
        EXPECT_EQ(api.closed, noToken ? std::vector<HandleValue>{} : std::vector<HandleValue>{kToken});
        const bool noLuid = std::string(step) == "LookupPrivilegeValueA";
        EXPECT_EQ(api.newState.Privileges[0].Luid.LowPart, noLuid ? 0u : kShutdownLuid.LowPart);
        EXPECT_EQ(api.newState.Privileges[0].Luid.HighPart, noLuid ? 0 : kShutdownLuid.HighPart);
    }
}

TEST(ExitWindows, AcceptedRequestReportsSuccessEvenAfterAPrivilegeRefusal) {
    // The system went ahead with the restart: nothing to tell the user.
    RecordingShutdownApi api;
    api.refused = {"OpenProcessToken"};
    EXPECT_EQ(cls_exitWindows(api).ExitWindows(kEwxReboot), 0u);
}

TEST(ExitWindows, APrivilegeTheTokenLacksIsTheReportedCause) {
    RecordingShutdownApi api;
    api.privilegeNotHeld = true;
    api.refused = {"ExitWindowsEx"};
    EXPECT_EQ(cls_exitWindows(api).ExitWindows(kEwxReboot), kErrorNotAllAssigned);
}

// Other sessions end only when asked for; a stub falls back to ExitWindowsEx.
TEST(ExitWindows, RestartAsksForOtherUsersOnlyWhenTheyAreSignedIn) {
    const struct {
        const char* what;
        bool othersSignedIn, endOthers;
        std::uint32_t answer, result, initiated;
        std::vector<std::uint32_t> exitFlags;
    } cases[] = {
        {"alone", false, false, 0, 0, 0x84, {}},
        {"others signed in", true, false, 0, 1191, 0x84, {}},
        {"others signed in, ended", true, true, 0, 0, 0x85, {}},
        {"a stub", false, false, 120, 0, 0x84, {0x12}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingShutdownApi api;
        api.othersSignedIn = c.othersSignedIn;
        api.initiateAnswer = c.answer;
        EXPECT_EQ(cls_exitWindows(api).Restart(c.endOthers), c.result);
        EXPECT_EQ(api.initiateFlags, std::vector<std::uint32_t>{c.initiated});
        EXPECT_EQ(api.exitFlags, c.exitFlags);
        EXPECT_EQ(api.exitReason, 0x80040002u);
    }
}

}  // namespace
}  // namespace pendrix
