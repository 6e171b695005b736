// Every read-change-write of the pending list: under the mutex that
// Pendrix's processes share (platform/list_lock.h), held only around the
// read, the write and the read-back; then the list is read back, and the
// change must be there and every entry that was there before still be
// (but those withdrawn on purpose). Another program, which does not take
// the mutex, may write a list it read before this write and so drop it:
// the change is then made again on the list as it is now, a bounded number
// of times, and otherwise reported as not kept, never as done.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/list_lock.h"
#include "scheduler/pending_rename_list.h"

namespace pendrix {

// How many times a change is made before it is reported as not kept.
inline constexpr int kListWriteAttempts = 5;

// What a change makes of the list as read under the mutex.
struct ListChange {
    enum class Kind {
        Store,        // write data
        DeleteValue,  // delete the value: the list is left with no entry
        Nothing,      // write nothing: the list already is as asked
        Refuse,       // write nothing: the change no longer fits the list
    } kind = Kind::Nothing;
    std::string data;
    // The entries the change takes out on purpose: after the write they are
    // there no more often than in data.
    std::vector<RenamePair> withdrawn;
};

// Given the list as read (readable, of the form a write may replace).
using ChangeFunction = std::function<ListChange(const PendingListRead& current)>;

enum class UpdateOutcome {
    Written,      // the change is in the list, and was read back so
    NotWritten,   // the change asked for no write (Nothing or Refuse)
    ReadFailed,   // the list could not be read (status)
    AnotherForm,  // the value is of a form no write may replace (current.shape)
    WriteFailed,  // Windows refused the write (status)
    Busy,         // another Pendrix process held the mutex past the timeout (status kErrorTimeout)
    LockFailed,   // the mutex could not be had at all (status)
    NotKept,      // the read-back never showed the change kept (status kErrorRetry)
};

struct UpdateResult {
    UpdateOutcome outcome = UpdateOutcome::NotWritten;
    std::int32_t status = 0;
    PendingListRead current;  // the list as last read before a write
    ListChange change;        // what the change made of it
    int attempts = 0;
};

class PendingListUpdate {
public:
    // On the first list, or, given its name, on the second.
    PendingListUpdate(RegistryRoutines& registry, ListLockApi& lock, const char* valueName = kPendingValueName)
        : list_(registry, valueName), lock_(lock) {}

    UpdateResult Run(const ChangeFunction& change);

private:
    // Whether the list read back keeps change over what current held.
    static bool Kept(const ListChange& change, const PendingListRead& readBack);

    PendingRenameList list_;
    ListLockApi& lock_;
};

// Holds the list's mutex for a scope: status is 0 when it was had (also
// from an owner that died), kErrorTimeout when another kept it past the
// timeout, else the Windows code.
class ListLockHold {
public:
    explicit ListLockHold(ListLockApi& lock);
    ~ListLockHold();
    ListLockHold(const ListLockHold&) = delete;
    ListLockHold& operator=(const ListLockHold&) = delete;
    std::int32_t Status() const noexcept { return status_; }

private:
    ListLockApi& lock_;
    std::int32_t status_ = 0;
};

}  // namespace pendrix
