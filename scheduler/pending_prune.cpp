#include "scheduler/pending_prune.h"


#include "registry/reg_file.h"
#include "scheduler/file_names.h"
#include "pending_list/pending_values.h"

namespace pendrix {
namespace {

std::string TwoDigits(int value) { return std::string(1, static_cast<char>('0' + value / 10 % 10)) + static_cast<char>('0' + value % 10); }

}  // namespace

std::string DefaultBackupName(const LocalTime& time) {
    return "pendrix-backup-" + std::to_string(time.year) + TwoDigits(time.month) + TwoDigits(time.day) + "-" +
           TwoDigits(time.hour) + TwoDigits(time.minute) + TwoDigits(time.second) + ".reg";
}

std::string BackupFileBytes(const std::vector<PendingValue>& values) {
    std::vector<RegFileValue> saved;
    for (const PendingValue& value : values) {
        if (!value.read.exists) continue;
        saved.push_back({value.name, value.read.shape.type, StoredBytesOfText(value.read.stored)});
    }
    return RegFileBytes(PendingListKeyPath(), saved);
}

bool PruneResult::WithdrawnFrom(std::size_t v) const {
    for (const std::size_t value : written)
        if (value == v) return true;
    return false;
}

PruneResult PendingPrune::Run(const PruneRequest& request, const PresenceFunction& presence) {
    PruneResult result;
    result.dryRun = request.dryRun;
    // Both values, in the order the start-up processing runs them.
    for (const char* name : kPendingValueNames) {
        result.values.push_back({name, PendingRenameList(registry_, name).Read()});
        const PendingListRead& read = result.values.back().read;
        if (!read.readable) {
            result.outcome = PruneOutcome::ReadFailed;
            result.status = read.status;
            return result;
        }
    }
    // A value of another form is never written, and the start-up
    // processing's reading of it cannot be trusted to judge the other.
    for (const PendingValue& value : result.values)
        if (HoldsAnotherForm(value.read)) {
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

    // The mutex first, held until the last value is written: no backup is
    // left for a change that another Pendrix process keeps from being made.
    const ListLockHold hold(lock_);
    if (hold.Status() != kErrorSuccess) {
        result.outcome = PruneOutcome::UpdateFailed;
        result.update = hold.Status() == kErrorTimeout ? UpdateOutcome::Busy : UpdateOutcome::LockFailed;
        result.status = hold.Status();
        return result;
    }
    // The backup first, of both values: nothing is withdrawn that it does
    // not hold.
    // Named as every file the commands take: a device (NUL, CON) is refused
    // as one, and a folder is said as what it is, not as the access denied
    // or "exists" that creating the file answers.
    const NameResolution backup = ResolveName(request.backupPath, files_, NameUse::File);
    if (backup.problem != NameProblem::None) {
        result.outcome = PruneOutcome::BackupFailed;
        result.status = backup.status != kErrorSuccess ? backup.status : kErrorInvalidName;
        return result;
    }
    std::uint32_t attributes = 0;
    if (files_.Attributes(backup.name.path, attributes) == kErrorSuccess && (attributes & kAttributeDirectory)) {
        result.outcome = PruneOutcome::BackupFailed;
        result.status = kErrorDirectoryNotSupported;
        return result;
    }
    const std::string& full = backup.name.full;
    if (const WinStatus status = files_.CreateNewFile(backup.name.path, BackupFileBytes(result.values));
        status != kErrorSuccess) {
        result.outcome = PruneOutcome::BackupFailed;
        result.status = status;
        return result;
    }
    result.backupPath = full;

    // Each value under the mutex, on the value as it is just before the
    // write: only a value exactly as saved is changed. The first value
    // first; when it cannot be changed, the second is left too.
    for (std::size_t v = 0; v < result.values.size(); ++v) {
        const PendingListRead& saved = result.values[v].read;
        std::vector<const ClassifiedEntry*> taken;
        for (const ClassifiedEntry& entry : result.withdrawn)
            if (entry.value == v) taken.push_back(&entry);
        if (taken.empty()) continue;
        bool changed = false;
        const auto withdraw = [&](const PendingListRead& current) {
            ListChange change;
            changed = current.exists != saved.exists || current.stored != saved.stored;
            if (changed) {
                change.kind = ListChange::Kind::Refuse;
                return change;
            }
            change.data = WithoutEntries(current.stored, taken);
            for (const ClassifiedEntry* entry : taken) change.withdrawn.push_back(entry->pair);
            change.kind = change.data.empty() ? ListChange::Kind::DeleteValue : ListChange::Kind::Store;
            return change;
        };
        const UpdateResult update =
            PendingListUpdate(registry_, lock_, result.values[v].name.c_str()).Run(withdraw);
        result.update = update.outcome;
        result.status = update.status;
        if (update.outcome == UpdateOutcome::Written) {
            result.written.push_back(v);
            continue;
        }
        result.outcome = (update.outcome == UpdateOutcome::NotWritten && changed) ||
                                 update.outcome == UpdateOutcome::AnotherForm
                             ? PruneOutcome::ChangedMeanwhile
                             : PruneOutcome::UpdateFailed;
        return result;
    }
    result.outcome = PruneOutcome::Withdrawn;
    return result;
}

}  // namespace pendrix
