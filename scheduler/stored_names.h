// The names a pending list stores, read as the start-up processing of
// Windows reads them. A first string is "\??\" and a path; Windows 10 and
// 11 may write a flag before it, "*" and digits ("*1\??\C:\x"), which this
// program shows apart and keeps verbatim. A second string is empty (a
// deletion), or "\??\" and a path, after "!" when the rename may replace an
// existing file. Any other text before "\??\", and a destination marked
// "@", is a mark this program does not know: it is shown as stored, never
// guessed at.
#pragma once

#include <string_view>

namespace pendrix {

// "*1" in "*1\??\C:\x": a flag Windows set on the source.
inline constexpr char kSourceFlagMark = '*';
// A destination mark this program does not know.
inline constexpr char kUnknownDestinationMark = '@';

struct StoredSourceName {
    std::string_view flag;  // "*1", or empty
    std::string_view path;  // the name after the flag and "\??\"; the string as stored when not of that form
    bool objectPath = false;   // it held "\??\" where Windows looks for it
    bool unknownMark = false;  // other text stands before "\??\"
};

struct StoredDestinationName {
    bool replaces = false;     // it begins with "!"
    std::string_view path;     // the name after "!" and "\??\"
    bool objectPath = false;   // "\??\" followed the "!" (or began the string)
    bool unknownMark = false;  // other text stands before "\??\", or it begins with "@"
};

StoredSourceName ReadSourceName(std::string_view first);
StoredDestinationName ReadDestinationName(std::string_view second);

// The stored name without a source flag: "*1\??\C:\x" gives "\??\C:\x".
std::string_view WithoutSourceFlag(std::string_view first);

}  // namespace pendrix
