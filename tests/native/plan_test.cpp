// A plan applied as one set, through the stand-in file system and registry:
// its text read as a command line is, every refusal before anything is
// done, all done now or all scheduled, and a failure at any position of a
// plan of five putting every file back as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>

#include "scheduler/plan_application.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"
#include "tests/native/plan_fixture.h"

namespace pendrix {
namespace {

using testing::FakeFileSystem;
using testing::FakeRegistry;
using testing::kSessionManager;
using testing::FailsChanging;
using testing::PlanTest;
using testing::Plain;

std::string Utf16(const std::u16string& units, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

struct ReadCase {
    const char* name;
    std::string file;
    std::size_t operations;  // when read
    std::size_t badLine;     // 0 with operations: read; else the line refused (kNoOperation: the file)
};

const ReadCase kReadCases[] = {
    {"both verbs, CR LF, comments, blanks", "# deploy\r\nreplace a b\r\n\r\n  # note\r\n\tdelete \"c d\"\r\n", 2, 0},
    {"UTF-8 mark", "\xEF\xBB\xBFreplace a b\n", 1, 0},
    {"UTF-16 LE", Utf16(u"replace \u00e9 b\r\ndelete \"x y\"\r\n", false), 2, 0},
    {"UTF-16 BE", Utf16(u"delete \u4e2d\n", true), 1, 0},
    {"unknown verb", "replace a b\nmove a b\n", 0, 2},
    {"replace with one name", "replace a\n", 0, 1},
    {"delete with two names", "delete a b\n", 0, 1},
    {"an empty name", "delete \"\"\n", 0, 1},
    {"a blank name", "replace \" \" b\n", 0, 1},
    {"quoted as a command line quotes", "replace \"a b\" c\\\\\"d e\"\ndelete a\\\"b\n", 2, 0},
    {"not UTF-8", "delete a\ndelete \xC3(\n", 0, 2},
    {"a NUL", S("delete a\0b\n"), 0, 1},
    {"upper-case verb", "REPLACE a b\n", 0, 1},
    {"no operation", "# only a comment\n\n", 0, kNoOperation},
    {"UTF-16 of an odd length", "\xFF\xFE" "d\0e", 0, kNoOperation},
};

TEST(PlanText, ReadsOperationsOrNamesTheLine) {
    for (const ReadCase& test : kReadCases) {
        SCOPED_TRACE(test.name);
        const PlanReading reading = ReadPlan(test.file);
        EXPECT_EQ(reading.ok, test.badLine == 0);
        EXPECT_EQ(reading.operations.size(), test.badLine == 0 ? test.operations : 0);
        if (test.badLine != 0) {
            EXPECT_EQ(reading.line, test.badLine == kNoOperation ? 0 : test.badLine);
            EXPECT_FALSE(reading.problem.empty());
        }
    }
    const PlanReading reading = ReadPlan("# x\nreplace \"C:\\a b\\s.dll\" C:\\t.dll\n\ndelete C:\\old.dll\n");
    ASSERT_EQ(reading.operations.size(), 2u);
    EXPECT_EQ(reading.operations[0].line, 2u);
    EXPECT_EQ(reading.operations[0].source, "C:\\a b\\s.dll");
    EXPECT_EQ(reading.operations[0].destination, "C:\\t.dll");
    EXPECT_EQ(reading.operations[1].line, 4u);
    EXPECT_EQ(reading.operations[1].verb, PlanVerb::Delete);
    EXPECT_EQ(reading.operations[1].destination, "C:\\old.dll");
}

// Five operations: a replacement of a file, of a read-only file, of a file
// that does not exist yet, the deletion of a file and of an empty folder.
constexpr char kPlanOfFive[] =
    "replace c:\\new\\a.dll c:\\app\\a.dll\n"
    "replace c:\\new\\b.dll c:\\app\\b.dll\n"
    "replace c:\\new\\c.dll c:\\app\\c.dll\n"
    "delete c:\\app\\d.dll\n"
    "delete c:\\app\\empty\n";
const char* const kTargets[] = {"c:\\app\\a.dll", "c:\\app\\b.dll", "c:\\app\\c.dll", "c:\\app\\d.dll",
                                "c:\\app\\empty"};


TEST_F(PlanTest, NoFileInUseAllAreDoneNowAndNoOldCopyStays) {
    files.PutFolder("c:\\other");
    files.Alias("c:\\other\\a-link.dll", "c:\\app\\a.dll");  // a file with another name keeps it
    // A file to delete that a pending entry moves at the restart is deleted
    // now, as delete deletes it; only a replacement would be undone then.
    const std::string list = S("\\??\\c:\\app\\d.dll\0\\??\\c:\\app\\moved.dll\0\0");
    registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, list);
    const PlanResult result = Apply(kPlanOfFive);
    ASSERT_EQ(result.outcome, PlanOutcome::DoneNow);
    for (const OperationReport& report : result.operations) EXPECT_EQ(report.fate, OperationFate::DoneNow);
    EXPECT_EQ(files.Find("c:\\app\\a.dll")->content, "new a");
    EXPECT_EQ(files.Find("c:\\app\\b.dll")->content, "new b");
    EXPECT_EQ(files.Find("c:\\app\\b.dll")->attributes, kAttributeReadOnly);
    EXPECT_EQ(files.Find("c:\\app\\c.dll")->content, "new c");
    EXPECT_FALSE(files.Exists("c:\\app\\d.dll"));
    EXPECT_EQ(files.Find("c:\\other\\a-link.dll"), files.Find("c:\\app\\a.dll"));
    EXPECT_EQ(files.Find("c:\\new\\a.dll")->content, "new a");  // the sources stay
    EXPECT_EQ(files.Paths(), (std::vector<std::string>{"c:\\app", "c:\\app\\a.dll", "c:\\app\\b.dll",
                                                       "c:\\app\\c.dll", "c:\\new", "c:\\new\\a.dll",
                                                       "c:\\new\\b.dll", "c:\\new\\c.dll", "c:\\other",
                                                       "c:\\other\\a-link.dll"}));
    EXPECT_EQ(Stored(), list);
    EXPECT_EQ(noticed, 0);
}


TEST_F(PlanTest, AFailureAtAnyPositionPutsEveryFileBackAsItWas) {
    for (std::size_t failing = 0; failing < 5; ++failing) {
        SCOPED_TRACE(kTargets[failing]);
        TearDown();
        files = FakeFileSystem();
        registry = FakeRegistry();
        SetUp();
        const std::map<std::string, std::string> before = Snapshot();
        files.fault = FailsChanging(kTargets[failing], kErrorAccessDenied);
        const PlanResult result = Apply(kPlanOfFive);
        files.fault = nullptr;
        EXPECT_EQ(result.outcome, PlanOutcome::Failed);
        EXPECT_EQ(result.index, failing);
        // ReplaceFileW that fails after moving the file aside says so (1177).
        EXPECT_EQ(result.status, failing < 2 ? kErrorUnableToMoveReplacement2 : kErrorAccessDenied);
        for (std::size_t i = 0; i < 5; ++i)
            EXPECT_EQ(result.operations[i].fate, i < failing    ? OperationFate::PutBack
                                                 : i == failing ? OperationFate::Failed
                                                                : OperationFate::NotDone);
        EXPECT_EQ(Snapshot(), before);  // byte for byte, attributes too, and no copy left behind
        EXPECT_EQ(Stored(), kListBefore);
    }
}

// In a folder where files can be made but not deleted, the set is put back
// and every temporary file it could not delete again is named, none other.
TEST_F(PlanTest, TemporaryFilesThatCannotBeDeletedAreNamed) {
    // The third source cannot be read: the copies staged for the first two go again.
    files.Find("c:\\new\\c.dll")->lockedForRead = true;
    files.fault = [&](const std::string& call, const std::string& path) -> std::uint32_t {
        return call == "Remove" && Plain(path).find("pdx") != std::string::npos ? kErrorAccessDenied : kErrorSuccess;
    };
    const PlanResult result = Apply(kPlanOfFive);
    files.fault = nullptr;
    std::size_t temporary = 0;
    for (const std::string& path : files.Paths()) temporary += path.find("pdx") != std::string::npos;
    EXPECT_EQ(result.temporaryLeft.size(), temporary);
    EXPECT_GT(temporary, 0u);
    for (const LeftFile& left : result.temporaryLeft) {
        EXPECT_TRUE(files.Exists(left.path)) << left.path;
        EXPECT_EQ(left.status, kErrorAccessDenied);
    }
}

// Putting back can fail too: the set is left half-way, and what was not put
// back is said with where its old file is.
TEST_F(PlanTest, APutBackThatFailsSaysWhereTheOldFileIs) {
    files.fault = [failed = false](const std::string& call, const std::string& path) mutable -> std::uint32_t {
        const std::string name = Plain(path);
        if (call == "Rename" && name.rfind("c:\\app\\d.dll", 0) == 0) failed = true;
        if (call == "Rename" && name.rfind("c:\\app\\d.dll", 0) == 0) return kErrorAccessDenied;
        return failed && call == "MoveOver" && name == "c:\\app\\a.dll" ? kErrorAccessDenied : kErrorSuccess;
    };
    const PlanResult result = Apply(kPlanOfFive);
    files.fault = nullptr;
    EXPECT_EQ(result.outcome, PlanOutcome::LeftHalfWay);
    EXPECT_EQ(result.index, 3u);
    const OperationFate fates[] = {OperationFate::NotPutBack, OperationFate::PutBack, OperationFate::PutBack,
                                   OperationFate::Failed, OperationFate::NotDone};
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(result.operations[i].fate, fates[i]) << i;
    ASSERT_NE(files.Find(result.operations[0].oldCopy), nullptr) << result.operations[0].oldCopy;
    EXPECT_EQ(files.Find(result.operations[0].oldCopy)->content, "old a");
    EXPECT_EQ(files.Find("c:\\app\\b.dll")->content, "old b");
}

TEST_F(PlanTest, AFileInUseSchedulesEveryOperationInOneWriteAndChangesNothingNow) {
    files.Put("c:\\app\\c.dll", "old c");
    files.Find("c:\\app\\c.dll")->inUse = true;
    files.Find("c:\\new\\a.dll")->lockedForRead = true;
    std::map<std::string, std::string> expected = Snapshot();
    const PlanResult result = Apply(kPlanOfFive);
    ASSERT_EQ(result.outcome, PlanOutcome::Scheduled);
    EXPECT_EQ(result.operations[2].use, FileUse::Held);
    EXPECT_EQ(noticed, 1);
    for (const OperationReport& report : result.operations) EXPECT_EQ(report.fate, OperationFate::Scheduled);
    // Copies staged beside the destinations are put in place at the restart;
    // a source that cannot be read now is moved as it is.
    expected["c:\\app\\b.dll"] = "old b/" + std::to_string(kAttributeNormal);  // writable for the start-up processing
    // A copy takes its destination's attributes as they were, not the source's.
    expected["c:\\app\\b.dll.pendrix-new-1"] = "new b/" + std::to_string(kAttributeReadOnly);
    expected["c:\\app\\c.dll.pendrix-new-1"] = "new c/" + std::to_string(kAttributeNormal);
    EXPECT_EQ(Snapshot(), expected);
    EXPECT_EQ(result.operations[0].stagedCopy, "");
    EXPECT_EQ(result.operations[0].source, "c:\\new\\a.dll");
    EXPECT_EQ(result.operations[1].stagedCopy, "c:\\app\\b.dll.pendrix-new-1");
    EXPECT_EQ(Stored(), S("\\??\\C:\\x\0\0"
                          "\\??\\c:\\new\\a.dll\0!\\??\\c:\\app\\a.dll\0"
                          "\\??\\c:\\app\\b.dll.pendrix-new-1\0!\\??\\c:\\app\\b.dll\0"
                          "\\??\\c:\\app\\c.dll.pendrix-new-1\0!\\??\\c:\\app\\c.dll\0"
                          "\\??\\c:\\app\\d.dll\0\0"
                          "\\??\\c:\\app\\empty\0\0\0"));
    // Scripts run twice: pending exactly so already (copies of the same
    // content), nothing is added and the copies made again go.
    const std::string stored = Stored();
    EXPECT_TRUE(Apply(kPlanOfFive).alreadyScheduled);
    EXPECT_EQ(Stored(), stored);
    EXPECT_EQ(Snapshot(), expected);
}

TEST_F(PlanTest, ModesAndTheListDecideBetweenNowAndTheRestart) {
    struct Case {
        const char* name;
        std::function<void(PlanTest&)> arrange;
        PlanMode mode;
        PlanOutcome outcome;
        bool fellBack;
        std::int32_t status;
        std::size_t fallbackIndex = kNoOperation;
        const char* staged = "abc";  // the replacements scheduled from a copy staged now
    };
    const auto loaded = [](PlanTest& test) { test.files.Find("c:\\app\\a.dll")->loaded = true; };
    const Case cases[] = {
        {"at the restart, though nothing is in use", [](PlanTest&) {}, PlanMode::AtRestart, PlanOutcome::Scheduled,
         false, 0},
        {"a loaded file waits for the restart", loaded, PlanMode::NowOrAtRestart, PlanOutcome::Scheduled, false, 0},
        {"a held file cannot be moved aside", [](PlanTest& test) { test.files.Find("c:\\app\\d.dll")->inUse = true; },
         PlanMode::MoveAside, PlanOutcome::Scheduled, true, 0, 3},
        {"a held file is found before anything is copied", [](PlanTest& test) {
             test.files.Find("c:\\app\\d.dll")->inUse = true;
             test.files.Find("c:\\new\\a.dll")->lockedForRead = true;
         }, PlanMode::MoveAside, PlanOutcome::Scheduled, true, 0, 3, "bc"},
        {"a source that cannot be read now", [](PlanTest& test) {
             test.files.Find("c:\\new\\c.dll")->lockedForRead = true;
         }, PlanMode::NowOrAtRestart, PlanOutcome::Scheduled, false, 0, 2, "ab"},
        {"in use only when its turn comes", [](PlanTest& test) {
             test.files.fault = FailsChanging("c:\\app\\d.dll", kErrorLockViolation);
         }, PlanMode::NowOrAtRestart, PlanOutcome::Scheduled, false, 0, 3},
        {"moved aside, and a later failure puts it back and schedules the set", [&](PlanTest& test) {
             loaded(test);
             test.files.fault = FailsChanging("c:\\app\\empty", kErrorAccessDenied);
         }, PlanMode::MoveAside, PlanOutcome::Scheduled, true, 0, 4},
        {"the list may not be written", [](PlanTest& test) { test.registry.refuseWrites = true; },
         PlanMode::NowOrAtRestart, PlanOutcome::NotScheduled, false, kErrorAccessDenied},
        {"the list is of another form", [](PlanTest& test) {
             test.registry.PutText(kSessionManager, kPendingValueName, kRegBinary, S("\\??\\C:\\x\0\0\0"));
         }, PlanMode::AtRestart, PlanOutcome::NotScheduled, false, kErrorInvalidData},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        files = FakeFileSystem();
        registry = FakeRegistry();
        SetUp();
        test.arrange(*this);
        std::map<std::string, std::string> before = Snapshot();
        const std::string listBefore = registry.FindValue(kSessionManager, kPendingValueName)->Text();
        const PlanResult result = Apply(kPlanOfFive, test.mode);
        files.fault = nullptr;
        EXPECT_EQ(result.outcome, test.outcome);
        EXPECT_EQ(result.fellBack, test.fellBack);
        EXPECT_EQ(result.fallbackIndex, test.fallbackIndex);
        EXPECT_EQ(result.status, result.outcome == PlanOutcome::NotScheduled ? test.status : result.status);
        // Nothing is done now; a read-only file to replace at the restart is
        // made writable, and each source is staged beside its destination.
        if (result.outcome == PlanOutcome::Scheduled) {
            before["c:\\app\\b.dll"] = "old b/" + std::to_string(kAttributeNormal);
            for (const char* name = test.staged; *name != '\0'; ++name)
                before["c:\\app\\" + std::string(1, *name) + ".dll.pendrix-new-1"] =
                    "new " + std::string(1, *name) + "/" +
                    std::to_string(*name == 'b' ? kAttributeReadOnly : kAttributeNormal);
            EXPECT_NE(Stored(), listBefore);
        } else {
            EXPECT_EQ(Stored(), listBefore);
        }
        EXPECT_EQ(Snapshot(), before);
    }
}

TEST_F(PlanTest, MoveAsideReplacesALoadedFileNowAndSchedulesOnlyItsOldCopy) {
    files.Find("c:\\app\\a.dll")->loaded = true;
    files.Find("c:\\app\\a.dll")->rules = "administrators only";
    files.Find("c:\\new\\a.dll")->owner = "PC\\User";
    const PlanResult result = Apply(kPlanOfFive, PlanMode::MoveAside);
    ASSERT_EQ(result.outcome, PlanOutcome::DoneNow);
    EXPECT_EQ(noticed, 1);
    EXPECT_EQ(result.operations[0].fate, OperationFate::MovedAside);
    EXPECT_EQ(result.operations[0].oldCopy, "c:\\app\\a.dll.pendrix-old-1");
    EXPECT_EQ(files.Find("c:\\app\\a.dll")->content, "new a");
    // The new file has the old one's rules and the administrators as its owner.
    EXPECT_EQ(files.Find("c:\\app\\a.dll")->rules, "administrators only");
    EXPECT_EQ(files.Find("c:\\app\\a.dll")->owner, "BUILTIN\\Administrators");
    EXPECT_TRUE(files.Find("c:\\app\\a.dll.pendrix-old-1")->loaded);
    EXPECT_EQ(files.Find("c:\\app\\c.dll")->content, "new c");
    EXPECT_FALSE(files.Exists("c:\\app\\d.dll"));
    EXPECT_EQ(Stored(), S("\\??\\C:\\x\0\0\\??\\c:\\app\\a.dll.pendrix-old-1\0\0\0"));
}

struct RefusalCase {
    const char* name;
    const char* plan;
    std::size_t index;
    std::int32_t status;
    std::size_t earlier = kNoOperation;  // the operation that names the same file first
    PlanMode mode = PlanMode::NowOrAtRestart;
    std::function<void(PlanTest&)> arrange = [](PlanTest&) {};
};

const RefusalCase kRefusals[] = {
    {"a source that does not exist", "delete c:\\app\\d.dll\nreplace c:\\new\\x.dll c:\\app\\a.dll\n", 1,
     kErrorFileNotFound},
    {"a destination's folder that does not exist", "replace c:\\new\\a.dll c:\\no\\a.dll\n", 0, kErrorPathNotFound},
    {"a pattern", "delete c:\\app\\*.dll\n", 0, kErrorInvalidName},
    {"a device", "delete \\\\.\\PhysicalDrive0\n", 0, kErrorBadPathname},
    {"a folder as the source", "replace c:\\new c:\\app\\a.dll\n", 0, kErrorDirectoryNotSupported},
    {"a folder that is not empty", "delete c:\\new\n", 0, kErrorDirNotEmpty},
    {"one file as source and destination", "replace c:\\new\\a.dll C:/NEW/a.dll\n", 0, kErrorBadArguments},
    {"two operations on one destination",
     "replace c:\\new\\a.dll c:\\app\\a.dll\nreplace c:\\new\\b.dll C:\\APP\\A.DLL\n", 1, kErrorBadArguments, 0},
    {"two operations on one new destination",
     "replace c:\\new\\a.dll c:\\app\\n.dll\nreplace c:\\new\\b.dll C:\\APP\\N.DLL\n", 1, kErrorBadArguments, 0},
    {"one new destination by another spelling of its folder (a subst drive)",
     "replace c:\\new\\a.dll c:\\app\\n.dll\nreplace c:\\new\\b.dll s:\\n.dll\n", 1, kErrorBadArguments, 0,
     PlanMode::NowOrAtRestart, [](PlanTest& test) { test.files.substDrives['s'] = "c:\\app"; }},
    {"one file twice by another name",
     "replace c:\\new\\a.dll c:\\app\\a.dll\ndelete c:\\app\\alias.dll\n", 1, kErrorBadArguments, 0},
    {"a destination deleted by another", "replace c:\\new\\a.dll c:\\app\\a.dll\ndelete c:\\app\\a.dll\n", 1,
     kErrorBadArguments, 0},
    {"a file in a folder the plan deletes", "delete c:\\app\\empty\nreplace c:\\new\\a.dll c:\\app\\empty\\a.dll\n",
     1, kErrorBadArguments, 0},
    {"a destination a pending entry takes away", "replace c:\\new\\a.dll c:\\x\n", 0, kErrorFileNotFound},
    // For the restart: the refusals a replacement or deletion for the
    // restart meets; no staged copy is left and no attribute changed.
    {"a protected file", kPlanOfFive, 3, kErrorAccessDenied, kNoOperation, PlanMode::AtRestart,
     [](PlanTest& test) { test.files.Find("c:\\app\\d.dll")->deleteDenied = true; }},
    {"no copy can be staged", kPlanOfFive, 0, kErrorAccessDenied, kNoOperation, PlanMode::AtRestart,
     [](PlanTest& test) { test.files.foldersRefusingNewFiles.insert("c:\\app"); }},
    {"a link on the way", "replace c:\\new\\a.dll c:\\app\\a.dll\ndelete c:\\link\\d.dll\n", 1,
     kErrorCantResolveFilename, kNoOperation, PlanMode::AtRestart,
     [](PlanTest& test) { test.files.SymbolicLink("c:\\link", "c:\\app"); }},
    {"a link to delete, unmarked as under Wine", "delete c:\\app\\c.dll\n", 0, kErrorCantResolveFilename,
     kNoOperation, PlanMode::NowOrAtRestart,
     [](PlanTest& test) {
         test.files.linksAsWine = true;
         test.files.SymbolicLink("c:\\app\\c.dll", "c:\\new\\c.dll");
     }},
    {"no drive letter", kPlanOfFive, 0, kErrorNotSupported, kNoOperation, PlanMode::AtRestart,
     [](PlanTest& test) { test.files.volumesWithoutLetter.insert("c:\\"); }},
    {"a file a pending entry moves away first", kPlanOfFive, 3, kErrorFileNotFound, kNoOperation, PlanMode::AtRestart,
     [](PlanTest& test) {
         test.registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz,
                               S("\\??\\c:\\app\\d.dll\0\\??\\c:\\app\\moved.dll\0\0"));
     }},
    {"a destination on the network", "delete c:\\app\\d.dll\nreplace c:\\new\\a.dll n:\\app\\a.dll\n", 1,
     kErrorNotSupported, kNoOperation, PlanMode::AtRestart,
     [](PlanTest& test) {
         test.files.remoteDrives.insert('n');
         test.files.Put("n:\\app\\a.dll", "remote");
     }},
    {"a source on the network", "delete c:\\app\\d.dll\nreplace n:\\new\\a.dll c:\\app\\a.dll\n", 1,
     kErrorNotSupported, kNoOperation, PlanMode::AtRestart,
     [](PlanTest& test) {
         test.files.remoteDrives.insert('n');
         test.files.Put("n:\\new\\a.dll", "remote");
     }},
};

TEST_F(PlanTest, ARefusalAnywhereChangesNothing) {
    for (const RefusalCase& test : kRefusals) {
        SCOPED_TRACE(test.name);
        files = FakeFileSystem();
        registry = FakeRegistry();
        SetUp();
        files.Alias("c:\\app\\alias.dll", "c:\\app\\a.dll");
        files.Put("c:\\x", "x");
        test.arrange(*this);
        const std::map<std::string, std::string> before = Snapshot();
        const std::string listBefore = Stored();
        const PlanResult result = Apply(test.plan, test.mode);
        EXPECT_EQ(result.outcome, PlanOutcome::Refused);
        EXPECT_EQ(result.index, test.index);
        EXPECT_EQ(result.status, test.status);
        EXPECT_EQ(result.earlier, test.earlier);
        for (const OperationReport& report : result.operations) EXPECT_EQ(report.fate, OperationFate::NotDone);
        EXPECT_EQ(Snapshot(), before);
        EXPECT_EQ(Stored(), listBefore);
    }
}

}  // namespace
}  // namespace pendrix
