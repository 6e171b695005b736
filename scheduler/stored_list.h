// The stored layout of PendingFileRenameOperations as the start-up
// processing of Windows reads it, as a model that needs no registry.
//
// The data is a sequence of strings, each ended by one NUL. The start-up
// processing carries out anything only when the data ends with two NULs
// (the last string's and the closing one). It then walks the strings pair by
// pair (first string: the file; second: its new name, empty for a deletion)
// and stops at an empty string where a first string belongs, or at the end
// of the data; a last first string without a partner pairs with the empty
// string (the closing NUL) and is a deletion. Strings after the stop are
// never reached.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pendrix {

// Where one string of the stored data lies.
struct StringSpan {
    std::size_t offset = 0;
    std::size_t length = 0;   // without the ending NUL
    bool terminated = true;   // ended by a NUL (the last one may not be)
};

// The strings of the stored data located in place, as SplitStoredStrings
// gives them, so that one can be taken out while every other byte stays.
std::vector<StringSpan> StoredStringSpans(std::string_view stored);

// Every string of the stored data, in order: each NUL ends one string, and
// bytes after the last NUL form one more (a last string stored without its
// NUL). So "A NUL B NUL NUL" gives A, B and the empty string.
std::vector<std::string> SplitStoredStrings(std::string_view stored);

// How many of the leading strings the start-up walk reaches: pairs while the
// first string of the pair is not empty. When the last string reached is the
// first of a pair without a second, all strings are reached.
std::size_t ReachedStringCount(const std::vector<std::string>& strings);

// Whether the data ends with the two NULs the start-up processing needs.
bool IsClosedProperly(std::string_view stored);

struct StoredListLayout {
    std::vector<std::string> strings;
    std::size_t reached = 0;  // leading strings the walk reaches
    bool closed = false;      // the processing runs at all
};

StoredListLayout DescribeStoredList(std::string_view stored);

// How many operations the start-up processing will carry out of the stored
// data: the pairs its walk reaches (a last first string without a second
// is a deletion), none when the data does not end with two NULs.
std::size_t ReachedEntryCount(std::string_view stored);

}  // namespace pendrix
