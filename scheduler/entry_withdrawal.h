// Withdrawing one entry of the pending lists, as list numbers them (the
// first value's entries, then the second's): under the list's mutex, on the
// lists as they are then (scheduler/list_update.h), the entry goes only when
// it is still entry N of the same value, string for string; every other byte
// of both values stays. A copy staged for the entry goes with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "pending_list/pending_entries.h"
#include "pending_list/pending_rename_list.h"
#include "platform/file_system_api.h"
#include "platform/list_lock.h"

namespace pendrix {

enum class WithdrawalOutcome {
    Withdrawn,
    ListUnreadable,  // status: the read that failed
    AnotherForm,     // the value is of a form no write may replace (shape)
    NoSuchEntry,     // the lists hold fewer entries
    OtherSource,     // entry N's source is not the one expected
    ListChanged,     // another program changed the list meanwhile: entry N is another now
    WouldWakeList,   // the list is not closed, and taking the entry out would close it
    WriteRefused,    // status: the write (or the mutex) that failed
    NotChanged,      // status: another Pendrix process kept the list busy (kErrorTimeout), or
                     // other programs' writes undid the change each time (kErrorRetry)
};

struct Withdrawal {
    WithdrawalOutcome outcome = WithdrawalOutcome::ListUnreadable;
    WinStatus status = 0;
    StoredShape shape;
    std::size_t value = 0;  // the value that holds the entry (and the shape)
    // Both lists as first read; the entry is entries.entries[number - 1]
    // when they hold it.
    PendingEntries entries;
};

// Withdraws entry number (from 1); expectedSource, when given, must be its
// source as listed (without "\??\") or its first string as stored.
Withdrawal WithdrawEntry(RegistryRoutines& registry, ListLockApi& lock, FileSystemApi& files, std::size_t number,
                         const std::optional<std::string>& expectedSource);

}  // namespace pendrix
