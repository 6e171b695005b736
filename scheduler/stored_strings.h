// Edits of a pending list's stored data that take an entry out while every
// other byte stays as stored.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "scheduler/pending_rename_list.h"
#include "scheduler/stored_list.h"

namespace pendrix {

// Removes from stored the last place where pair stands as a pair (its first
// string at an even position), with both strings' NULs. False when it is
// not there.
bool RemoveLastPair(std::string& stored, const RenamePair& pair);

}  // namespace pendrix
