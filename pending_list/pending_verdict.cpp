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

// The last entry before index that puts a file at name.
std::size_t BroughtBy(const std::vector<ClassifiedEntry>& entries, const std::vector<bool>& acts, std::size_t index) {
    const std::string name = FoldName(entries[index].operation.source);
    for (std::size_t earlier = index; earlier-- > 0;)
        if (acts[earlier] && FoldName(entries[earlier].operation.destination) == name) return earlier;
    return kNoEntry;
}

}  // namespace

std::vector<ClassifiedEntry> ClassifyEntries(const std::vector<PendingValue>& values, const PresenceFunction& presence) {
    std::vector<ClassifiedEntry> entries = Collect(values);
    // Every file an entry acts on is first named as an entry's source.
    std::map<std::string, Presence> known;
    std::vector<std::string> names;
    for (const ClassifiedEntry& entry : entries) {
        // A source behind a mark this program does not know is never guessed at.
        const bool unknownMark = ReadSourceName(entry.pair.first, entry.pair.second.empty()).unknownMark;
        if (entry.effect != EntryClass::Unreached && known.emplace(FoldName(entry.operation.source), Presence::Unknown).second &&
            !unknownMark)
            names.push_back(entry.operation.source);
    }
    const std::vector<Presence> answers = names.empty() ? std::vector<Presence>() : presence(names);
    for (std::size_t i = 0; i < names.size() && i < answers.size(); ++i) known[FoldName(names[i])] = answers[i];
    const auto presenceOf = [&](const std::string& name) {
        const auto found = known.find(FoldName(name));
        return found != known.end() ? found->second : Presence::Unknown;
    };

    // The simulation takes every name as holding a file before the list
    // runs. An entry that is the first to act on a file whose name holds
    // none does nothing at all: it is taken out (as unreached) and the list
    // walked again, until every entry that acts finds its file.
    std::vector<ListedOperation> operations;
    for (const ClassifiedEntry& entry : entries) operations.push_back(entry.operation);
    for (ClassifiedEntry& entry : entries)
        if (entry.effect == EntryClass::Unreached) operations[&entry - entries.data()].reached = false;
    std::vector<bool> missing(entries.size(), false);
    for (;;) {
        const ListSimulation simulation(operations);
        bool changed = false;
        std::vector<bool> fileSeen;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const EntryFate& fate = simulation.Fates()[i];
            if (!operations[i].reached || fate.effect != EntryEffect::Effective) continue;
            if (fate.file >= fileSeen.size()) fileSeen.resize(fate.file + 1, false);
            if (fileSeen[fate.file]) continue;
            fileSeen[fate.file] = true;
            if (presenceOf(simulation.OriginalName(fate.file)) == Presence::Missing) {
                missing[i] = true;
                operations[i].reached = false;
                changed = true;
            }
        }
        if (changed) continue;

        std::vector<bool> acts(entries.size(), false);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            ClassifiedEntry& entry = entries[i];
            if (entry.effect == EntryClass::Unreached) continue;
            const EntryFate& fate = simulation.Fates()[i];
            if (missing[i]) {
                entry.effect = EntryClass::NoEffect;
                entry.reason = EntryReason::SourceMissing;
            } else if (fate.effect == EntryEffect::NoEffect) {
                entry.effect = EntryClass::NoEffect;
                entry.reason = EntryReason::SourceTakenEarlier;
                entry.earlier = fate.sourceTakenBy;
            } else {
                acts[i] = true;
                entry.effect = EntryClass::Effective;
                if (FoldName(simulation.OriginalName(fate.file)) != FoldName(entry.operation.source)) {
                    entry.reason = EntryReason::SourceFromEarlier;
                    entry.earlier = BroughtBy(entries, acts, i);
                } else {
                    entry.reason = presenceOf(entry.operation.source) == Presence::Unknown
                                       ? EntryReason::SourceUnknown
                                       : EntryReason::SourceThere;
                }
            }
        }
        return entries;
    }
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
            return status;
        }
    return status;
}

MachineStatus ReadMachineStatus(RegistryRoutines& registry, const PresenceFunction& presence) {
    // Both values, in the order the start-up processing runs them.
    std::vector<PendingValue> values;
    for (const char* name : kPendingValueNames) values.push_back({name, PendingRenameList(registry, name).Read()});
    std::vector<ClassifiedEntry> entries = ClassifyEntries(values, presence);
    return JudgeMachine(std::move(values), std::move(entries), ReadRestartSignals(registry));
}

std::string PendingListKeyPath() {
    return MachineKeyPath(std::string(kSessionManagerKeyRoot) + "\\" + kSessionManagerSubkey);
}

}  // namespace pendrix
