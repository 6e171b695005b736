// pendrix-cli verify run after list --json, a restart the test plays and
// the start-up processing's log: what the command says of each entry.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/file_time_text.h"
#include "platform/system_clock_api.h"
#include "registry/registry_constants.h"
#include "tests/common/literal_text.h"
#include "tests/native/cli_test_support.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix::cli {
namespace {

using ::pendrix::testing::ErrorTextStandIn;
using ::pendrix::testing::NoHolders;
using ::pendrix::testing::RecordedOutput;
using ::pendrix::testing::RunCommandLine;

// The computer's clock as a stand-in: a fixed now, and a zone one hour
// ahead of UTC (as TzSpecificLocalTimeToSystemTime answers for Central
// European winter time).
struct FixedClock : SystemClockApi {
    std::uint64_t now = 0;
    std::uint64_t NowUtc() override { return now; }
    bool LocalToUtc(const LocalTime& local, std::uint64_t& utc) override {
        char text[40];
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.0000000Z", local.year, local.month, local.day,
                      local.hour, local.minute, local.second);
        const std::optional<std::uint64_t> ticks = FileTimeOfText(text);
        constexpr std::uint64_t kHour = 36'000'000'000;
        if (!ticks) return false;
        utc = *ticks - kHour;
        return true;
    }
    std::string WindowsFolder() override { return "C:\\Windows"; }
};

// PFRO.log as Windows writes it: UTF-16 LE after its mark.
std::string LogFile(const std::string& lines) {
    std::string file = "\xFF\xFE";
    for (const char c : lines) file.append(1, c).append(1, '\0');
    return file;
}

// list --json before a restart, the restart leaving every file in place,
// PFRO.log, then verify: a failure logged after the listing was taken that
// names an entry says why it was not carried out, in Windows' own words;
// earlier lines, other operations and a log of another form change nothing
// (the last said once on standard error). The deletion's source is in the
// first value; the rename, whose source carries a flag, in the second.
TEST(VerifyCommand, TheStartUpLogSaysWhyAnEntryWasNotCarriedOut) {
    using ::pendrix::testing::kSessionManager;
    const auto line = [](const char* time, const char* path, const char* operation, const char* status) {
        return std::string(time) + " - PFRO Error: " + path + ", |" + operation + " operation|, " + status + "\r\n";
    };
    const std::string stillThere = "it still exists";
    const std::string sourceThere = "the source still exists";
    const struct {
        const char* what;
        std::optional<std::string> log;  // none: no PFRO.log
        std::string deletion, rename;    // the reasons shown
        std::string error;               // what standard error holds
    } cases[] = {
        {"no log", std::nullopt, stillThere, sourceThere, ""},
        {"both logged after the listing",
         LogFile(line("12/07/2026 10:30:00", "\\??\\C:\\d\\DEL.txt", "delete", "0xc0000043") +
                 line("12/7/2026 10:30:01", "\\??\\C:\\d\\src.txt", "rename", "0xC0000035")),
         "the start-up processing logged 0xC0000043: the file was in use (sharing violation)",
         "the start-up processing logged 0xC0000035: the destination already exists", ""},
        {"an unknown status, by number",
         LogFile(line("12/07/2026 10:30:00", "\\??\\C:\\d\\del.txt", "delete", "0xc00000ab")),
         "the start-up processing logged 0xC00000AB", sourceThere, ""},
        // 09:30 local is 08:30 UTC: before the listing was taken at 09:00 UTC.
        {"logged before the listing",
         LogFile(line("12/07/2026 09:30:00", "\\??\\C:\\d\\del.txt", "delete", "0xc0000043")), stillThere,
         sourceThere, ""},
        {"another operation",
         LogFile(line("12/07/2026 10:30:00", "\\??\\C:\\d\\del.txt", "rename", "0xc0000043")), stillThere,
         sourceThere, ""},
        // Windows pads no part of the time but the year; a line of another
        // form is skipped alone, and said once.
        {"lines of another form",
         LogFile("garbage\r\n" + line("12/7/2026 10:30:0", "\\??\\C:\\d\\del.txt", "delete", "0xc0000043") +
                 "more garbage\r\n"),
         "the start-up processing logged 0xC0000043: the file was in use (sharing violation)", sourceThere,
         "2 lines are not of the form the start-up processing writes and were skipped (the first is line 1)"},
        {"an empty log", LogFile(""), stillThere, sourceThere, "holds no line"},
        {"not UTF-16", std::string("abc"), stillThere, sourceThere, "is not UTF-16 text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::pendrix::testing::FakeRegistry registry;
        ::pendrix::testing::FakeFileSystem files;
        registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, S("\\??\\C:\\d\\del.txt\0\0\0"));
        registry.PutText(kSessionManager, kPendingValue2Name, kRegMultiSz,
                         S("*1\\??\\C:\\d\\src.txt\0\\??\\C:\\d\\dst.txt\0\0"));
        files.PutFolder("C:\\Windows");  // without PFRO.log: no log, not one that cannot be read
        files.Put("C:\\d\\del.txt", "x");
        files.Put("C:\\d\\src.txt", "x");
        RegistryRoutines routines(registry);
        NoHolders holders;
        FixedClock clock;
        clock.now = *FileTimeOfText("2026-12-07T09:00:00.0000000Z");
        RecordedOutput listed;
        testing::FakeListLock lock;
        CliContext listing{routines, files, holders, lock, listed, ErrorTextStandIn, &clock};
        ASSERT_EQ(RunCommandLine({"list", "--json"}, listing), 0);
        files.Put("C:\\work\\listing.json", listed.out);

        // The restart: the lists are gone, every file is where it was.
        registry = ::pendrix::testing::FakeRegistry();
        if (c.log) files.Put("C:\\Windows\\PFRO.log", *c.log);
        RecordedOutput output;
        CliContext context{routines, files, holders, lock, output, ErrorTextStandIn, &clock};
        EXPECT_EQ(RunCommandLine({"verify", "C:\\work\\listing.json"}, context), 1);
        EXPECT_EQ(output.out, "1 not carried out: delete \"C:\\d\\del.txt\" (" + c.deletion +
                                  ")\r\n2 not carried out: rename \"C:\\d\\src.txt\" -> \"C:\\d\\dst.txt\" (" + c.rename +
                                  ")\r\nSummary: 0 carried out, 2 not carried out, 0 still pending, 0 never reached.\r\n");
        if (c.error.empty()) {
            EXPECT_EQ(output.error, "");
        } else {
            EXPECT_NE(output.error.find(c.error), std::string::npos) << output.error;
            EXPECT_EQ(output.error.find('\n'), output.error.size() - 1) << "said once: " << output.error;
        }
    }
}

