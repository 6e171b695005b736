// Names compared as Windows compares them: ordinal, ignoring letter case one
// UTF-16 unit at a time. The registry compares key and value names this way,
// and NTFS file names too (by its own upper-case table, which agrees on every
// letter a name is likely to hold).
#pragma once

#include <string>
#include <string_view>

namespace pendrix {

// The upper case of a UTF-16 unit (Unicode's simple mapping); a unit without
// one is itself.
char16_t UpcaseUnit(char16_t unit);

// The form in which names are compared: every character in upper case, so
// that two names are one name exactly when Windows takes them for one
// ("Привет" and "ПРИВЕТ").
std::string FoldName(std::string_view name);

}  // namespace pendrix
