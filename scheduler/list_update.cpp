#include "scheduler/list_update.h"

#include <map>
#include <string_view>
#include <utility>

#include "pending_list/list_sequence.h"

namespace pendrix {
namespace {

using PairCounts = std::map<std::pair<std::string, std::string>, std::size_t>;

PairCounts CountPairs(std::string_view stored) {
    PairCounts counts;
    for (const StoredPair& stored_pair : StoredPairs(stored)) ++counts[{stored_pair.pair.first, stored_pair.pair.second}];
    return counts;
}

}  // namespace

ListChange AppendChange(const PendingListRead& current, const std::vector<RenamePair>& pairs) {
    ListChange change;
    change.kind = ListChange::Kind::Refuse;
    for (const RenamePair& pair : pairs)
        if (!IsStorablePair(pair)) return change;
    change.kind = ListChange::Kind::Store;
    change.data = current.stored;
    for (const RenamePair& pair : pairs) change.data = AppendPairToStored(change.data, pair);
    return change;
}

ListChange RestoreChange(const PendingListRead& snapshot) {
    ListChange change;
    change.kind = ListChange::Kind::Refuse;
    if (!snapshot.readable || HoldsAnotherForm(snapshot)) return change;
    change.kind = snapshot.exists ? ListChange::Kind::Store : ListChange::Kind::DeleteValue;
    change.data = snapshot.stored;
    return change;
}

UpdateResult PendingListUpdate::Append(const std::vector<RenamePair>& pairs) {
    return Run([&](const PendingListRead& current) { return AppendChange(current, pairs); });
}

UpdateResult PendingListUpdate::Restore(const PendingListRead& snapshot) {
    return Run([&](const PendingListRead&) { return RestoreChange(snapshot); });
}

ListLockHold::ListLockHold(ListLockApi& lock) : lock_(lock) {
    std::uint32_t status = 0;
    const std::uint32_t waited = lock_.Wait(kListLockTimeoutMilliseconds, status);
    // An abandoned mutex is had all the same: its owner died, and the list
    // is read afresh under it anyway.
    if (waited == kWaitObject0 || waited == kWaitAbandoned)
        status_ = kErrorSuccess;
    else if (waited == kWaitTimeout)
        status_ = kErrorTimeout;
    else
        status_ = static_cast<std::int32_t>(status != 0 ? status : static_cast<std::uint32_t>(kErrorGenFailure));
}

ListLockHold::~ListLockHold() {
    if (status_ == kErrorSuccess) lock_.Release();
}

bool PendingListUpdate::Kept(const ListChange& change, const PendingListRead& readBack) {
    if (!readBack.readable || HoldsAnotherForm(readBack)) return false;
    // Almost always the list reads back as written: then every pair written
    // is there as often as written, and no withdrawn pair more often, with no
    // need to count them (which costs more than the registry's read and
    // write on a long list). Another program's write in between is counted.
    const std::string_view asWritten =
        change.kind == ListChange::Kind::Store ? std::string_view(change.data) : std::string_view();
    if (readBack.stored == asWritten) return true;
    const PairCounts wanted = CountPairs(change.kind == ListChange::Kind::Store ? change.data : std::string());
    const PairCounts found = CountPairs(readBack.stored);
    for (const auto& [pair, count] : wanted) {
        const auto there = found.find(pair);
        if (there == found.end() || there->second < count) return false;
    }
    for (const RenamePair& pair : change.withdrawn) {
        const auto there = found.find({pair.first, pair.second});
        const auto written = wanted.find({pair.first, pair.second});
        const std::size_t allowed = written == wanted.end() ? 0 : written->second;
        if (there != found.end() && there->second > allowed) return false;
    }
    return true;
}

UpdateResult PendingListUpdate::Run(const ChangeFunction& change) {
    UpdateResult result;
    const ListLockHold hold(lock_);
    if (hold.Status() != kErrorSuccess) {
        result.outcome = hold.Status() == kErrorTimeout ? UpdateOutcome::Busy : UpdateOutcome::LockFailed;
        result.status = hold.Status();
        return result;
    }
    PendingListRead current = list_.Read();
    while (result.attempts < kListWriteAttempts) {
        if (!current.readable) {
            result.outcome = UpdateOutcome::ReadFailed;
            result.status = current.status;
            return result;
        }
        if (HoldsAnotherForm(current)) {
            result.outcome = UpdateOutcome::AnotherForm;
            result.current = std::move(current);
            return result;
        }
        result.change = change(current);
        result.current = std::move(current);
        if (result.change.kind == ListChange::Kind::Nothing || result.change.kind == ListChange::Kind::Refuse) {
            result.outcome = UpdateOutcome::NotWritten;
            return result;
        }
        ++result.attempts;
        const std::int32_t status = result.change.kind == ListChange::Kind::Store ? list_.Store(result.change.data)
                                                                                   : list_.Delete();
        if (status != kErrorSuccess) {
            result.outcome = UpdateOutcome::WriteFailed;
            result.status = status;
            return result;
        }
        current = list_.Read();
        if (Kept(result.change, current)) {
            result.outcome = UpdateOutcome::Written;
            return result;
        }
    }
    result.outcome = UpdateOutcome::NotKept;
    result.status = kErrorRetry;
    return result;
}

}  // namespace pendrix
