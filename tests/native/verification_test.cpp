// What became of each entry of a saved listing, over a
// table of listed entries and the files after a restart; listings refused
// by the reader; file times as text. (The reader's round trip is a fuzz
// property; the command runs for real in the Wine restart test.)
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/file_time_text.h"
#include "common/json_reader.h"
#include "pending_list/saved_listing.h"
#include "pending_list/verification.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_file_system.h"

namespace pendrix {
namespace {

constexpr ContentStamp kListed{10, 100};
constexpr ContentStamp kOther{10, 101};
const PathPresence kGone{Presence::Missing, std::nullopt};
const PathPresence kUnknown{Presence::Unknown, std::nullopt};
const PathPresence kFolder{Presence::Exists, std::nullopt};
PathPresence File(ContentStamp stamp) { return {Presence::Exists, stamp}; }

TEST(Verification, ClassifiesEachListedEntryAgainstTheFilesNow) {
    constexpr auto kDelete = EntryKind::Delete, kReplace = EntryKind::Replace, kRename = EntryKind::Rename;
    constexpr auto kExists = Presence::Exists, kMissing = Presence::Missing;
    const struct {
        const char* what;
        EntryKind kind;
        Unreached unreached;
        Presence listed;
        std::optional<ContentStamp> listedStamp;
        bool pending;
        PathPresence source, destination;
        VerifyResult result;
    } cases[] = {
        {"deleted", kDelete, Unreached::No, kExists, kListed, false, kGone, {}, VerifyResult::CarriedOut},
        {"deletion left", kDelete, Unreached::No, kExists, kListed, false, File(kListed), {}, VerifyResult::NotCarriedOut},
        {"deletion unknown", kDelete, Unreached::No, kExists, kListed, false, kUnknown, {}, VerifyResult::NotChecked},
        {"still listed", kDelete, Unreached::No, kExists, kListed, true, kGone, {}, VerifyResult::StillPending},
        {"after a gap", kDelete, Unreached::AfterEmptyString, kExists, kListed, true, kGone, {},
         VerifyResult::NeverReached},
        {"not closed", kRename, Unreached::NotClosed, kExists, kListed, false, kGone, File(kListed),
         VerifyResult::NeverReached},
        {"replaced", kReplace, Unreached::No, kExists, kListed, false, kGone, File(kListed), VerifyResult::CarriedOut},
        {"source left", kReplace, Unreached::No, kExists, kListed, false, File(kListed), File(kListed),
         VerifyResult::NotCarriedOut},
        {"old file left", kReplace, Unreached::No, kExists, kListed, false, kGone, File(kOther),
         VerifyResult::NotCarriedOut},
        {"folder there", kReplace, Unreached::No, kExists, kListed, false, kGone, kFolder, VerifyResult::NotCarriedOut},
        {"no destination", kRename, Unreached::No, kExists, kListed, false, kGone, kGone, VerifyResult::NotCarriedOut},
        {"destination unknown", kRename, Unreached::No, kExists, kListed, false, kGone, kUnknown,
         VerifyResult::NotChecked},
        {"folder renamed", kRename, Unreached::No, kExists, std::nullopt, false, kGone, kFolder, VerifyResult::CarriedOut},
        {"no stamp listed", kReplace, Unreached::No, Presence::Unknown, std::nullopt, false, kGone, File(kOther),
         VerifyResult::CarriedOut},
        {"source was missing", kReplace, Unreached::No, kMissing, std::nullopt, false, kGone, File(kOther),
         VerifyResult::NotCarriedOut},
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
        EXPECT_EQ(verdict.result, c.result) << c.what;
        const bool explained = verdict.result == VerifyResult::NotCarriedOut || verdict.result == VerifyResult::NotChecked;
        EXPECT_EQ(!verdict.reason.empty(), explained) << c.what;
    }
}

// A listing read in order, against the files after the restart: each row
// the stored strings, the size of each entry's source when listed (0: it
// did not exist), the files there now (name and size), the outcomes, and
// the plain renames' destinations listed as existing.
TEST(Verification, ReadsTheListingInOrder) {
    using O = VerifyResult;
    const struct {
        const char* what;
        std::string stored;
        std::vector<std::uint64_t> sizes;
        std::vector<std::pair<const char*, std::uint64_t>> filesNow;
        std::vector<VerifyResult> results;
        std::set<std::string> listedDestinations = {};
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
        {"a rename onto a listed file without !", S("\\??\\C:\\c\0\\??\\C:\\d\0\0"), {5},
         {{"C:\\c", 5}, {"C:\\d", 2}}, {O::NotCarriedOut}, {"C:\\d"}},
        {"a rename into a folder the listing tells of", S("\\??\\C:\\a\0\\??\\C:\\f\\b\0\\??\\C:\\f\\x\0\0\\??\\C:\\a\0\0\0"),
         {5, 1, 5}, {{"C:\\f\\b", 5}}, {O::CarriedOut, O::CarriedOut, O::NotCarriedOut}},
        // The listing does not say whether C:\no existed: the deletion hangs
        // on the rename, and where the rename's file ends on the deletion.
        {"a rename into a folder the listing does not tell of, then its source deleted",
         S("\\??\\C:\\a\0\\??\\C:\\no\\b\0\\??\\C:\\a\0\0\0"), {5, 5}, {},
         {O::NotChecked, O::NotChecked}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::pendrix::testing::FakeFileSystem files;
        files.missingRoots = {"q:\\", "\\\\srv\\sh\\"};
        for (const auto& [name, size] : c.filesNow) files.Put(name, std::string(size, 'x'));
        PendingEntries listed = DescribeEntries(c.stored, true);
        ASSERT_EQ(listed.entries.size(), c.sizes.size());
        for (PendingEntry& entry : listed.entries) {
            const std::uint64_t size = c.sizes[entry.number - 1];
            entry.sourceState = size != 0 ? Presence::Exists : Presence::Missing;
            if (size != 0) entry.sourceStamp = ContentStamp{size, 0};
            if (entry.kind == EntryKind::Rename)
                entry.destinationState = c.listedDestinations.count(std::string(entry.destination))
                                             ? Presence::Exists
                                             : Presence::Missing;
        }
        // The fake stamps each file with its own time: compare sizes only.
        for (const auto& [name, size] : c.filesNow) files.Find(name)->lastWrite = 0;
        const std::vector<Verdict> verdicts = VerifyEntries(listed, DescribeEntries("", false), files);
        ASSERT_EQ(verdicts.size(), c.results.size());
        for (std::size_t i = 0; i < verdicts.size(); ++i)
            EXPECT_EQ(verdicts[i].result, c.results[i]) << i << " " << verdicts[i].reason;
        // Why not checked: a volume not here, or the entry it hangs on.
        const char* why = c.results.size() > 1 && c.results[1] == O::NotChecked ? "entry 2" : "does not exist";
        if (c.results[0] == O::NotChecked) {
            EXPECT_NE(verdicts[0].reason.find(why), std::string::npos);
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
    listed.entries[0].sourceState = Presence::Exists;
    listed.entries[0].sourceStamp = ContentStamp{facts.size, facts.lastWrite};
    const std::vector<Verdict> verdicts = VerifyEntries(listed, PendingEntries{}, files);
    ASSERT_EQ(verdicts.size(), 2u);
    EXPECT_EQ(verdicts[0].result, VerifyResult::CarriedOut);
    EXPECT_EQ(verdicts[1].result, VerifyResult::CarriedOut);
    files.Put("C:\\d", "1234");  // another file now
    files.Remove("C:\\n");
    EXPECT_EQ(VerifyEntries(listed, PendingEntries{}, files)[0].result, VerifyResult::NotCarriedOut);
    EXPECT_EQ(VerifyEntries(listed, PendingEntries{}, files)[1].result, VerifyResult::NotCarriedOut);
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
    EXPECT_EQ(read->entries[0].sourceStamp, (ContentStamp{5, *FileTimeOfText("2024-05-01T12:34:56.1234567Z")}));
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
    EXPECT_EQ(read->entries[1].destinationState, Presence::Exists);
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
}  // namespace pendrix
