// The start-up processing's log (PFRO.log): lines read or the log set
// aside, over a table of files as Windows writes them and as other programs
// might; which logged failure names which entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pending_list/startup_log.h"

namespace pendrix {
namespace {

// The file as Windows writes it: UTF-16 LE after its mark.
std::string Utf16File(const std::string& ascii, bool mark = true) {
    std::string file = mark ? "\xFF\xFE" : "";
    for (const char c : ascii) file.append(1, c).append(1, '\0');
    return file;
}

std::string Summary(const StartupLog& log) {
    std::string out;
    for (const LoggedFailure& f : log.failures) {
        const LocalTime& t = f.time;
        out += std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) + " " +
               std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second) + " " +
               (f.operation == LoggedOperation::Delete ? "delete " : "rename ") + f.path + " " + StatusHex(f.status) +
               ";";
    }
    return out;
}

TEST(StartupLog, ReadsTheLinesWindowsWritesAndSkipsEachOfAnotherForm) {
    const std::string line = "12/07/2026 10:11:12 - PFRO Error: \\??\\C:\\App\\old.dll, |delete operation|, 0xc0000034";
    const std::string read = "2026-12-7 10:11:12 delete \\??\\C:\\App\\old.dll 0xC0000034;";
    const struct {
        std::string file;
        StartupLogProblem problem;
        std::string failures;
        std::size_t skipped = 0;
        std::size_t firstSkipped = 0;
    } cases[] = {
        {Utf16File(line + "\r\n"), StartupLogProblem::None, read},
        {Utf16File(line, false), StartupLogProblem::None, read},
        // Windows pads no part but the year; a rename; a path holding ", ";
        // blank lines between.
        {Utf16File("3/4/2026 9:05:00 - PFRO Error: \\??\\C:\\a, b.dll, |rename operation|, 0xC0000035\r\n\r\n" + line +
                   "\n"),
         StartupLogProblem::None, "2026-3-4 9:5:0 rename \\??\\C:\\a, b.dll 0xC0000035;" + read},
        {Utf16File("2/27/2024 15:9:4 - PFRO Error: \\??\\C:\\Temp, |delete operation|, 0xc0000101"),
         StartupLogProblem::None, "2024-2-27 15:9:4 delete \\??\\C:\\Temp 0xC0000101;"},
        {Utf16File("2/29/2024 23:59:59 - PFRO Error: \\??\\C:\\x, |delete operation|, 0x1"), StartupLogProblem::None,
         "2024-2-29 23:59:59 delete \\??\\C:\\x 0x00000001;"},
        {"", StartupLogProblem::Empty, ""},
        {Utf16File("\r\n\r\n"), StartupLogProblem::Empty, ""},
        {Utf16File(line).substr(1), StartupLogProblem::NotUtf16, ""},
        // Another form: that line alone is skipped, and counted.
        {line, StartupLogProblem::None, "", 1, 1},  // ASCII, not UTF-16
        {Utf16File("Something else\r\n" + line + "\r\n\r\nAnd more\r\n"), StartupLogProblem::None, read, 2, 1},
        {Utf16File(line + "\r\n2/29/2023 10:11:12 - PFRO Error: \\??\\C:\\x, |delete operation|, 0x1"),
         StartupLogProblem::None, read, 1, 2},
    };
    for (const auto& c : cases) {
        const StartupLog log = ReadStartupLog(c.file);
        EXPECT_EQ(log.problem, c.problem) << ::testing::PrintToString(c.file);
        EXPECT_EQ(Summary(log), c.failures) << ::testing::PrintToString(c.file);
        EXPECT_EQ(log.skippedLines, c.skipped) << ::testing::PrintToString(c.file);
        EXPECT_EQ(log.firstSkipped, c.firstSkipped) << ::testing::PrintToString(c.file);
    }
    // Lines of another form, each skipped alone.
    for (const std::string other : {
             "2/29/2023 10:11:12 - PFRO Error: \\??\\C:\\x, |delete operation|, 0x1",
             "13/01/2026 10:11:12 - PFRO Error: \\??\\C:\\x, |delete operation|, 0x1",
             "12/07/2026 24:11:12 - PFRO Error: \\??\\C:\\x, |delete operation|, 0x1",
             "12/07/2026 10:60:12 - PFRO Error: \\??\\C:\\x, |delete operation|, 0x1",
             "12/07/2026 10:11:123 - PFRO Error: \\??\\C:\\x, |delete operation|, 0x1",
             "12/07/26 10:11:12 - PFRO Error: \\??\\C:\\x, |delete operation|, 0x1",
             "12/07/2026 10:11:12 - PFRO Error: \\??\\C:\\x, |copy operation|, 0x1",
             "12/07/2026 10:11:12 - PFRO Error: \\??\\C:\\x, |delete operation|, 0x123456789",
             "12/07/2026 10:11:12 - PFRO Error: \\??\\C:\\x, |delete operation|, 34",
             "12/07/2026 10:11:12 - PFRO Error: , |delete operation|, 0x1",
             "12/07/2026 10:11:12 - PFRO Warning: \\??\\C:\\x, |delete operation|, 0x1",
         }) {
        const StartupLog log = ReadStartupLog(Utf16File(line + "\r\n" + other + "\r\n" + line));
        EXPECT_EQ(Summary(log), read + read) << other;
        EXPECT_EQ(log.skippedLines, 1u) << other;
        EXPECT_EQ(log.firstSkipped, 2u) << other;
    }
}

