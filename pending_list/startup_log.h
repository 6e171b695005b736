// The log Windows 10 and 11 keep of the pending operations that failed at a
// start, %SystemRoot%\PFRO.log: UTF-16 LE text (a byte-order mark may lead),
// one line per failure, such as
//   12/07/2026 10:11:12 - PFRO Error: \??\C:\App\old.dll, |delete operation|, 0xc0000034
// beginning with the local date and time (month/day/year, 24-hour clock),
// each part but the year without padding ("2/27/2024 15:9:4").
// Any program may write the file, so it is read as untrusted text: a line
// of another form is skipped alone, and counted.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_clock_api.h"

namespace pendrix {

inline constexpr const char* kStartupLogName = "PFRO.log";

enum class LoggedOperation { Delete, Rename };

struct LoggedFailure {
    LocalTime time;
    std::string path;  // as logged, "\??\C:\App\old.dll"
    LoggedOperation operation = LoggedOperation::Delete;
    std::uint32_t status = 0;  // the NTSTATUS the operation failed with
};

enum class StartupLogProblem {
    None,
    Empty,       // no line at all
    NotUtf16,    // an odd number of bytes
};

struct StartupLog {
    StartupLogProblem problem = StartupLogProblem::None;
    std::vector<LoggedFailure> failures;  // when no problem, in the file's order
    // Lines not of the form above, skipped: how many, and the first (from 1).
    std::size_t skippedLines = 0;
    std::size_t firstSkipped = 0;
};

StartupLog ReadStartupLog(std::string_view file);

// What a status of the start-up processing means, in words ("the file was
// not found"); nothing for one this program does not know.
std::optional<std::string_view> StatusMeaning(std::uint32_t status);

// "0xC0000034" for a status.
std::string StatusHex(std::uint32_t status);

// A failure of the log whose time has been put in UTC (FILETIME ticks).
struct TimedFailure {
    std::uint64_t utc = 0;
    const LoggedFailure* failure = nullptr;
    std::string foldedPath;  // its path as names are compared
};

// Puts a local time in UTC with the time-zone rules in force; false when
// there is no such time.
using LocalToUtcFunction = std::function<bool(const LocalTime& local, std::uint64_t& utc)>;

// The failures of log with their times in UTC; a time that cannot be put
// in UTC leaves its line out.
std::vector<TimedFailure> TimeFailures(const StartupLog& log, const LocalToUtcFunction& toUtc);

// The latest failure logged at or after since (UTC ticks) for an entry:
// a deletion of the file that source names, or a rename whose source or
// destination is named (each "\??\" and a path; names compared as Windows
// compares them). Nothing when none was logged.
const LoggedFailure* LatestFailureFor(const std::vector<TimedFailure>& failures, std::uint64_t since,
                                      std::string_view source, std::string_view destination, bool deletion);

}  // namespace pendrix
