// Withdraws the entries of the pending list that can have no effect (a
// deletion of a file that is not there, a rename whose source is gone), so
// that checks for a pending restart stop answering yes for nothing. Entries
// that take effect or are never reached stay, as does a value of another
// form. Before the write the value is saved as a .reg file that `reg import`
// puts back byte for byte; the write is made only on the value exactly as
// saved, under the list's mutex, and read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system_api.h"
#include "platform/list_lock.h"
#include "platform/system_clock_api.h"
#include "registry/RegistryRoutines.h"
#include "scheduler/list_update.h"
#include "pending_list/pending_verdict.h"

namespace pendrix {

// "pendrix-backup-YYYYMMDD-HHMMSS.reg".
std::string DefaultBackupName(const LocalTime& time);

// The .reg file that puts the values that exist back as read.
std::string BackupFileBytes(const std::vector<PendingValue>& values);

enum class PruneOutcome {
    NothingToWithdraw,  // no entry can be shown to have no effect
    WouldWithdraw,      // a dry run: withdrawn lists what would go
    Withdrawn,          // withdrawn, read back; the backup is at backupPath
    ReadFailed,         // the list could not be read (status)
    AnotherForm,        // the value is of a form no write may replace: nothing withdrawn
    BackupFailed,       // the backup could not be written (status): nothing withdrawn
    ChangedMeanwhile,   // the list changed after the backup: nothing withdrawn
    UpdateFailed,       // the write: update.outcome and status say why
};

struct PruneResult {
    PruneOutcome outcome = PruneOutcome::NothingToWithdraw;
    bool dryRun = false;  // as asked, whether or not anything would go
    std::int32_t status = 0;
    std::vector<PendingValue> values;        // as read before the backup
    std::vector<ClassifiedEntry> entries;    // every entry, classified
    std::vector<ClassifiedEntry> withdrawn;  // those withdrawn (or that a dry run would withdraw)
    std::string backupPath;                  // the backup's full name, once written
    std::vector<std::size_t> written;        // the values withdrawn from (ChangedMeanwhile: before it)
    UpdateOutcome update = UpdateOutcome::NotWritten;

    // The first value was withdrawn from, and then the second could not be:
    // a failure that changed the list all the same.
    bool PartlyWithdrawn() const {
        return (outcome == PruneOutcome::ChangedMeanwhile || outcome == PruneOutcome::UpdateFailed) && !written.empty();
    }
    // Whether the entries of value v were withdrawn.
    bool WithdrawnFrom(std::size_t v) const;
};

struct PruneRequest {
    std::string backupPath;  // as given; relative to the current folder
    bool dryRun = false;
};

class PendingPrune {
public:
    PendingPrune(RegistryRoutines& registry, ListLockApi& lock, FileSystemApi& files)
        : registry_(registry), lock_(lock), files_(files) {}

    PruneResult Run(const PruneRequest& request, const PresenceFunction& presence);

private:
    RegistryRoutines& registry_;
    ListLockApi& lock_;
    FileSystemApi& files_;
};

}  // namespace pendrix