TEST(StartupLog, StatusesInWords) {
    EXPECT_EQ(StatusMeaning(0xC0000034).value_or(""), "the file was not found");
    EXPECT_EQ(StatusMeaning(0xC0000043).value_or(""), "the file was in use (sharing violation)");
    for (const std::uint32_t known : {0xC0000034u, 0xC000003Au, 0xC0000043u, 0xC0000022u, 0xC0000035u, 0xC0000121u,
                                      0xC0000101u})
        EXPECT_TRUE(StatusMeaning(known).has_value()) << StatusHex(known);
    EXPECT_FALSE(StatusMeaning(0xC00000ABu).has_value());
    EXPECT_EQ(StatusHex(0xC000003A), "0xC000003A");
}

// Which logged failure names an entry: the kind must agree, the name is
// compared as Windows compares names, only lines from `since` on count,
// and the latest wins.
TEST(StartupLog, TheLatestFailureThatNamesTheEntry) {
    StartupLog log;
    const auto add = [&](const char* path, LoggedOperation operation, std::uint32_t status) {
        log.failures.push_back({LocalTime{}, path, operation, status});
    };
    add("\\??\\C:\\App\\old.dll", LoggedOperation::Delete, 1);
    add("\\??\\C:\\app\\OLD.DLL", LoggedOperation::Delete, 2);
    add("\\??\\C:\\new.dll", LoggedOperation::Rename, 3);
    add("\\??\\C:\\Привет", LoggedOperation::Delete, 4);
    std::uint64_t clock = 100;
    const std::vector<TimedFailure> timed = TimeFailures(log, [&](const LocalTime&, std::uint64_t& utc) {
        utc = clock;
        clock += 100;
        return true;
    });
    ASSERT_EQ(timed.size(), 4u);
    const struct {
        std::uint64_t since;
        const char* source;
        const char* destination;
        bool deletion;
        std::uint32_t status;  // 0: none
    } cases[] = {
        {0, "\\??\\C:\\APP\\old.dll", "", true, 2},
        {200, "\\??\\C:\\APP\\old.dll", "", true, 2},
        {201, "\\??\\C:\\APP\\old.dll", "", true, 0},
        {0, "\\??\\C:\\App\\old.dll", "\\??\\C:\\x", false, 0},  // a deletion was logged, not a rename
        {0, "\\??\\C:\\x", "\\??\\C:\\new.dll", false, 3},
        {0, "\\??\\C:\\new.dll", "\\??\\C:\\x", false, 3},
        {0, "\\??\\C:\\new.dll", "", true, 0},
        {0, "\\??\\C:\\ПРИВЕТ", "", true, 4},
        {0, "\\??\\C:\\App\\old.dl", "", true, 0},
    };
    for (const auto& c : cases) {
        const LoggedFailure* failure = LatestFailureFor(timed, c.since, c.source, c.destination, c.deletion);
        EXPECT_EQ(failure == nullptr ? 0u : failure->status, c.status) << c.source << " since " << c.since;
    }
    // A time that cannot be put in UTC leaves its line out.
    EXPECT_TRUE(TimeFailures(log, [](const LocalTime&, std::uint64_t&) { return false; }).empty());
}

}  // namespace
}  // namespace pendrix
