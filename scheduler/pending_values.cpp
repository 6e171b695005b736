#include "scheduler/pending_values.h"

#include "scheduler/list_sequence.h"

namespace pendrix {

PendingValues ReadPendingValues(RegistryRoutines& registry) {
    PendingValues read;
    for (std::size_t i = 0; i < kPendingValueCount; ++i) read[i] = PendingRenameList(registry, kPendingValueNames[i]).Read();
    return read;
}

std::size_t AppendTargetOf(const PendingValues& values) { return values[1].exists ? 1 : 0; }

AppendCheck CheckAppend(const PendingValues& values) {
    // Whether the second value exists decides where the entry goes.
    if (!values[1].readable) return {AppendBlock::Unreadable, 1};
    const std::size_t target = AppendTargetOf(values);
    if (!values[target].readable) return {AppendBlock::Unreadable, target};
    if (HoldsAnotherForm(values[target])) return {AppendBlock::AnotherForm, target};
    return {AppendBlock::None, target};
}

std::string SequenceAfter(const PendingListRead& first, std::string_view second) {
    std::string data;
    if (first.readable && first.exists) {
        for (const StoredPair& stored : StoredPairs(first.stored)) {
            if (!stored.reached) continue;
            data.append(stored.pair.first).push_back('\0');
            data.append(stored.pair.second).push_back('\0');
        }
    }
    // A second value of no data still closes the sequence.
    if (second.empty()) data.push_back('\0');
    data.append(second);
    return data;
}

std::string CombinedSequence(const PendingValues& values) {
    if (!values[1].exists) return values[0].stored;
    return SequenceAfter(values[0], values[1].stored);
}

}  // namespace pendrix
