// Both pending lists of the Session Manager key: PendingFileRenameOperations
// and PendingFileRenameOperations2. Windows carries out the first and then
// the second at its next start; MoveFileExW appends to the second once it
// exists, so that a new entry runs after every entry already pending, and
// starts it when the first has grown too large for the registry to store.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "registry/RegistryRoutines.h"
#include "scheduler/pending_rename_list.h"

namespace pendrix {

// The values by their place in the start-up order, from 0.
inline constexpr std::size_t kPendingValueCount = 2;
inline constexpr std::array<const char*, kPendingValueCount> kPendingValueNames = {kPendingValueName,
                                                                                   kPendingValue2Name};

// Both values as read, in the start-up order.
struct PendingValues {
    std::array<PendingListRead, kPendingValueCount> values;

    const PendingListRead& operator[](std::size_t index) const { return values[index]; }
    PendingListRead& operator[](std::size_t index) { return values[index]; }
};

PendingValues ReadPendingValues(RegistryRoutines& registry);

// The value a new entry is appended to, where MoveFileExW appends: the
// second when it exists, otherwise the first.
std::size_t AppendTargetOf(const PendingValues& values);

// Why nothing can be appended now, checked in the order that decides: the
// second value's existence must be known, then the target must be read and
// of the form a write may replace.
enum class AppendBlock { None, Unreadable, AnotherForm };

struct AppendCheck {
    AppendBlock block = AppendBlock::None;
    std::size_t target = 0;      // the value concerned
};

AppendCheck CheckAppend(const PendingValues& values);

// Both values read as the one sequence the start-up processing carries
// out: the pairs of the first that it reaches (each string with its NUL),
// then the second's data. Just the first's data when there is no second.
std::string CombinedSequence(const PendingValues& values);

// The stored data of second read as following the first value's pairs
// that run (PendingFileRenameOperations as read in first).
std::string SequenceAfter(const PendingListRead& first, std::string_view second);

// Whether a write that failed with status may go to a new second value
// instead: the first has grown too large for the registry to store.
inline bool CallsForASecondValue(std::size_t target, std::int32_t status) {
    return target == 0 && status == kErrorNoSystemResources;
}

}  // namespace pendrix
