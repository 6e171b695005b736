// Edits of a pending list's stored data that take an entry out while every
// other byte stays as stored.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "pending_list/pending_rename_list.h"
#include "pending_list/stored_list.h"

namespace pendrix {

// Removes from stored the last place where pair stands as a pair (its first
// string at an even position), with both strings' NULs. False when it is
// not there.
bool RemoveLastPair(std::string& stored, const RenamePair& pair);

// Removes count strings from stored, starting with string number index (from
// 0, as StoredStringSpans numbers them), each with its NUL; every other byte
// stays. False, and nothing removed, when stored holds fewer strings.
bool RemoveStrings(std::string& stored, std::size_t index, std::size_t count);

// A list left with nothing but its closing NUL is stored as no data at all,
// as a list that never held a pair.
void DropLoneClosingNul(std::string& stored);

}  // namespace pendrix
