// JSON strings from the program's 8-bit text, escaped from the UTF-16 units
// the text stands for: every unit outside printable ASCII becomes \uXXXX, so
// a lone surrogate comes out as an escape such as \ud800, nothing is lost,
// and the document is plain ASCII whatever code page reads it.
#pragma once

#include <string>
#include <string_view>

namespace pendrix {

// Appends text as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace pendrix
