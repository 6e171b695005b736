#include "scheduler/entry_withdrawal.h"

#include "pending_list/stored_list.h"
#include "scheduler/list_update.h"

namespace pendrix {
namespace {

// The same stored strings: an entry found again in a list read later.
bool SameEntry(const PendingEntry& a, const PendingEntry& b) {
    return a.first == b.first && a.second == b.second && a.stringCount == b.stringCount;
}

}  // namespace

Withdrawal WithdrawEntry(RegistryRoutines& registry, ListLockApi& lock, std::size_t number,
                         const std::optional<std::string>& expectedSource) {
    Withdrawal result;
    const PendingListRead read = PendingRenameList(registry).Read();
    if (!read.readable) {
        result.status = read.status;
        return result;
    }
    if (HoldsAnotherForm(read)) {
        result.outcome = WithdrawalOutcome::AnotherForm;
        result.shape = read.shape;
        return result;
    }
    result.entries = DescribeEntries(read.stored, read.exists);
    if (number > result.entries.entries.size()) {
        result.outcome = WithdrawalOutcome::NoSuchEntry;
        return result;
    }
    const PendingEntry& entry = result.entries.entries[number - 1];
    if (expectedSource && *expectedSource != entry.source && *expectedSource != entry.first) {
        result.outcome = WithdrawalOutcome::OtherSource;
        return result;
    }

    // Under the mutex, on the list as it is now: another program may have
    // changed it since.
    bool changedMeanwhile = false;
    bool wouldWake = false;
    const auto withdraw = [&](const PendingListRead& current) {
        ListChange change;
        change.kind = ListChange::Kind::Refuse;
        const PendingEntries now = DescribeEntries(current.stored, current.exists);
        changedMeanwhile = number > now.entries.size() || !SameEntry(now.entries[number - 1], entry);
        if (changedMeanwhile) return change;
        const PendingEntry& there = now.entries[number - 1];
        change.data = current.stored;
        RemoveEntry(change.data, there);
        // Taking out the last entry of a list that lacks its closing NUL can
        // leave it closed, and the start-up processing would then carry out
        // entries it ignores now.
        wouldWake = !now.closed && IsClosedProperly(change.data);
        if (wouldWake) return change;
        change.withdrawn.push_back({std::string(there.first), std::string(there.second)});
        // A list left with no string goes, as the start-up processing leaves
        // it: a value of no data makes other programs' additions go wrong.
        change.kind = change.data.empty() ? ListChange::Kind::DeleteValue : ListChange::Kind::Store;
        return change;
    };
    const UpdateResult update = PendingListUpdate(registry, lock).Run(withdraw);
    result.status = update.status;
    switch (update.outcome) {
    case UpdateOutcome::Written: result.outcome = WithdrawalOutcome::Withdrawn; break;
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