// verify reads both values as the one sequence the start-up processing
// carried out: a file the first value renames, the second (by a flagged
// source) moves on, is looked for where it ended; a rename onto a file it
// may not replace fails, and the deletion of its source after it runs.
TEST(VerifyCommand, FollowsEachFileThroughBothValues) {
    using ::pendrix::testing::FakeFileSystem;
    using ::pendrix::testing::kSessionManager;
    const struct {
        const char* what;
        std::string first, second;                      // the values before the restart
        std::vector<std::pair<const char*, const char*>> files;  // name, content
        std::function<void(FakeFileSystem&)> restart;  // what Windows carries out
        int exit;
        std::string out;
    } cases[] = {
        {"a file moved on by the second value", S("\\??\\C:\\a\0\\??\\C:\\b\0\0"),
         S("*1\\??\\C:\\b\0\\??\\C:\\c\0\0"), {{"C:\\a", "content"}},
         [](FakeFileSystem& files) { ASSERT_EQ(files.MoveOver("C:\\a", "C:\\c"), kErrorSuccess); }, 0,
         "1 carried out: rename \"C:\\a\" -> \"C:\\b\"\r\n2 carried out: rename \"C:\\b\" -> \"C:\\c\"\r\n"
         "Summary: 2 carried out, 0 not carried out, 0 still pending, 0 never reached.\r\n"},
        {"a rename onto a file without !, then its source deleted",
         S("\\??\\C:\\c\0\\??\\C:\\d\0\\??\\C:\\c\0\0\0"), "", {{"C:\\c", "c's"}, {"C:\\d", "d's own"}},
         [](FakeFileSystem& files) { ASSERT_EQ(files.Remove("C:\\c"), kErrorSuccess); }, 1,
         "1 not carried out: rename \"C:\\c\" -> \"C:\\d\" (the destination is not the source's file: its size or "
         "last-write time differs from the source's when listed)\r\n2 carried out: delete \"C:\\c\"\r\n"
         "Summary: 1 carried out, 1 not carried out, 0 still pending, 0 never reached.\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::pendrix::testing::FakeRegistry registry;
        FakeFileSystem files;
        registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, c.first);
        if (!c.second.empty()) registry.PutText(kSessionManager, kPendingValue2Name, kRegMultiSz, c.second);
        for (const auto& [name, content] : c.files) files.Put(name, content);
        RegistryRoutines routines(registry);
        NoHolders holders;
        testing::FakeListLock lock;
        FixedClock clock;
        RecordedOutput listed;
        CliContext listing{routines, files, holders, lock, listed, ErrorTextStandIn, &clock};
        ASSERT_EQ(RunCommandLine({"list", "--json"}, listing), 0);
        files.Put("C:\\work\\listing.json", listed.out);
        registry = ::pendrix::testing::FakeRegistry();
        c.restart(files);
        RecordedOutput output;
        CliContext context{routines, files, holders, lock, output, ErrorTextStandIn, &clock};
        EXPECT_EQ(RunCommandLine({"verify", "C:\\work\\listing.json"}, context), c.exit) << output.out;
        EXPECT_EQ(output.out, c.out);
    }
}

}  // namespace
}  // namespace pendrix::cli
