#include "scheduler/entry_withdrawal.h"

#include "pending_list/stored_list.h"

namespace pendrix {
namespace {

// The same stored strings: an entry found again in a list read later.
bool SameEntry(const PendingEntry& a, const PendingEntry& b) {
    return a.first == b.first && a.second == b.second && a.stringCount == b.stringCount;
}

// Whether read can be changed; otherwise result says why not.
bool Changeable(const PendingListRead& read, Withdrawal& result) {
    if (!read.readable) {
        result.outcome = WithdrawalOutcome::ListUnreadable;
        result.status = read.status;
        return false;
    }
    if (HoldsAnotherForm(read)) {
        result.outcome = WithdrawalOutcome::AnotherForm;
        result.shape = read.shape;
        return false;
    }
    return true;
}

}  // namespace

Withdrawal WithdrawEntry(PendingRenameList& list, std::size_t number,
                         const std::optional<std::string>& expectedSource) {
    Withdrawal result;
    const PendingListRead read = list.Read();
    if (!Changeable(read, result)) return result;
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

    // Read again just before the write: another program may have changed the
    // list since.
    const PendingListRead current = list.Read();
    if (!Changeable(current, result)) return result;
    const PendingEntries now = DescribeEntries(current.stored, current.exists);
    if (number > now.entries.size() || !SameEntry(now.entries[number - 1], entry)) {
        result.outcome = WithdrawalOutcome::ListChanged;
        return result;
    }

    PendingListRead withdrawn = current;
    RemoveEntry(withdrawn.stored, now.entries[number - 1]);
    // Taking out the last entry of a list that lacks its closing NUL can
    // leave it closed, and the start-up processing would then carry out
    // entries it ignores now.
    if (!now.closed && IsClosedProperly(withdrawn.stored)) {
        result.outcome = WithdrawalOutcome::WouldWakeList;
        return result;
    }
    // A list left with no string goes, as the start-up processing leaves it:
    // a value of no data makes other programs' additions go wrong.
    withdrawn.exists = !withdrawn.stored.empty();
    const ListWrite written = list.Restore(withdrawn);
    result.outcome = written ? WithdrawalOutcome::Withdrawn : WithdrawalOutcome::WriteRefused;
    result.status = written.status;
    return result;
}

}  // namespace pendrix
