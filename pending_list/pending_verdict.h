// What the start-up processing would do with each entry of the pending
// lists, in the order it runs them (the first value, then the second), and
// whether the machine needs a restart at all: an entry takes effect when its
// source is there when its turn comes (also when an earlier entry puts it
// there) and, for a rename, its destination's folder exists and no file is
// at its destination unless it replaces; it has no effect when one of these
// fails (as the files are now, and after the entries before it); it may
// take effect when that hangs on a name whose presence cannot be told; it
// is never reached after an empty first string or in a value that does not
// end with its two NULs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "pending_list/list_sequence.h"
#include "pending_list/pending_entries.h"
#include "pending_list/pending_rename_list.h"
#include "pending_list/restart_signals.h"

namespace pendrix {

// Whether each file or folder exists now (Unknown where the file system
// cannot tell: a name outside the drive and share paths, a drive that is not
// there): one answer per name, asked all at once (names as the start-up
// processing acts on them, without "\??\": sources, destinations and
// destinations' folders), so that the file system can be asked about a
// folder of many of them once.
using PresenceFunction = std::function<std::vector<Presence>(const std::vector<std::string>& names)>;

// One value of the pending list as read.
struct PendingValue {
    std::string name;
    PendingListRead read;
};

enum class EntryClass { Effective, NoEffect, Unreached };

enum class EntryReason {
    SourceThere,         // Effective: its source exists now
    SourceUnknown,       // Effective: whether its source exists cannot be told, so it may act
    SourceFromEarlier,   // Effective: an earlier entry puts its source there
    SourceMissing,       // NoEffect: its source does not exist
    SourceTakenEarlier,  // NoEffect: an earlier entry deletes or moves its source away
    AfterEmptyString,    // Unreached: after an empty first string, where the walk stops
    NotClosed,           // Unreached: its value does not end with two NULs
    DestinationExists,   // NoEffect: a file is at its destination and it does not replace
    FolderMissing,       // NoEffect: its destination's folder does not exist
    DestinationUnknown,  // Effective: whether its destination or that folder exists cannot be told, so it may act
    EarlierUnknown,      // Effective: it hangs on whether an earlier entry takes effect, which cannot be told
};

struct ClassifiedEntry {
    std::size_t value = 0;        // which value (index into the values given)
    std::size_t number = 0;       // from 1 within its value, as list numbers it
    std::size_t stringIndex = 0;  // its first string among the value's stored strings
    std::size_t stringCount = 2;  // 1 when its second string is missing or is the closing NUL
    RenamePair pair;              // as stored
    ListedOperation operation;    // names without "\??\" and "!"
    EntryClass effect = EntryClass::Effective;
    EntryReason reason = EntryReason::SourceThere;
    // SourceFromEarlier, SourceTakenEarlier, EarlierUnknown, and when an
    // earlier entry made it so, DestinationExists and FolderMissing: that
    // entry (index in the result).
    std::size_t earlier = kNoEntry;
};

// Every entry of the readable values, in the order the start-up processing
// meets them.
std::vector<ClassifiedEntry> ClassifyEntries(const std::vector<PendingValue>& values, const PresenceFunction& presence);

// The data of stored without the entries of value given (stringIndex and
// stringCount as ClassifyEntries found them there): every other byte stays,
// and a list left with no string is no data.
std::string WithoutEntries(std::string_view stored, const std::vector<const ClassifiedEntry*>& entries);

enum class RestartVerdict {
    NotNeeded,   // no entry takes effect and no signal is present
    Needed,      // an entry takes effect, or a signal is present
    CannotTell,  // nothing else needs a restart, but a key or a value could not be read
};

struct MachineStatus {
    std::vector<PendingValue> values;
    std::vector<ClassifiedEntry> entries;
    std::vector<RestartSignal> signals;
    RestartVerdict verdict = RestartVerdict::NotNeeded;
    WinStatus status = 0;        // CannotTell: the Windows status of the first read that failed
    std::string unreadable;      // CannotTell: what could not be read
    std::string failure;         // CannotTell, when not a registry status: how it failed, in words
};

// The verdict over values, entries and signals as read.
MachineStatus JudgeMachine(std::vector<PendingValue> values, std::vector<ClassifiedEntry> entries,
                           std::vector<RestartSignal> signals);

// Reads both values and the other restart signals (the Configuration
// Manager client's answer too, when client is given) and judges the
// machine, the files' presence asked through presence. documentedOnly: the
// signals Microsoft does not document are neither read nor judged.
MachineStatus ReadMachineStatus(RegistryRoutines& registry, const PresenceFunction& presence,
                                ConfigManagerClientApi* client = nullptr, bool documentedOnly = false);

// The full path of the pending list's key, as reports name it.
std::string PendingListKeyPath();

}  // namespace pendrix
