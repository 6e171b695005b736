// Whether a file's long name matches a pattern as Windows' find functions
// match it: * and ? with the MS-DOS rules that FindFirstFileW keeps ("*.*"
// is every name, "*." a name without extension, "a?.txt" also "a.txt"),
// ignoring case as the file system does. The find functions also match a
// name's 8.3 short name, so "*.htm" finds "x.html" by "X~1.HTM"; only the
// long name counts here.
#pragma once

#include <string_view>

namespace pendrix {

// pattern: the last component as typed (trailing dots and blanks included,
// which Windows strips but reads). name: a long name as stored.
bool MatchesPattern(std::string_view pattern, std::string_view name);

}  // namespace pendrix
