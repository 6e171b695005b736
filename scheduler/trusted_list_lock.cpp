#include "scheduler/trusted_list_lock.h"

namespace pendrix {

std::string ForeignLockNotice(const std::string& account) {
    return "Pendrix's lock is held by another account" + (account.empty() ? std::string() : " (" + account + ")") +
           "; going on without it, every change read back.";
}

std::uint32_t TrustedListLock::Wait(std::uint32_t milliseconds, std::uint32_t& status) {
    LockOwner owner;
    const WinStatus opened = mutex_.Open(owner);
    status = static_cast<std::uint32_t>(opened);
    // Without the administrators' rights no owner could be given to a new
    // one: the change fails as a refused one does.
    if (opened == kErrorInvalidOwner) {
        status = static_cast<std::uint32_t>(kErrorAccessDenied);
        return kWaitFailed;
    }
    // Kept out by its rules, or the name taken by another kind of object.
    const bool refused = opened == kErrorAccessDenied || opened == kErrorInvalidHandle;
    if (opened != kErrorSuccess && !refused) return kWaitFailed;
    without_ = refused || (owner.sid != kSystemSid && owner.sid != kAdministratorsSid);
    if (!without_) return mutex_.Wait(milliseconds, status);
    noticed_ = true;
    account_ = refused ? std::string() : (owner.account.empty() ? owner.sid : owner.account);
    status = 0;
    return kWaitObject0;
}

void TrustedListLock::Release() {
    if (!without_) mutex_.Release();
}

std::string TrustedListLock::TakeNotice() {
    if (!noticed_ || told_) return std::string();
    told_ = true;
    return ForeignLockNotice(account_);
}

}  // namespace pendrix
