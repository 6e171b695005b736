// The list's mutex as the commands take it: only one that SYSTEM or the
// administrators own is waited on. Its name lives in the global namespace,
// where any account may create it first: a mutex another account owns, or
// one whose rules keep the administrators out, would let that account stop
// every change (or hold it for ever). Then the command goes on without the
// mutex; the read-back of every change (scheduler/list_update.h), with its
// bounded retries, still catches a write that undid it. That is said once.
#pragma once

#include <string>

#include "platform/list_lock.h"

namespace pendrix {

// The owners a mutex may have: SYSTEM and the administrators.
inline constexpr char kSystemSid[] = "S-1-5-18";
inline constexpr char kAdministratorsSid[] = "S-1-5-32-544";

// "Pendrix's lock is held by another account (DOMAIN\user); going on
// without it, every change read back." The account left out when empty.
std::string ForeignLockNotice(const std::string& account);

class TrustedListLock final : public ListLockApi {
public:
    explicit TrustedListLock(ListLockApi& mutex) : mutex_(mutex) {}

    WinStatus Open(LockOwner& owner) override { return mutex_.Open(owner); }
    // The mutex's wait when its owner is trusted; kWaitObject0 at once, the
    // mutex left alone, when it is not.
    std::uint32_t Wait(std::uint32_t milliseconds, std::uint32_t& status) override;
    void Release() override;

    // The notice, the first time it is asked after a wait went on without
    // the mutex; empty otherwise.
    std::string TakeNotice();

private:
    ListLockApi& mutex_;
    bool without_ = false;  // the last wait went on without the mutex
    bool noticed_ = false;  // a wait went on without it
    bool told_ = false;     // the notice was taken
    std::string account_;
};

}  // namespace pendrix
