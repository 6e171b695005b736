// pendrix-cli verify: what became of each entry of a saved listing, over a
// table of listed entries and the files after a restart; listings refused
// by the reader; file times as text. (The reader's round trip is a fuzz
// property; the command runs for real in the Wine restart test.)
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/file_time_text.h"
#include "cli/json_reader.h"
#include "cli/saved_listing.h"
#include "cli/verification.h"
#include "registry/registry_constants.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix::cli {
namespace {

constexpr FileStamp kListed{10, 100};
constexpr FileStamp kOther{10, 101};
const FileState kGone{SourceState::Missing, std::nullopt};
const FileState kUnknown{SourceState::Unknown, std::nullopt};
const FileState kFolder{SourceState::Exists, std::nullopt};
FileState File(FileStamp stamp) { return {SourceState::Exists, stamp}; }

TEST(Verification, ClassifiesEachListedEntryAgainstTheFilesNow) {
    constexpr auto kDelete = EntryKind::Delete, kReplace = EntryKind::Replace, kRename = EntryKind::Rename;
    constexpr auto kExists = SourceState::Exists, kMissing = SourceState::Missing;
    const struct {
        const char* what;
        EntryKind kind;
        Unreached unreached;
        SourceState listed;
        std::optional<FileStamp> listedStamp;
        bool pending;
        FileState source, destination;
        Outcome outcome;
    } cases[] = {
        {"deleted", kDelete, Unreached::No, kExists, kListed, false, kGone, {}, Outcome::CarriedOut},
        {"deletion left", kDelete, Unreached::No, kExists, kListed, false, File(kListed), {}, Outcome::NotCarriedOut},
        {"deletion unknown", kDelete, Unreached::No, kExists, kListed, false, kUnknown, {}, Outcome::NotChecked},
        {"still listed", kDelete, Unreached::No, kExists, kListed, true, kGone, {}, Outcome::StillPending},
        {"after a gap", kDelete, Unreached::AfterEmptyString, kExists, kListed, true, kGone, {},
         Outcome::NeverReached},
        {"not closed", kRename, Unreached::NotClosed, kExists, kListed, false, kGone, File(kListed),
         Outcome::NeverReached},
        {"replaced", kReplace, Unreached::No, kExists, kListed, false, kGone, File(kListed), Outcome::CarriedOut},
        {"source left", kReplace, Unreached::No, kExists, kListed, false, File(kListed), File(kListed),
         Outcome::NotCarriedOut},
        {"old file left", kReplace, Unreached::No, kExists, kListed, false, kGone, File(kOther),
         Outcome::NotCarriedOut},
        {"folder there", kReplace, Unreached::No, kExists, kListed, false, kGone, kFolder, Outcome::NotCarriedOut},
        {"no destination", kRename, Unreached::No, kExists, kListed, false, kGone, kGone, Outcome::NotCarriedOut},
        {"destination unknown", kRename, Unreached::No, kExists, kListed, false, kGone, kUnknown,
         Outcome::NotChecked},
        {"folder renamed", kRename, Unreached::No, kExists, std::nullopt, false, kGone, kFolder, Outcome::CarriedOut},
        {"no stamp listed", kReplace, Unreached::No, SourceState::Unknown, std::nullopt, false, kGone, File(kOther),
         Outcome::CarriedOut},
        {"source was missing", kReplace, Unreached::No, kMissing, std::nullopt, false, kGone, File(kOther),
         Outcome::NotCarriedOut},
    };
    for (const auto& c : cases) {
        PendingEntry listed;
        listed.kind = c.kind;
        listed.unreached = c.unreached;
        EntryNow now;
        now.pending = c.pending;
        now.source = c.source;
        now.destination = c.destination;
        now.fileStamp = c.listedStamp;
        now.fileWasMissing = c.listed == kMissing;
        const Verdict verdict = Classify(listed, now);
        EXPECT_EQ(verdict.outcome, c.outcome) << c.what;
        const bool explained = verdict.outcome == Outcome::NotCarriedOut || verdict.outcome == Outcome::NotChecked;
        EXPECT_EQ(!verdict.reason.empty(), explained) << c.what;
    }
}

// A listing read in order, against the files after the restart: each row
// the stored strings, the size of each entry's source when listed (0: none
// recorded), the files there now (name and size) and the outcomes.
TEST(Verification, ReadsTheListingInOrder) {
    using O = Outcome;
    const struct {
        const char* what;
        std::string stored;
        std::vector<std::uint64_t> sizes;
        std::vector<std::pair<const char*, std::uint64_t>> filesNow;
        std::vector<Outcome> outcomes;
    } cases[] = {
        {"an installer's two steps", S("\\??\\C:\\s3\0!\\??\\C:\\t3\0\\??\\C:\\n1\0!\\??\\C:\\s3\0\0"), {3, 1},
         {{"C:\\t3", 3}, {"C:\\s3", 1}}, {O::CarriedOut, O::CarriedOut}},
        {"the two steps, the second not carried out", S("\\??\\C:\\s3\0!\\??\\C:\\t3\0\\??\\C:\\n1\0!\\??\\C:\\s3\0\0"),
         {3, 1}, {{"C:\\t3", 3}, {"C:\\n1", 1}}, {O::CarriedOut, O::NotCarriedOut}},
        {"the two steps, neither carried out", S("\\??\\C:\\s3\0!\\??\\C:\\t3\0\\??\\C:\\n1\0!\\??\\C:\\s3\0\0"),
         {3, 1}, {{"C:\\t3", 9}, {"C:\\s3", 3}, {"C:\\n1", 1}}, {O::NotCarriedOut, O::NotCarriedOut}},
        {"moved on by a later entry", S("\\??\\C:\\a\0\\??\\C:\\b\0\\??\\C:\\b\0\\??\\C:\\c\0\0"), {5, 0},
         {{"C:\\c", 5}}, {O::CarriedOut, O::CarriedOut}},
        {"source deleted by an earlier entry", S("\\??\\C:\\a\0\0\\??\\C:\\a\0!\\??\\C:\\b\0\0"), {5, 5},
         {{"C:\\b", 2}}, {O::CarriedOut, O::NotCarriedOut}},
        {"a deletion on a drive not here", S("\\??\\Q:\\x\0\0\\??\\C:\\y\0\0\0"), {1, 1}, {},
         {O::NotChecked, O::CarriedOut}},
        {"a replacement from a share not here", S("\\??\\UNC\\srv\\sh\\x\0!\\??\\C:\\y\0\0"), {1}, {{"C:\\y", 1}},
         {O::NotChecked}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::pendrix::testing::FakeFileSystem files;
        files.missingRoots = {"q:\\", "\\\\srv\\sh\\"};
        for (const auto& [name, size] : c.filesNow) files.Put(name, std::string(size, 'x'));
        PendingEntries listed = DescribeEntries(c.stored, true);
        ASSERT_EQ(listed.entries.size(), c.sizes.size());
        for (std::size_t i = 0; i < c.sizes.size(); ++i) {
            listed.entries[i].sourceState = SourceState::Exists;
            if (c.sizes[i] != 0) listed.entries[i].sourceStamp = FileStamp{c.sizes[i], 0};
        }
        // The fake stamps each file with its own time: compare sizes only.
        for (const auto& [name, size] : c.filesNow) files.Find(name)->lastWrite = 0;
        const std::vector<Verdict> verdicts = VerifyEntries(listed, DescribeEntries("", false), files);
        ASSERT_EQ(verdicts.size(), c.outcomes.size());
        for (std::size_t i = 0; i < verdicts.size(); ++i)
            EXPECT_EQ(verdicts[i].outcome, c.outcomes[i]) << i << " " << verdicts[i].reason;
        if (c.outcomes[0] == O::NotChecked) {
            EXPECT_NE(verdicts[0].reason.find("does not exist"), std::string::npos);
        }
    }
}

// Each entry's files are asked about by their Win32 names: a replacement's
// destination without its "!".
TEST(Verification, AsksAboutEachEntrysFiles) {
    ::pendrix::testing::FakeFileSystem files;
    files.Put("C:\\d", "12345");
    files.Put("C:\\n", "x");
    FileFacts facts;
    ASSERT_EQ(files.Facts("C:\\d", facts), kErrorSuccess);
    PendingEntries listed = DescribeEntries(S("\\??\\C:\\s\0!\\??\\C:\\d\0\\??\\C:\\r\0\\??\\C:\\n\0\0"), true);
    ASSERT_EQ(listed.entries.size(), 2u);
    listed.entries[0].sourceState = SourceState::Exists;
    listed.entries[0].sourceStamp = FileStamp{facts.size, facts.lastWrite};
    const std::vector<Verdict> verdicts = VerifyEntries(listed, PendingEntries{}, files);
    ASSERT_EQ(verdicts.size(), 2u);
    EXPECT_EQ(verdicts[0].outcome, Outcome::CarriedOut);
    EXPECT_EQ(verdicts[1].outcome, Outcome::CarriedOut);
    files.Put("C:\\d", "1234");  // another file now
    files.Remove("C:\\n");
    EXPECT_EQ(VerifyEntries(listed, PendingEntries{}, files)[0].outcome, Outcome::NotCarriedOut);
    EXPECT_EQ(VerifyEntries(listed, PendingEntries{}, files)[1].outcome, Outcome::NotCarriedOut);
}

// A listing as list --json writes it, with one entry's members replaced.
std::string Listing(const std::string& entry = R"("number": 1, "kind": "replace", "source": "C:\\s",
    "destination": "C:\\d", "first": "\\??\\C:\\s", "second": "!\\??\\C:\\d", "sourceExists": true,
    "sourceSize": 5, "sourceLastWrite": "2024-05-01T12:34:56.1234567Z", "reached": true, "warnings": [])") {
    return "{\"value\": \"HKLM\\\\SYSTEM\\\\CurrentControlSet\\\\Control\\\\Session Manager\\\\"
           "PendingFileRenameOperations\", \"exists\": true, \"closedProperly\": true, \"entries\": [\r\n{" +
           entry + "}\r\n]}\r\n";
}

TEST(SavedListing, TakesOnlyWhatListWrites) {
    const std::optional<PendingEntries> read = ReadSavedListing(Listing());
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->entries.size(), 1u);
    EXPECT_EQ(read->entries[0].sourceStamp, (FileStamp{5, *FileTimeOfText("2024-05-01T12:34:56.1234567Z")}));
    // A listing from before sizes and times were recorded.
    EXPECT_TRUE(ReadSavedListing(Listing(R"("number": 1, "kind": "delete", "source": "C:\\x",
        "destination": null, "first": "\\??\\C:\\x", "second": "", "sourceExists": null, "reached": true,
        "warnings": [], "added later": {})")));

    const std::pair<std::string, std::string> edits[] = {
        {"\"number\": 1", "\"number\": 2"},
        {"\"kind\": \"replace\"", "\"kind\": \"rename\""},
        {"\"source\": \"C:\\\\s\"", "\"source\": \"C:\\\\t\""},
        {"\"destination\": \"C:\\\\d\"", "\"destination\": null"},
        {"\"first\": \"\\\\??\\\\C:\\\\s\"", "\"first\": \"\""},
        {"\"second\": \"!\\\\??\\\\C:\\\\d\"", "\"second\": \"!\\\\??\\\\C:\\\\d\\u0000\""},
        {"\"sourceExists\": true", "\"sourceExists\": false"},
        {"\"sourceSize\": 5", "\"sourceSize\": -5"},
        {"\"sourceSize\": 5", "\"sourceSize\": 18446744073709551616"},
        {"12:34:56.1234567Z", "12:34:56.123456Z"},
        {"2024-05-01", "2024-02-30"},
        {"\"warnings\": []", "\"warnings\": [1]"},
        {"\"warnings\": []", "\"warnings\": [], \"reached\": true"},
        {"\"source\": \"C:\\\\s\"", "\"source\": \"C:\\\\s\xC3\xA9\""},
        {"\"exists\": true", "\"exists\": false"},
        {"}\r\n]}\r\n", "}\r\n]} x"},
        {"}\r\n]}\r\n", "},\r\n]}"},
    };
    for (const auto& [from, to] : edits) {
        std::string changed = Listing();
        ASSERT_NE(changed.find(from), std::string::npos) << from;
        changed.replace(changed.find(from), from.size(), to);
        EXPECT_FALSE(ReadSavedListing(changed).has_value()) << to;
    }
    std::string utf16 = "\xFF\xFE";
    for (const char c : Listing()) utf16.append(1, c).append(1, '\0');
    EXPECT_TRUE(ReadSavedListing(utf16));
    EXPECT_FALSE(ReadSavedListing(utf16.substr(0, utf16.size() - 1)));
    EXPECT_FALSE(ReadSavedListing(utf16.substr(2)));
}

TEST(JsonReader, TakesJsonAndNothingElse) {
    // depth levels of arrays or of objects, the innermost empty.
    const auto nested = [](std::size_t depth, const std::string& open, const std::string& close) {
        std::string text = open == "[" ? "[]" : "{}";
        for (std::size_t i = 1; i < depth; ++i) text = open + text + close;
        return text;
    };
    for (const auto& [open, close] : {std::pair{"[", "]"}, std::pair{"{\"a\": ", "}"}}) {
        EXPECT_TRUE(ReadJson(nested(kMaxJsonDepth, open, close))) << open;
        EXPECT_FALSE(ReadJson(nested(kMaxJsonDepth + 1, open, close))) << open;
    }
    for (const char* refused : {"[1.]", "[\"\x1F\"]", "{\"a\": 1, \"a\": 2}", "[] x", "[01]", "[\"\\x\"]", "[1e]"})
        EXPECT_FALSE(ReadJson(refused)) << refused;
    const std::optional<JsonValue> escaped = ReadJson("\"\\u00e9\\u0041\\n\"");
    ASSERT_TRUE(escaped);
    EXPECT_EQ(escaped->text, "\xC3\xA9" "A\n");
}

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

struct RecordedOutput : CliOutput {
    std::string out;
    std::string error;
    void Out(std::string_view text) override { out += text; }
    void Error(std::string_view text) override { error += text; }
};

struct NoHolders : HolderFinder {
    std::uint32_t Find(const std::vector<std::string>&, HolderScan&) override { return kErrorSuccess; }
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
        {"a line of another form",
         LogFile(line("12/07/2026 10:30:00", "\\??\\C:\\d\\del.txt", "delete", "0xc0000043") + "garbage\r\n"),
         stillThere, sourceThere, "line 2 is not of the form the start-up processing writes"},
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
        files.Put("C:\\d\\del.txt", "x");
        files.Put("C:\\d\\src.txt", "x");
        RegistryRoutines routines(registry);
        NoHolders holders;
        FixedClock clock;
        clock.now = *FileTimeOfText("2026-12-07T09:00:00.0000000Z");
        RecordedOutput listed;
        testing::FakeListLock lock;
        CliContext listing{routines, files, holders, lock, listed, [](std::int32_t) { return std::string("text"); },
                           &clock};
        CliArguments list;
        list.command = CliCommand::List;
        list.json = true;
        ASSERT_EQ(RunCommand(list, listing), 0);
        files.Put("C:\\work\\listing.json", listed.out);

        // The restart: the lists are gone, every file is where it was.
        registry = ::pendrix::testing::FakeRegistry();
        if (c.log) files.Put("C:\\Windows\\PFRO.log", *c.log);
        RecordedOutput output;
        CliContext context{routines, files, holders, lock, output, [](std::int32_t) { return std::string("text"); },
                           &clock};
        CliArguments verify;
        verify.command = CliCommand::Verify;
        verify.path = "C:\\work\\listing.json";
        EXPECT_EQ(RunCommand(verify, context), 1);
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
// source) moves on, is looked for where it ended.
TEST(VerifyCommand, FollowsAFileFromTheFirstValueIntoTheSecond) {
    using ::pendrix::testing::kSessionManager;
    ::pendrix::testing::FakeRegistry registry;
    ::pendrix::testing::FakeFileSystem files;
    registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, S("\\??\\C:\\a\0\\??\\C:\\b\0\0"));
    registry.PutText(kSessionManager, kPendingValue2Name, kRegMultiSz, S("*1\\??\\C:\\b\0\\??\\C:\\c\0\0"));
    files.Put("C:\\a", "content");
    RegistryRoutines routines(registry);
    NoHolders holders;
    testing::FakeListLock lock;
    FixedClock clock;
    RecordedOutput listed;
    CliContext listing{routines, files, holders, lock, listed, [](std::int32_t) { return std::string("text"); },
                       &clock};
    CliArguments list;
    list.command = CliCommand::List;
    list.json = true;
    ASSERT_EQ(RunCommand(list, listing), 0);
    files.Put("C:\\work\\listing.json", listed.out);
    // The restart, as Windows carries out both values.
    registry = ::pendrix::testing::FakeRegistry();
    ASSERT_EQ(files.MoveOver("C:\\a", "C:\\c"), kErrorSuccess);
    RecordedOutput output;
    CliContext context{routines, files, holders, lock, output, [](std::int32_t) { return std::string("text"); },
                       &clock};
    CliArguments verify;
    verify.command = CliCommand::Verify;
    verify.path = "C:\\work\\listing.json";
    EXPECT_EQ(RunCommand(verify, context), 0) << output.out;
    EXPECT_EQ(output.out, "1 carried out: rename \"C:\\a\" -> \"C:\\b\"\r\n2 carried out: rename \"C:\\b\" -> \"C:\\c\"\r\n"
                          "Summary: 2 carried out, 0 not carried out, 0 still pending, 0 never reached.\r\n");
}

// A listing of both values, as list --json writes it now: the reader takes
// it, and refuses what list never writes.
TEST(SavedListing, TakesBothValuesAndTheTimeTaken) {
    const std::string listing =
        "{\"value\": \"HKLM\\\\SYSTEM\\\\CurrentControlSet\\\\Control\\\\Session Manager\\\\"
        "PendingFileRenameOperations\", \"exists\": true, \"type\": \"REG_MULTI_SZ\", \"bytes\": 20, "
        "\"changeable\": true, \"closedProperly\": true, \"taken\": \"2026-12-07T09:00:00.0000000Z\", "
        "\"values\": [{\"value\": 1, \"exists\": true, \"closedProperly\": true}, "
        "{\"value\": 2, \"exists\": true, \"type\": \"REG_MULTI_SZ\", \"bytes\": 40, \"closedProperly\": false}], "
        "\"entries\": [\r\n"
        "{\"number\": 1, \"value\": 1, \"kind\": \"delete\", \"source\": \"C:\\\\a\", \"destination\": null, "
        "\"first\": \"\\\\??\\\\C:\\\\a\", \"second\": \"\", \"sourceFlag\": null, \"sourceExists\": true, "
        "\"reached\": true, \"warnings\": []},\r\n"
        "{\"number\": 2, \"value\": 2, \"kind\": \"rename\", \"source\": \"C:\\\\s\", \"destination\": \"C:\\\\d\", "
        "\"first\": \"*1\\\\??\\\\C:\\\\s\", \"second\": \"\\\\??\\\\C:\\\\d\", \"sourceFlag\": \"*1\", "
        "\"sourceExists\": true, \"destinationExists\": true, \"reached\": false, "
        "\"warnings\": [\"destination-exists\", \"not-closed\"]}\r\n]}\r\n";
    const std::optional<PendingEntries> read = ReadSavedListing(listing);
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->entries.size(), 2u);
    EXPECT_EQ(read->taken, FileTimeOfText("2026-12-07T09:00:00.0000000Z"));
    EXPECT_EQ(read->entries[1].value, 1u);
    EXPECT_EQ(read->entries[1].sourceFlag, "*1");
    EXPECT_EQ(read->entries[1].destinationState, SourceState::Exists);
    EXPECT_EQ(read->entries[1].unreached, Unreached::NotClosed) << "the second value is not closed";
    EXPECT_EQ(read->second.shape.bytes, 40u);

    const std::pair<std::string, std::string> edits[] = {
        {"\"value\": 2, \"kind\"", "\"value\": 3, \"kind\""},
        {"\"value\": 1, \"kind\"", "\"value\": 2, \"kind\""},   // fine alone; then 2 before... see below
        {"\"sourceFlag\": \"*1\"", "\"sourceFlag\": \"*2\""},
        {"\"sourceFlag\": \"*1\"", "\"sourceFlag\": null"},
        {"\"sourceFlag\": null", "\"sourceFlag\": \"*1\""},
        {"2026-12-07T09:00:00.0000000Z", "yesterday"},
        {"{\"value\": 2, \"exists\": true", "{\"value\": 2, \"exists\": false"},
        {"{\"value\": 2, \"exists\": true, \"type\": \"REG_MULTI_SZ\"", "{\"value\": 2, \"exists\": true, \"type\": \"REG_TEXT\""},
        {"\"bytes\": 40", "\"bytes\": 4294967296"},
        {"{\"value\": 1, \"exists\": true, \"closedProperly\": true}, ", ""},
        {"\"destinationExists\": true", "\"destinationExists\": 1"},
    };
    for (const auto& [from, to] : edits) {
        std::string changed = listing;
        ASSERT_NE(changed.find(from), std::string::npos) << from;
        changed.replace(changed.find(from), from.size(), to);
        EXPECT_EQ(ReadSavedListing(changed).has_value(), from == "\"value\": 1, \"kind\"") << to;
    }
    // The second value's entries after the first's only.
    std::string swapped = listing;
    swapped.replace(swapped.find("\"value\": 1, \"kind\""), 21, "\"value\": 2, \"kind\"");
    swapped.replace(swapped.find("\"value\": 2, \"kind\": \"rename"), 21, "\"value\": 1, \"kind\"");
    EXPECT_FALSE(ReadSavedListing(swapped).has_value());
}

TEST(FileTimeText, GivesBackTheVeryTime) {
    const std::pair<std::uint64_t, const char*> times[] = {
        {0, "1601-01-01T00:00:00.0000000Z"},
        {116'444'736'000'000'000, "1970-01-01T00:00:00.0000000Z"},
        {133'590'404'961'234'567, "2024-05-01T12:34:56.1234567Z"},
        {125'963'423'999'999'999, "2000-02-29T23:59:59.9999999Z"},
        {kLatestFileTime, "30828-09-14T02:48:05.4775807Z"},
    };
    for (const auto& [ticks, text] : times) {
        EXPECT_EQ(FileTimeText(ticks), text);
        EXPECT_EQ(FileTimeOfText(text), ticks) << text;
    }
    for (const char* text : {"1600-12-31T23:59:59.9999999Z", "2023-02-29T00:00:00.0000000Z",
                             "2024-05-01T24:00:00.0000000Z", "02024-05-01T12:34:56.1234567Z",
                             "30828-09-14T02:48:05.4775808Z"})
        EXPECT_FALSE(FileTimeOfText(text).has_value()) << text;
}

}  // namespace
}  // namespace pendrix::cli
