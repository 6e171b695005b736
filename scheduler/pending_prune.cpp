#include "scheduler/pending_prune.h"


#include "registry/reg_file.h"

namespace pendrix {
namespace {

std::string TwoDigits(int value) { return std::string(1, static_cast<char>('0' + value / 10 % 10)) + static_cast<char>('0' + value % 10); }

}  // namespace

std::string DefaultBackupName(const LocalTime& time) {
    return "pendrix-backup-" + std::to_string(time.year) + TwoDigits(time.month) + TwoDigits(time.day) + "-" +
           TwoDigits(time.hour) + TwoDigits(time.minute) + TwoDigits(time.second) + ".reg";
}

std::string BackupFileBytes(const PendingValue& value) {
    RegFileValue saved;
    saved.name = value.name;
    saved.type = value.read.shape.type;
    saved.data = StoredBytesOfText(value.read.stored);
    return RegFileBytes(PendingListKeyPath(), {saved});
}

PruneResult PendingPrune::Run(const PruneRequest& request, const PresenceFunction& presence) {
    PruneResult result;
    PendingValue first{kPendingValueName, PendingRenameList(registry_).Read()};
    result.values.push_back(first);
    if (!first.read.readable) {
        result.outcome = PruneOutcome::ReadFailed;
        result.status = first.read.status;
        return result;
    }
    if (HoldsAnotherForm(first.read)) {
        result.outcome = PruneOutcome::AnotherForm;
        result.status = kErrorInvalidData;
        return result;
    }
    result.entries = ClassifyEntries(result.values, presence);
    for (const ClassifiedEntry& entry : result.entries)
        if (entry.effect == EntryClass::NoEffect) result.withdrawn.push_back(entry);
    if (result.withdrawn.empty()) return result;
    if (request.dryRun) {
        result.outcome = PruneOutcome::WouldWithdraw;
        return result;
    }

    // The backup first: nothing is withdrawn that it does not hold.
    std::string full;
    if (const std::uint32_t status = files_.FullPath(request.backupPath, full); status != kErrorSuccess) {
        result.outcome = PruneOutcome::BackupFailed;
        result.status = static_cast<std::int32_t>(status);
        return result;
    }
    if (const std::uint32_t status = files_.CreateNewFile(full, BackupFileBytes(first)); status != kErrorSuccess) {
        result.outcome = PruneOutcome::BackupFailed;
        result.status = static_cast<std::int32_t>(status);
        return result;
    }
    result.backupPath = full;

    // Under the mutex, on the list as it is just before the write: only the
    // value exactly as saved is changed.
    std::vector<const ClassifiedEntry*> taken;
    for (const ClassifiedEntry& entry : result.withdrawn) taken.push_back(&entry);
    bool changed = false;
    const auto withdraw = [&](const PendingListRead& current) {
        ListChange change;
        changed = current.exists != first.read.exists || current.stored != first.read.stored;
        if (changed) {
            change.kind = ListChange::Kind::Refuse;
            return change;
        }
        change.data = WithoutEntries(current.stored, taken);
        for (const ClassifiedEntry* entry : taken) change.withdrawn.push_back(entry->pair);
        change.kind = change.data.empty() ? ListChange::Kind::DeleteValue : ListChange::Kind::Store;
        return change;
    };
    const UpdateResult update = PendingListUpdate(registry_, lock_).Run(withdraw);
    result.update = update.outcome;
    result.status = update.status;
    if (update.outcome == UpdateOutcome::Written)
        result.outcome = PruneOutcome::Withdrawn;
    else if (update.outcome == UpdateOutcome::NotWritten && changed)
        result.outcome = PruneOutcome::ChangedMeanwhile;
    else if (update.outcome == UpdateOutcome::AnotherForm)
        result.outcome = PruneOutcome::ChangedMeanwhile;
    else
        result.outcome = PruneOutcome::UpdateFailed;
    return result;
}

}  // namespace pendrix
