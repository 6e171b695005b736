// The seam around the named mutex that serialises every read-change-write
// of the pending list among Pendrix's own processes (the window, any number
// of console tools). Other programs do not take it; the read-back after each
// write catches what they undo. The Windows build uses a kernel mutex in
// the global namespace, so that processes of every session meet there; the
// native tests plug in a stand-in that answers as WaitForSingleObject does.
// Any account may create a name there: who owns the mutex is told, and the
// core judges it (scheduler/trusted_list_lock.h).
#pragma once

#include <cstdint>
#include <string>

#include "common/windows_codes.h"

namespace pendrix {

// The mutex's name: the same in every version, or two versions side by
// side would not exclude each other.
inline constexpr char kListMutexName[] = "Global\\Pendrix.PendingFileRenameOperations";

// How long a command waits for another Pendrix process to finish its
// read and write of the list before it says so and gives up.
inline constexpr std::uint32_t kListLockTimeoutMilliseconds = 5000;

// WaitForSingleObject's answers (winbase.h).
inline constexpr std::uint32_t kWaitObject0 = 0x0;         // WAIT_OBJECT_0: acquired
inline constexpr std::uint32_t kWaitAbandoned = 0x80;      // WAIT_ABANDONED: acquired; its last owner died
inline constexpr std::uint32_t kWaitTimeout = 0x102;       // WAIT_TIMEOUT: another still holds it
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;   // WAIT_FAILED: see GetLastError

// The mutex's owner, as GetSecurityInfo and LookupAccountSidW give it.
struct LockOwner {
    std::string sid;      // "S-1-5-32-544"; empty when it could not be read
    std::string account;  // "DOMAIN\\user"; empty when no name was found
};

class ListLockApi {
public:
    virtual ~ListLockApi() = default;
    // Opens the mutex, creating it when no process has it yet with rules
    // that let only SYSTEM and the administrators at it, the administrators
    // its owner; once for the process. 0 and its owner, or the Windows code:
    // 5 when its rules keep this account out, 6 when the name is another
    // kind of object, 1307 when this process runs without the
    // administrators' rights (it may neither make them an owner nor open
    // their mutex).
    virtual WinStatus Open(LockOwner& owner) = 0;
    // Opens the mutex (creating it when no process has it yet) and waits
    // for it at most milliseconds: one of the kWait values. For kWaitFailed,
    // status is the Windows code of the open or the wait.
    virtual std::uint32_t Wait(std::uint32_t milliseconds, std::uint32_t& status) = 0;
    // ReleaseMutex, after a Wait that acquired it, on the same thread.
    virtual void Release() = 0;
};

// The mutex of this computer (Windows build only).
ListLockApi& SystemListLock();

}  // namespace pendrix
