// The names a pending list stores, read as the start-up processing of
// Windows reads them. A first string is "\??\" and a path; Windows 10 and
// 11 may write a flag before it, "*" and digits ("*1\??\C:\x"), which this
// program shows apart and keeps verbatim; the start-up processing skips an
// "@" before a deletion's source. A second string is empty (a deletion), or
// "\??\" and a path, after "!" or "@" when the rename may replace an
// existing file. Any other text before "\??\" is a mark this program does
// not know: it is shown as stored, never guessed at.
#pragma once

#include <string_view>

namespace pendrix {

// "*1" in "*1\??\C:\x": a flag Windows set on the source.
inline constexpr char kSourceFlagMark = '*';
// Before a destination: replace it if it exists, as "!" does. Before a
// deletion's source: skipped.
inline constexpr char kAtMark = '@';

struct StoredSourceName {
    std::string_view flag;  // "*1", or empty
    std::string_view path;  // the name after the flag and "\??\"; the string as stored when not of that form
    bool objectPath = false;   // it held "\??\" where Windows looks for it
    bool unknownMark = false;  // other text stands before "\??\"
};

struct StoredDestinationName {
    bool replaces = false;     // it begins with "!" or "@"
    std::string_view path;     // the name after that mark and "\??\"
    bool objectPath = false;   // "\??\" followed the mark (or began the string)
    bool unknownMark = false;  // other text stands before "\??\"
};

// deletion: the pair's second string is empty.
StoredSourceName ReadSourceName(std::string_view first, bool deletion);
StoredDestinationName ReadDestinationName(std::string_view second);

// What the start-up processing acts on: "\??\" and the path, the marks it
// knows taken off ("*1\??\C:\x" and, for a deletion, "@\??\C:\x" give
// "\??\C:\x"; "@\??\C:\y" as a destination too). A string with a mark it
// does not know is given as stored.
std::string_view SourceObjectName(std::string_view first, bool deletion);
std::string_view DestinationObjectName(std::string_view second);

}  // namespace pendrix
