#include "scheduler/entry_withdrawal.h"

#include "pending_list/pending_values.h"
#include "pending_list/stored_list.h"
#include "scheduler/staged_copy.h"
#include "scheduler/list_update.h"

namespace pendrix {
namespace {

// The same stored strings in the same value: an entry found again in a
// list read later.
bool SameEntry(const PendingEntry& a, const PendingEntry& b) {
    return a.value == b.value && a.first == b.first && a.second == b.second && a.stringCount == b.stringCount;
}

}  // namespace

Withdrawal WithdrawEntry(RegistryRoutines& registry, ListLockApi& lock, FileSystemApi& files, std::size_t number,
                         const std::optional<std::string>& expectedSource) {
    Withdrawal result;
    const PendingValues read = ReadPendingValues(registry);
    for (const PendingListRead& value : read.values) {
        if (value.readable) continue;
        result.status = value.status;
        return result;
    }
    result.entries = DescribeValues(read);
    if (number > result.entries.entries.size()) {
        result.outcome = WithdrawalOutcome::NoSuchEntry;
        return result;
    }
    const PendingEntry& entry = result.entries.entries[number - 1];
    const std::size_t value = entry.value;
    result.value = value;
    if (HoldsAnotherForm(read[value])) {
        result.outcome = WithdrawalOutcome::AnotherForm;
        result.shape = read[value].shape;
        return result;
    }
    if (expectedSource && *expectedSource != entry.source && *expectedSource != entry.first) {
        result.outcome = WithdrawalOutcome::OtherSource;
        return result;
    }

    // Under the mutex, on the lists as they are now: another program may
    // have changed them since.
    bool wouldWake = false;
    const auto withdraw = [&](const PendingListRead& current) {
        ListChange change;
        change.kind = ListChange::Kind::Refuse;
        PendingValues values = ReadPendingValues(registry);
        values[value] = current;
        const PendingEntries now = DescribeValues(values);
        if (!values[1 - value].readable || number > now.entries.size() || !SameEntry(now.entries[number - 1], entry))
            return change;
        const PendingEntry& there = now.entries[number - 1];
        change.data = current.stored;
        RemoveEntry(change.data, there);
        // Taking out the last entry of a list that lacks its closing NUL can
        // leave it closed, and the start-up processing would then carry out
        // entries it ignores now.
        wouldWake = !now.Value(value).closed && IsClosedProperly(change.data);
        if (wouldWake) return change;
        change.withdrawn.push_back({std::string(there.first), std::string(there.second)});
        // A list left with no string goes, as the start-up processing leaves
        // it: a value of no data makes other programs' additions go wrong.
        change.kind = change.data.empty() ? ListChange::Kind::DeleteValue : ListChange::Kind::Store;
        return change;
    };
    const UpdateResult update = PendingListUpdate(registry, lock, kPendingValueNames[value]).Run(withdraw);
    result.status = update.status;
    switch (update.outcome) {
    case UpdateOutcome::Written:
        result.outcome = WithdrawalOutcome::Withdrawn;
        RemoveStagedCopies(files, update.change.withdrawn);
        break;
    case UpdateOutcome::ReadFailed: result.outcome = WithdrawalOutcome::ListUnreadable; break;
    case UpdateOutcome::AnotherForm:
        result.outcome = WithdrawalOutcome::AnotherForm;
        result.shape = update.current.shape;
        break;
    case UpdateOutcome::Busy:
    case UpdateOutcome::NotKept: result.outcome = WithdrawalOutcome::NotChanged; break;
    case UpdateOutcome::WriteFailed:
    case UpdateOutcome::LockFailed: result.outcome = WithdrawalOutcome::WriteRefused; break;
    case UpdateOutcome::NotWritten:
        result.outcome = wouldWake ? WithdrawalOutcome::WouldWakeList : WithdrawalOutcome::ListChanged;
        break;
    }
    return result;
}

}  // namespace pendrix
