// RegistryEntryList: what the enumerations give. An ordered list counted
// from 1 in the order of adding, each entry also reachable by a text key.
// Keys are compared without regard to letter case and occur at most once.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/name_folding.h"
#include "common/pendrix_error.h"
#include "registry/registry_data.h"

namespace pendrix {

// A value as EnumRegistryValues lists it: its name and the text form of its
// data. Each entry is a copy of its own.
struct RegistryValueEntry {
    std::string name;
    RegistryData data;

    friend bool operator==(const RegistryValueEntry&, const RegistryValueEntry&) = default;
};

template <class Entry>
class RegistryEntryList {
public:
    // Adds entry at the end under key. A key already in the list keeps its
    // first entry: the new one is not added and the answer is false. (A
    // listing that changes while it is read can offer a name twice.)
    bool Add(Entry entry, std::string_view key) {
        const auto [slot, inserted] = positions_.emplace(FoldName(key), entries_.size());
        if (!inserted) return false;
        entries_.push_back(std::move(entry));
        return true;
    }

    std::size_t Count() const noexcept { return entries_.size(); }

    // The entry at position 1 to Count(); any other position is an error.
    const Entry& Item(std::size_t position) const {
        if (position < 1 || position > entries_.size())
            throw PendrixError(kErrSubscriptOutOfRange, kProgramErrorSource, "Subscript out of range");
        return entries_[position - 1];
    }

    // The entry added under key in any letter case, or null.
    const Entry* Find(std::string_view key) const {
        const auto found = positions_.find(FoldName(key));
        return found == positions_.end() ? nullptr : &entries_[found->second];
    }

    auto begin() const noexcept { return entries_.begin(); }
    auto end() const noexcept { return entries_.end(); }

private:
    std::vector<Entry> entries_;
    std::map<std::string, std::size_t> positions_;  // folded key -> index into entries_
};

// EnumRegistryKeys: subkey names, each keyed by itself.
using RegistryKeyList = RegistryEntryList<std::string>;
// EnumRegistryValues: (name, data) pairs keyed by the value's name; the
// unnamed default value is keyed by the empty text, which no named value
// can take.
using RegistryValueList = RegistryEntryList<RegistryValueEntry>;

}  // namespace pendrix
