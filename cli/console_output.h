// CliOutput on the standard handles: a console is written with
// WriteConsoleW, so that any name shows as it is; a redirected handle (file,
// pipe) gets UTF-8.
#pragma once

#include <windows.h>

#include "cli/cli_output.h"

namespace pendrix::cli {

class ConsoleOutput final : public CliOutput {
public:
    ConsoleOutput();
    void Out(std::string_view text) override;
    void Error(std::string_view text) override;

private:
    HANDLE out_;
    HANDLE error_;
};

}  // namespace pendrix::cli
