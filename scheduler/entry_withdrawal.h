// Withdrawing one entry of the pending list, as list numbers it: under the
// list's mutex, on the list as it is then (scheduler/list_update.h), the
// entry goes only when it is still entry N, string for string; every other
// byte of the list stays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "pending_list/pending_entries.h"
#include "pending_list/pending_rename_list.h"
#include "platform/list_lock.h"

namespace pendrix {

enum class WithdrawalOutcome {
    Withdrawn,
    ListUnreadable,  // status: the read that failed
    AnotherForm,     // the value is of a form no write may replace (shape)
    NoSuchEntry,     // the list holds fewer entries
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
    // The list as first read; the entry is entries.entries[number - 1] when
    // the list holds it.
    PendingEntries entries;
};

// Withdraws entry number (from 1); expectedSource, when given, must be its
// source as listed (without "\??\") or its first string as stored.
Withdrawal WithdrawEntry(RegistryRoutines& registry, ListLockApi& lock, std::size_t number,
                         const std::optional<std::string>& expectedSource);

}  // namespace pendrix
