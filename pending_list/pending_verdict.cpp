#include "pending_list/pending_verdict.h"

#include <algorithm>
#include <map>
#include <utility>

#include "common/name_folding.h"
#include "pending_list/pending_values.h"
#include "pending_list/stored_list.h"
#include "pending_list/stored_names.h"
#include "pending_list/stored_strings.h"

namespace pendrix {
namespace {

// Where each entry of StoredPairs lies among the stored strings, in the
// same walk: empty strings are skipped, and a last first string whose
// second is the closing NUL holds one string (the NUL must stay).
std::vector<std::pair<std::size_t, std::size_t>> EntrySpans(std::string_view stored) {
    const std::vector<std::string> strings = SplitStoredStrings(stored);
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    std::size_t index = 0;
    while (index < strings.size()) {
        if (strings[index].empty()) {
            ++index;
            continue;
        }
        const bool hasSecond = index + 1 < strings.size();
        const bool secondIsClosing = index + 2 == strings.size() && strings[index + 1].empty();
        spans.emplace_back(index, hasSecond && !secondIsClosing ? 2 : 1);
        index += 2;
    }
    return spans;
}

// The entries of every readable value, in order, before they are judged.
std::vector<ClassifiedEntry> Collect(const std::vector<PendingValue>& values) {
    std::vector<ClassifiedEntry> entries;
    for (std::size_t v = 0; v < values.size(); ++v) {
        const PendingListRead& read = values[v].read;
        if (!read.readable || !read.exists) continue;
        const std::vector<StoredPair> pairs = StoredPairs(read.stored);
        const auto spans = EntrySpans(read.stored);
        const bool closed = IsClosedProperly(read.stored);
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            ClassifiedEntry entry;
            entry.value = v;
            entry.number = i + 1;
            entry.stringIndex = spans[i].first;
            entry.stringCount = spans[i].second;
            entry.pair = pairs[i].pair;
            entry.operation = OperationOf(pairs[i]);
            if (!pairs[i].reached) {
                entry.effect = EntryClass::Unreached;
                entry.reason = closed ? EntryReason::AfterEmptyString : EntryReason::NotClosed;
            }
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

}  // namespace

std::vector<ClassifiedEntry> ClassifyEntries(const std::vector<PendingValue>& values, const PresenceFunction& presence) {
    std::vector<ClassifiedEntry> entries = Collect(values);
    // The names whose presence before the list matters, asked at once: every
    // source, the destination of every rename that does not replace, and
    // every destination's folder. A name behind a mark this program does not
    // know is never guessed at.
    std::map<std::string, Presence> known;
    std::vector<std::string> names;
    const auto ask = [&](const std::string& name, bool guessable) {
        if (!name.empty() && known.emplace(FoldName(name), Presence::Unknown).second && guessable) names.push_back(name);
    };
    for (const ClassifiedEntry& entry : entries) {
        if (entry.effect == EntryClass::Unreached) continue;
        const bool deletion = entry.pair.second.empty();
        ask(entry.operation.source, !ReadSourceName(entry.pair.first, deletion).unknownMark);
        if (deletion) continue;
        const StoredDestinationName destination = ReadDestinationName(entry.pair.second);
        if (!destination.replaces) ask(entry.operation.destination, !destination.unknownMark);
        ask(ContainingFolder(entry.operation.destination), !destination.unknownMark);
    }
    const std::vector<Presence> answers = names.empty() ? std::vector<Presence>() : presence(names);
    for (std::size_t i = 0; i < names.size() && i < answers.size(); ++i) known[FoldName(names[i])] = answers[i];
    const auto before = [&](const std::string& name) {
        const auto found = known.find(FoldName(name));
        return found != known.end() ? found->second : Presence::Unknown;
    };

    std::vector<ListedOperation> operations;
    for (const ClassifiedEntry& entry : entries) {
        operations.push_back(entry.operation);
        operations.back().reached = entry.effect != EntryClass::Unreached;
    }
    const ListSimulation simulation(operations, before);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ClassifiedEntry& entry = entries[i];
        if (entry.effect == EntryClass::Unreached) continue;
        const EntryFate& fate = simulation.Fates()[i];
        const bool fromEarlier = fate.by != kNoEntry;
        entry.earlier = fate.by;
        // One in doubt may act: it counts as taking effect.
        entry.effect = fate.effect == EntryEffect::NoEffect ? EntryClass::NoEffect : EntryClass::Effective;
        if (fate.effect == EntryEffect::Effective)
            entry.reason = fromEarlier ? EntryReason::SourceFromEarlier : EntryReason::SourceThere;
        else if (fate.effect == EntryEffect::NoEffect)
            entry.reason = fate.cause == FateCause::Destination         ? EntryReason::DestinationExists
                           : fate.cause == FateCause::DestinationFolder ? EntryReason::FolderMissing
                           : fromEarlier                                ? EntryReason::SourceTakenEarlier
                                                                        : EntryReason::SourceMissing;
        else
            entry.reason = fromEarlier                       ? EntryReason::EarlierUnknown
                           : fate.cause == FateCause::Source ? EntryReason::SourceUnknown
                                                             : EntryReason::DestinationUnknown;
    }
    return entries;
}

std::string WithoutEntries(std::string_view stored, const std::vector<const ClassifiedEntry*>& entries) {
    std::vector<const ClassifiedEntry*> ordered = entries;
    // From the last, so that the earlier strings keep their numbers.
    std::sort(ordered.begin(), ordered.end(),
              [](const ClassifiedEntry* a, const ClassifiedEntry* b) { return a->stringIndex > b->stringIndex; });
    std::string data(stored);
    for (const ClassifiedEntry* entry : ordered) RemoveStrings(data, entry->stringIndex, entry->stringCount);
    DropLoneClosingNul(data);
    return data;
}

MachineStatus JudgeMachine(std::vector<PendingValue> values, std::vector<ClassifiedEntry> entries,
                           std::vector<RestartSignal> signals) {
    MachineStatus status;
    status.values = std::move(values);
    status.entries = std::move(entries);
    status.signals = std::move(signals);
    bool needed = false;
    for (const ClassifiedEntry& entry : status.entries) needed = needed || entry.effect == EntryClass::Effective;
    for (const RestartSignal& signal : status.signals) needed = needed || signal.state == SignalState::Present;
    if (needed) {
        status.verdict = RestartVerdict::Needed;
        return status;
    }
    for (const PendingValue& value : status.values)
        if (!value.read.readable) {
            status.verdict = RestartVerdict::CannotTell;
            status.status = value.read.status;
            status.unreadable = PendingListKeyPath() + "\\" + value.name;
            return status;
        }
    for (const RestartSignal& signal : status.signals)
        if (signal.state == SignalState::Unreadable) {
            status.verdict = RestartVerdict::CannotTell;
            status.status = signal.status;
            status.unreadable = signal.unreadableKey;
            status.failure = signal.failure;
            return status;
        }
    return status;
}

MachineStatus ReadMachineStatus(RegistryRoutines& registry, const PresenceFunction& presence,
                                ConfigManagerClientApi* client, bool documentedOnly) {
    // Both values, in the order the start-up processing runs them.
    std::vector<PendingValue> values;
    for (const char* name : kPendingValueNames) values.push_back({name, PendingRenameList(registry, name).Read()});
    std::vector<ClassifiedEntry> entries = ClassifyEntries(values, presence);
    std::vector<RestartSignal> signals;
    for (const RestartSignal& signal : ReadRestartSignals(registry))
        if (signal.row->documented || !documentedOnly) signals.push_back(signal);
    if (client != nullptr) signals.push_back(ReadClientSignal(*client));
    return JudgeMachine(std::move(values), std::move(entries), std::move(signals));
}

std::string PendingListKeyPath() {
    return MachineKeyPath(std::string(kSessionManagerKeyRoot) + "\\" + kSessionManagerSubkey);
}

}  // namespace pendrix
