#include "pending_list/list_sequence.h"

#include <algorithm>
#include <utility>

#include "common/name_folding.h"
#include "pending_list/stored_list.h"
#include "pending_list/stored_names.h"

namespace pendrix {
namespace {

std::string_view WithoutPrefix(std::string_view name, std::string_view prefix) {
    return name.substr(0, prefix.size()) == prefix ? name.substr(prefix.size()) : name;
}

}  // namespace

std::vector<StoredPair> StoredPairs(std::string_view stored) {
    const StoredListLayout layout = DescribeStoredList(stored);
    const std::vector<std::string>& strings = layout.strings;
    std::vector<StoredPair> pairs;
    std::size_t index = 0;
    while (index < strings.size()) {
        // An empty string is the closing NUL, or one that ends the walk.
        if (strings[index].empty()) {
            ++index;
            continue;
        }
        StoredPair pair;
        pair.pair.first = strings[index];
        if (index + 1 < strings.size()) pair.pair.second = strings[index + 1];
        pair.reached = layout.closed && index < layout.reached;
        pairs.push_back(std::move(pair));
        index += 2;
    }
    return pairs;
}

ListedOperation OperationOf(const StoredPair& stored) {
    ListedOperation operation;
    // What the start-up processing acts on, the marks it knows taken off.
    operation.source = WithoutPrefix(SourceObjectName(stored.pair.first, stored.pair.second.empty()), kObjectPathPrefix);
    operation.destination = WithoutPrefix(DestinationObjectName(stored.pair.second), kObjectPathPrefix);
    operation.reached = stored.reached;
    operation.replaces = ReadDestinationName(stored.pair.second).replaces;
    return operation;
}

std::string ContainingFolder(std::string_view name) {
    const std::size_t last = name.rfind('\\');
    if (last == std::string_view::npos) return {};
    const std::string_view folder = name.substr(0, last);
    // A drive's root ("C:") or a share's ("UNC\server\share"), also after
    // "\??\", is not asked about.
    const std::string_view bare = WithoutPrefix(folder, kObjectPathPrefix);
    if (bare.size() == 2 && bare[1] == ':') return {};
    constexpr std::string_view kUnc = "UNC\\";
    if (bare.substr(0, kUnc.size()) == kUnc && std::count(bare.begin(), bare.end(), '\\') < 3) return {};
    return std::string(folder);
}

ListSimulation::ListSimulation(const std::vector<ListedOperation>& operations) { Run(operations); }

ListSimulation::ListSimulation(const std::vector<ListedOperation>& operations, const InitialPresence& presence)
    : presence_(presence) {
    Run(operations);
}

void ListSimulation::Run(const std::vector<ListedOperation>& operations) {
    for (std::size_t index = 0; index < operations.size(); ++index) {
        EntryFate fate;
        fate.effect = EntryEffect::Unreached;
        fates_.push_back(operations[index].reached ? Walk(operations[index], index) : fate);
    }
}

EntryFate ListSimulation::Walk(const ListedOperation& operation, std::size_t index) {
    EntryFate fate;
    Slot& source = SlotAt(operation.source);
    if (source.occupancy == Occupancy::Empty) {
        // Gone by its turn: the entry that took it away, if any.
        fate.effect = EntryEffect::NoEffect;
        fate.cause = FateCause::Source;
        fate.by = source.by;
        return fate;
    }
    fate.file = source.file;
    fate.by = source.by;
    if (source.occupancy == Occupancy::InDoubt) fate.cause = FateCause::Source;
    // What it needs at the destination, when the names' presence is known:
    // its folder, and no file there unless it replaces.
    bool destinationSure = true;
    const auto need = [&](FateCause cause, const Slot& slot, Occupancy failing) {
        if (slot.occupancy == failing) {
            fate.effect = EntryEffect::NoEffect;
            fate.cause = cause;
            fate.by = slot.by;
            return false;
        }
        if (slot.occupancy == Occupancy::InDoubt) {
            destinationSure = false;
            if (fate.cause == FateCause::None) {
                fate.cause = cause;
                fate.by = slot.by;
            }
        }
        return true;
    };
    const bool rename = !operation.destination.empty();
    const bool ontoItself = FoldName(operation.destination) == FoldName(operation.source);
    if (rename && presence_ && !ontoItself) {
        const std::string folder = ContainingFolder(operation.destination);
        if (!folder.empty() && !need(FateCause::DestinationFolder, SlotAt(folder), Occupancy::Empty)) return fate;
        if (!operation.replaces && !need(FateCause::Destination, SlotAt(operation.destination), Occupancy::Holds))
            return fate;
    }
    const bool acts = fate.cause == FateCause::None;
    if (!acts) fate.effect = EntryEffect::Uncertain;

    // Its source is empty after it unless it may have failed at the
    // destination (then its file may still be there).
    source = destinationSure ? Slot{Occupancy::Empty, kNoEntry, index} : Slot{Occupancy::InDoubt, fate.file, index};
    // Met before files_ may grow, so that the references below hold.
    Slot* destination = rename && !ontoItself ? &SlotAt(operation.destination) : nullptr;
    File& file = files_[fate.file];
    if (file.takenBy == kNoEntry) file.takenBy = index;
    if (!acts) file.doubtedBy = index;
    if (!rename) {
        file.at.reset();
        return fate;
    }
    file.at = operation.destination;
    if (ontoItself) {
        source = Slot{acts ? Occupancy::Holds : Occupancy::InDoubt, fate.file, index};
        return fate;
    }
    // What was at the destination is replaced and ends there, or may be.
    if (destination->occupancy != Occupancy::Empty && destination->file != fate.file) {
        File& replaced = files_[destination->file];
        if (acts) replaced.at.reset();
        if (!acts) replaced.doubtedBy = index;
    }
    *destination = Slot{acts ? Occupancy::Holds : Occupancy::InDoubt, fate.file, index};
    return fate;
}

ListSimulation::Slot& ListSimulation::SlotAt(const std::string& name) {
    const std::string folded = FoldName(name);
    const auto known = slots_.find(folded);
    if (known != slots_.end()) return known->second;
    // First met: what the name held before the list ran.
    const Presence before = presence_ ? presence_(name) : Presence::Exists;
    Slot slot;
    if (before == Presence::Missing) {
        slot.occupancy = Occupancy::Empty;
    } else {
        slot.occupancy = before == Presence::Exists ? Occupancy::Holds : Occupancy::InDoubt;
        files_.push_back({name, name, kNoEntry, kNoEntry});
        slot.file = files_.size() - 1;
    }
    return slots_.emplace(folded, slot).first->second;
}

std::optional<std::string> ListSimulation::FinalName(std::size_t file) const { return files_[file].at; }

std::size_t ListSimulation::FinalFileAt(std::string_view name) const {
    const auto known = slots_.find(FoldName(name));
    return known == slots_.end() || known->second.occupancy == Occupancy::Empty ? kNoEntry : known->second.file;
}

std::size_t ListSimulation::TakesAway(std::string_view name) const {
    const std::string folded = FoldName(name);
    for (const File& file : files_)
        if (FoldName(file.original) == folded) return file.takenBy;
    return kNoEntry;
}

namespace {

std::vector<ListedOperation> OperationsOf(const std::vector<StoredPair>& pairs) {
    std::vector<ListedOperation> operations;
    operations.reserve(pairs.size());
    for (const StoredPair& pair : pairs) operations.push_back(OperationOf(pair));
    return operations;
}

// Whether an entry after index changes a name of operation.
bool ChangedLater(const std::vector<ListedOperation>& operations, std::size_t index) {
    const std::string source = FoldName(operations[index].source);
    const std::string destination = FoldName(operations[index].destination);
    for (std::size_t later = index + 1; later < operations.size(); ++later) {
        if (!operations[later].reached) break;
        for (const std::string& name : {FoldName(operations[later].source), FoldName(operations[later].destination)})
            if (!name.empty() && (name == source || name == destination)) return true;
    }
    return false;
}

bool IsPendingAsAsked(const std::vector<StoredPair>& pairs, const std::vector<ListedOperation>& operations,
                      const RenamePair& asked) {
    for (std::size_t index = 0; index < pairs.size(); ++index)
        if (pairs[index].reached && pairs[index].pair.first == asked.first && pairs[index].pair.second == asked.second &&
            !ChangedLater(operations, index))
            return true;
    return false;
}

}  // namespace

SequenceCheck CheckSequence(std::string_view stored, const std::vector<RenamePair>& pairs) {
    SequenceCheck check;
    const std::vector<StoredPair> listed = StoredPairs(stored);
    std::vector<ListedOperation> operations = OperationsOf(listed);
    for (const RenamePair& pair : pairs)
        if (!IsPendingAsAsked(listed, operations, pair)) check.toAdd.push_back(pair);
    if (check.toAdd.empty()) {
        check.verdict = SequenceCheck::Verdict::AlreadyScheduled;
        return check;
    }
    // The new pairs go after what the walk reaches.
    std::size_t reached = 0;
    while (reached < operations.size() && operations[reached].reached) ++reached;
    operations.resize(reached);
    for (const RenamePair& pair : check.toAdd) operations.push_back(OperationOf({pair, true}));
    const ListSimulation simulation(operations);
    for (std::size_t index = reached; index < operations.size(); ++index) {
        const EntryFate& fate = simulation.Fates()[index];
        if (fate.effect != EntryEffect::NoEffect || fate.cause != FateCause::Source || fate.by >= reached) continue;
        check.verdict = SequenceCheck::Verdict::SourceTaken;
        check.entry = fate.by;
        check.earlier = listed[fate.by].pair;
        check.name = operations[index].source;
        return check;
    }
    return check;
}

SequenceCheck CheckChangeNow(std::string_view stored, std::string_view name) {
    SequenceCheck check;
    const std::vector<StoredPair> listed = StoredPairs(stored);
    const ListSimulation simulation(OperationsOf(listed));
    const std::size_t entry = simulation.TakesAway(name);
    if (entry == kNoEntry) return check;
    check.verdict = SequenceCheck::Verdict::SourceTaken;
    check.entry = entry;
    check.earlier = listed[entry].pair;
    check.name = std::string(name);
    return check;
}

}  // namespace pendrix
