// What the console tool's native tests share: its output kept, holder
// finders that find nobody or one process, and a command line run as wmain
// runs it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"
#include "cli/cli_output.h"
#include "platform/holder_finder.h"

namespace pendrix::testing {

// Standard output and standard error, each kept whole.
struct RecordedOutput : cli::CliOutput {
    std::string out;
    std::string error;
    void Out(std::string_view text) override { out += text; }
    void Error(std::string_view text) override { error += text; }
};

// Nobody holds any file: as the Restart Manager answers (ERROR_SUCCESS, no
// process) for a file no program has open.
struct NoHolders : HolderFinder {
    WinStatus Find(const std::vector<std::string>&, HolderScan&) override { return kErrorSuccess; }
};

// Windows' finder reports the processes by id and image; this one reports
// processId (none when 0) with the image name "holder.exe".
struct OneHolder : HolderFinder {
    std::uint32_t processId = 0;
    WinStatus Find(const std::vector<std::string>&, HolderScan& scan) override {
        if (processId == 0) return kErrorSuccess;
        scan.sightings.push_back({processId, HoldKind::OpenHandle, {}, {}});
        scan.images[processId] = {"holder.exe", "C:\\bin\\holder.exe"};
        return kErrorSuccess;
    }
};

// The system's words for an error code, as the tests expect them.
inline std::string ErrorTextStandIn(WinStatus) { return "text"; }

// The arguments (after the program's name) parsed and run through the table
// of commands, as wmain runs them; a line that does not parse fails the test.
inline int RunCommandLine(const std::vector<std::string>& arguments, cli::CliContext& context) {
    const cli::ParsedArguments parsed = cli::ParseArguments(arguments);
    EXPECT_TRUE(parsed.ok) << parsed.error;
    if (!parsed.ok) return -1;
    return cli::RunCommand(parsed.arguments, context);
}

}  // namespace pendrix::testing
