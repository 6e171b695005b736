#include "pending_list/list_sequence.h"

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
    return operation;
}

ListSimulation::ListSimulation(const std::vector<ListedOperation>& operations) {
    for (std::size_t index = 0; index < operations.size(); ++index) {
        const ListedOperation& operation = operations[index];
        EntryFate fate;
        if (!operation.reached) {
            fate.effect = EntryEffect::Unreached;
            fates_.push_back(fate);
            continue;
        }
        const std::size_t file = FileAt(operation.source);
        if (file == kNoEntry) {
            // Gone by its turn: the entry that took it away.
            fate.effect = EntryEffect::NoEffect;
            fate.sourceTakenBy = emptiedBy_[FoldName(operation.source)];
            fates_.push_back(fate);
            continue;
        }
        fate.file = file;
        if (files_[file].takenBy == kNoEntry) files_[file].takenBy = index;
        byName_[FoldName(operation.source)] = kNoEntry;
        emptiedBy_[FoldName(operation.source)] = index;
        if (operation.destination.empty()) {
            files_[file].at.reset();
        } else {
            // What was at the destination is replaced, and ends there.
            const std::size_t replaced = FileAt(operation.destination);
            if (replaced != kNoEntry && replaced != file) files_[replaced].at.reset();
            files_[file].at = operation.destination;
            byName_[FoldName(operation.destination)] = file;
        }
        fates_.push_back(fate);
    }
}

std::size_t ListSimulation::FileAt(const std::string& name) {
    const std::string folded = FoldName(name);
    const auto known = byName_.find(folded);
    if (known != byName_.end()) return known->second;
    // First met: the file the name held before the list ran.
    files_.push_back({name, name, kNoEntry});
    byName_[folded] = files_.size() - 1;
    return files_.size() - 1;
}

std::optional<std::string> ListSimulation::FinalName(std::size_t file) const { return files_[file].at; }

std::size_t ListSimulation::FinalFileAt(std::string_view name) const {
    const auto known = byName_.find(FoldName(name));
    return known == byName_.end() ? kNoEntry : known->second;
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
        if (fate.effect != EntryEffect::NoEffect || fate.sourceTakenBy >= reached) continue;
        check.verdict = SequenceCheck::Verdict::SourceTaken;
        check.entry = fate.sourceTakenBy;
        check.earlier = listed[fate.sourceTakenBy].pair;
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
