// Text prepared for a redirected standard handle and for one-line messages.
#pragma once

#include <string>
#include <string_view>

namespace pendrix::cli {

// The text as strict UTF-8: what stands for a lone surrogate (which UTF-8
// cannot carry) becomes U+FFFD, as a console shows it. The lossless form of
// every name is list --json. Gives text itself when it is strict UTF-8
// already, else the mended copy made in storage.
std::string_view RedirectedText(std::string_view text, std::string& storage);

// A system message on one line: line breaks become spaces, and trailing
// spaces and the closing period go.
std::string OneLine(std::string_view text);

}  // namespace pendrix::cli
