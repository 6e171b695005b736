#include "platform/cls_exitWindows.h"

namespace pendrix {
namespace {

// The process token, closed when the call is done with it. Zero when it
// could not be opened; the steps after run with zero all the same.
class TokenHandle {
public:
    explicit TokenHandle(ShutdownApi& api) : api_(api) {}
    ~TokenHandle() {
        if (value_ != 0) api_.CloseHandle(value_);
    }
    TokenHandle(const TokenHandle&) = delete;
    TokenHandle& operator=(const TokenHandle&) = delete;

    HandleValue& Receive() noexcept { return value_; }
    HandleValue Get() const noexcept { return value_; }

private:
    ShutdownApi& api_;
    HandleValue value_ = 0;
};

}  // namespace

std::uint32_t cls_exitWindows::ExitWindows(std::int32_t l_Command, std::uint32_t reason) {
    const std::uint32_t privilegeError = EnableShutdownPrivilege();
    if (api_->ExitWindowsEx(static_cast<std::uint32_t>(l_Command | kEwxForceIfHung), reason) != 0) return 0;
    const std::uint32_t requestError = RefusalCode();
    return privilegeError != 0 ? privilegeError : requestError;
}

std::uint32_t cls_exitWindows::Restart(bool endOthers, std::uint32_t reason) {
    const std::uint32_t privilegeError = EnableShutdownPrivilege();
    const std::uint32_t flags = kShutdownRestart | kShutdownRestartApps | (endOthers ? kShutdownForceOthers : 0);
    const std::uint32_t status = api_->InitiateShutdownW(flags, reason);
    if (status == kErrorSuccess) return 0;
    if (status == static_cast<std::uint32_t>(kErrorCallNotImplemented)) return ExitWindows(kEwxReboot, reason);
    if (status == static_cast<std::uint32_t>(kErrorShutdownUsersLoggedOn)) return status;
    return privilegeError != 0 ? privilegeError : status;
}

std::uint32_t cls_exitWindows::RefusalCode() {
    const std::uint32_t code = api_->GetLastError();
    return code != 0 ? code : kErrorGenFailure;
}

std::uint32_t cls_exitWindows::EnableShutdownPrivilege() {
    // No step is skipped because of the one before: a refused step leaves
    // zero in its place and the steps after it fail in turn. The first
    // refusal is kept as the cause.
    std::uint32_t firstError = 0;
    const auto note = [&](std::int32_t status) {
        if (status == 0 && firstError == 0) firstError = RefusalCode();
    };
    TokenHandle token(*api_);
    note(api_->OpenProcessToken(api_->GetCurrentProcess(), kTokenAdjustPrivileges | kTokenQuery, token.Receive()));

    LocallyUniqueId luid;
    note(api_->LookupPrivilegeValueA("", kShutdownPrivilegeName, luid));

    TokenPrivileges newState;
    newState.PrivilegeCount = 1;
    newState.Privileges[0].Luid = luid;
    newState.Privileges[0].Attributes = kSePrivilegeEnabled;
    TokenPrivileges previousState;
    std::uint32_t returnLength = 0;
    const std::int32_t adjusted = api_->AdjustTokenPrivileges(
        token.Get(), false, newState, static_cast<std::uint32_t>(sizeof(newState)), previousState, returnLength);
    if (adjusted != 0) {
        // Success with ERROR_NOT_ALL_ASSIGNED: the token lacks the privilege.
        const std::uint32_t lastError = api_->GetLastError();
        if (lastError == kErrorNotAllAssigned && firstError == 0) firstError = lastError;
    } else {
        note(adjusted);
    }
    return firstError;
}

}  // namespace pendrix
