// Where pendrix-cli writes: standard output for what it did, standard error
// for failures. Texts are the program's 8-bit text; the Windows side shows
// them in a console or writes UTF-8 when redirected.
#pragma once

#include <string_view>

namespace pendrix::cli {

class CliOutput {
public:
    virtual ~CliOutput() = default;
    virtual void Out(std::string_view text) = 0;
    virtual void Error(std::string_view text) = 0;
};

}  // namespace pendrix::cli
