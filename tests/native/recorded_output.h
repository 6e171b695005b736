// What the console tool's commands need around them in native tests: an
// output that keeps what they write, and a holder finder that names one
// process holding whatever it is asked about (or nobody).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_output.h"
#include "common/windows_codes.h"
#include "platform/holder_finder.h"

namespace pendrix::testing {

struct RecordedOutput : cli::CliOutput {
    std::string out;
    std::string error;
    void Out(std::string_view text) override { out += text; }
    void Error(std::string_view text) override { error += text; }
};

// Windows' finder reports the processes by id and image; this one reports
// processId (none when 0) with the image name "holder.exe".
struct OneHolder : HolderFinder {
    std::uint32_t processId = 0;
    std::uint32_t Find(const std::vector<std::string>&, HolderScan& scan) override {
        if (processId == 0) return kErrorSuccess;
        scan.sightings.push_back({processId, HoldKind::OpenHandle, {}, {}});
        scan.images[processId] = {"holder.exe", "C:\\bin\\holder.exe"};
        return kErrorSuccess;
    }
};

}  // namespace pendrix::testing
