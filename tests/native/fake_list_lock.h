// A stand-in for the list's named mutex. Windows: WaitForSingleObject on a
// mutex gives WAIT_OBJECT_0 when it is free or already the caller's (it
// counts), WAIT_ABANDONED once when its owner ended without releasing it
// (the caller owns it then), WAIT_TIMEOUT when another thread keeps it past
// the time given; ReleaseMutex by a thread that does not own it fails.
// GetSecurityInfo gives the owner the mutex was created with, or that its
// creator set; OpenMutexW fails with 5 when its rules grant too little.
#pragma once

#include <cstdint>

#include "platform/list_lock.h"

namespace pendrix::testing {

class FakeListLock : public ListLockApi {
public:
    // Another process holds it and does not let go.
    bool heldByAnother = false;
    // Its last owner ended while holding it: the next wait has it, abandoned.
    bool abandoned = false;
    // The open fails with this code (0: it opens).
    std::uint32_t openFailure = 0;
    // Its owner: the administrators, as for the mutex Pendrix creates.
    LockOwner owner{"S-1-5-32-544", "BUILTIN\\Administrators"};

    // Observations.
    int waits = 0;
    std::uint32_t lastTimeout = 0;
    int owned = 0;            // times acquired and not yet released
    int badReleases = 0;      // releases without ownership
    // Whether the lock was held at the moment of each registry write, as a
    // test hook sees it.
    bool Held() const { return owned > 0; }

    WinStatus Open(LockOwner& found) override {
        found = owner;
        return static_cast<WinStatus>(openFailure);
    }

    std::uint32_t Wait(std::uint32_t milliseconds, std::uint32_t& status) override {
        ++waits;
        lastTimeout = milliseconds;
        status = 0;
        if (openFailure != 0) {
            status = openFailure;
            return kWaitFailed;
        }
        if (heldByAnother && owned == 0) return kWaitTimeout;
        ++owned;
        if (abandoned) {
            abandoned = false;
            return kWaitAbandoned;
        }
        return kWaitObject0;
    }

    void Release() override {
        if (owned == 0)
            ++badReleases;
        else
            --owned;
    }
};

}  // namespace pendrix::testing
