// A Windows command line split into its arguments as CommandLineToArgvW
// splits it, without shell32 (which Pendrix.exe does not load at start):
// - the program's name, first, ends at the first blank (space or tab) or,
//   when it begins with a quotation mark, at the next one; backslashes in it
//   are plain characters;
// - every later argument ends at a blank outside quotation marks; a
//   quotation mark starts or ends a quoted part and is not kept;
// - 2n backslashes before a quotation mark give n backslashes, and the mark
//   starts or ends a quoted part; 2n+1 give n backslashes and a literal
//   quotation mark; backslashes before anything else are kept as they are;
// - within a quoted part, two quotation marks give one literal mark and end
//   the quoted part.
// Text is the program's 8-bit text: the marks, blanks and backslashes are
// single bytes in it, so every other character passes through whole.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pendrix {

// Every argument, the program's name first; an empty command line gives
// one empty name, as the program's name is always there.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace pendrix
