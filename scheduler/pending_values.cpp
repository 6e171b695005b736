#include "scheduler/pending_values.h"

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

}  // namespace pendrix
