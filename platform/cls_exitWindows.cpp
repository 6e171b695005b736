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

void cls_exitWindows::ExitWindows(std::int32_t l_Command) {
    EnableShutdownPrivilege();
    api_->ExitWindowsEx(static_cast<std::uint32_t>(l_Command | kEwxForce), 0);
}

void cls_exitWindows::EnableShutdownPrivilege() {
    // No step looks at the result of the one before: a refused step leaves
    // zero in its place and the steps after it fail in turn, silently.
    TokenHandle token(*api_);
    api_->OpenProcessToken(api_->GetCurrentProcess(), kTokenAdjustPrivileges | kTokenQuery, token.Receive());

    LocallyUniqueId luid;
    api_->LookupPrivilegeValueA("", kShutdownPrivilegeName, luid);

    TokenPrivileges newState;
    newState.PrivilegeCount = 1;
    newState.Privileges[0].Luid = luid;
    newState.Privileges[0].Attributes = kSePrivilegeEnabled;
    TokenPrivileges previousState;
    std::uint32_t returnLength = 0;
    api_->AdjustTokenPrivileges(token.Get(), false, newState, static_cast<std::uint32_t>(sizeof(newState)),
                                previousState, returnLength);
}

}  // namespace pendrix
