// The strings of a pending list's stored data, located in place, so that
// an entry can be taken out while every other byte stays as stored.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "scheduler/pending_rename_list.h"

namespace pendrix {

struct StringSpan {
    std::size_t offset = 0;
    std::size_t length = 0;      // without the ending NUL
    bool terminated = true;      // ended by a NUL (the last one may not be)
};

// Every string of stored, in order: each run up to a NUL, and a last run
// without one. The closing NUL of a well-formed list shows as a last, empty
// string.
std::vector<StringSpan> StoredStringSpans(std::string_view stored);

// Removes from stored the last place where pair stands as a pair (its first
// string at an even position), with both strings' NULs. False when it is
// not there.
bool RemoveLastPair(std::string& stored, const RenamePair& pair);

}  // namespace pendrix
