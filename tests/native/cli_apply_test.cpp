// pendrix-cli apply over the stand-ins: a line per operation and one for the
// set, or one JSON document; failures on standard error.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/native/cli_test_support.h"
#include "tests/native/plan_fixture.h"

namespace pendrix {
namespace {

using testing::FailsChanging;
using testing::FakeFileSystem;
using testing::FakeRegistry;
using testing::PlanTest;

struct ToolCase {
    const char* name;
    const char* plan;
    std::function<void(PlanTest&)> arrange;
    bool atRestart;
    bool moveAside;
    bool json;
    int code;
    std::string out;
    std::string error;
};

// The console tool: a line per operation and one for the set, or one JSON
// document, with exitCode as every document has it; failures on standard error.
TEST_F(PlanTest, TheToolSaysEachOperationAndTheSet) {
    constexpr char kTwo[] = "replace c:\\new\\a.dll c:\\app\\a.dll\ndelete c:\\app\\d.dll\n";
    const auto held = [](PlanTest& test) { test.files.Find("c:\\app\\d.dll")->inUse = true; };
    const std::string scheduledLines =
        R"(line 1: scheduled: "c:\app\a.dll" is replaced with "c:\new\a.dll" at the next start of Windows. )"
        R"(Windows puts the copy made now, "c:\app\a.dll.pendrix-new-1", in its place; the source "c:\new\a.dll" )"
        "stays where it is.\r\n"
        R"(line 2: scheduled: "c:\app\d.dll" is deleted at the next start of Windows (in use by holder.exe, )"
        "process 7).\r\n";
    const std::string scheduledSet = "Scheduled the plan: all 2 operations are carried out at the next start of "
                                     "Windows, in its order. Restart Windows to carry it out.\r\n";
    // The document of the held file's plan, scheduled; fellBack: after
    // --move-aside could not do it now (line: the file that stopped it).
    const auto scheduledJson = [](bool fellBack, const std::string& line) {
        return std::string(R"({"plan": "c:\\plan.txt", "operations": [)" "\r\n"
                           R"({"line": 1, "operation": "replace", "source": "c:\\new\\a.dll", )"
                           R"("destination": "c:\\app\\a.dll", "outcome": "scheduled", "use": "free", "heldBy": null, )"
                           R"("oldCopy": null, "stagedCopy": "c:\\app\\a.dll.pendrix-new-1"},)" "\r\n"
                           R"({"line": 2, "operation": "delete", "path": "c:\\app\\d.dll", "outcome": "scheduled", )"
                           R"("use": "held", "heldBy": "holder.exe, process 7", "oldCopy": null})" "\r\n"
                           R"(], "outcome": "scheduled", "alreadyScheduled": false, "movedAsideFellBack": )") +
               (fellBack ? "true" : "false") + ", \"line\": " + line + ", \"reason\": null, \"exitCode\": 3010}\r\n";
    };
    const std::string notDone = R"(line 1: not done: replace "c:\app\a.dll" with "c:\new\a.dll".)" "\r\n"
                                R"(line 2: not done: delete "c:\app\a.dll".)" "\r\n";
    const ToolCase cases[] = {
        {"all done now", kTwo, [](PlanTest&) {}, false, false, false, 0,
         R"(line 1: replaced "c:\app\a.dll" with "c:\new\a.dll" now.)" "\r\n"
         R"(line 2: deleted "c:\app\d.dll" now.)" "\r\n"
         "Applied the plan now: all 2 operations done.\r\n", ""},
        {"a file held: all scheduled", kTwo, held, false, false, false, 3010, scheduledLines + scheduledSet, ""},
        {"a file held, as JSON", kTwo, held, false, false, true, 3010, scheduledJson(false, "null"), ""},
        {"held, and moved aside, as JSON", kTwo, held, false, true, true, 3010, scheduledJson(true, "2"), ""},
        {"a folder ordinary users may change", kTwo,
         [](PlanTest& test) { test.files.foldersUsersMayChange.insert("c:\\app"); }, true, false, false, 3010,
         R"(line 1: scheduled: "c:\app\a.dll" is replaced with "c:\new\a.dll" at the next start of Windows. )"
         R"(Windows puts the copy made now, "c:\app\a.dll.pendrix-new-1", in its place; the source "c:\new\a.dll" )"
         "stays where it is.\r\n"
         R"(line 2: scheduled: "c:\app\d.dll" is deleted at the next start of Windows.)" "\r\n" + scheduledSet +
             R"(Warning: ordinary users may change the folder "c:\app", so what it leads to could be changed )"
             "before the restart.\r\n", ""},
        {"held, and moved aside", kTwo, held, false, true, false, 3010, scheduledLines +
             "Could not apply the plan now with --move-aside (line 2: x, error 32); everything was put back as it "
             "was and the plan scheduled instead. " + scheduledSet, ""},
        {"one file twice", "replace c:\\new\\a.dll c:\\app\\a.dll\ndelete c:\\app\\a.dll\n", [](PlanTest&) {},
         false, false, false, 160, notDone,
         R"(pendrix-cli: line 2: line 1 names "c:\app\a.dll" too; a plan names each file once (and no file in a )"
         "folder it deletes); nothing of the plan was done or scheduled\r\n"},
        {"failed now", kTwo, [](PlanTest& test) { test.files.fault = FailsChanging("c:\\app\\d.dll", 5); }, false,
         false, false, 5,
         R"(line 1: replaced "c:\app\a.dll" with "c:\new\a.dll", then put back as it was.)" "\r\n"
         R"(line 2: failed: delete "c:\app\d.dll".)" "\r\n",
         "pendrix-cli: line 2 failed, and every operation done before it was put back as it was; nothing of the "
         "plan stays done: x (error 5); run it elevated\r\n"},
        {"failed now, as JSON", kTwo, [](PlanTest& test) { test.files.fault = FailsChanging("c:\\app\\d.dll", 5); },
         false, false, true, 5,
         R"({"plan": "c:\\plan.txt", "operations": [)" "\r\n"
         R"({"line": 1, "operation": "replace", "source": "c:\\new\\a.dll", "destination": "c:\\app\\a.dll", )"
         R"("outcome": "put-back", "use": "free", "heldBy": null, "oldCopy": null, "stagedCopy": null},)" "\r\n"
         R"({"line": 2, "operation": "delete", "path": "c:\\app\\d.dll", "outcome": "failed", "use": "free", )"
         R"("heldBy": null, "oldCopy": null})" "\r\n"
         R"(], "outcome": "failed", "alreadyScheduled": false, "movedAsideFellBack": false, "line": 2, )"
         R"("reason": "line 2 failed, and every operation done before it was put back as it was; nothing of the )"
         R"(plan stays done: x (error 5); run it elevated", "exitCode": 5})" "\r\n",
         "pendrix-cli: line 2 failed, and every operation done before it was put back as it was; nothing of the "
         "plan stays done: x (error 5); run it elevated\r\n"},
        {"a loaded file moved aside", kTwo, [](PlanTest& test) { test.files.Find("c:\\app\\a.dll")->loaded = true; },
         false, true, false, 0,
         R"(line 1: replaced "c:\app\a.dll" with "c:\new\a.dll" now; the old file (in use by holder.exe, process 7) )"
         R"(is now "c:\app\a.dll.pendrix-old-1" and is deleted at the next start of Windows.)" "\r\n"
         R"(line 2: deleted "c:\app\d.dll" now.)" "\r\n"
         "Applied the plan now: all 2 operations done. Programs keep the old copies they use until they end; it is "
         "deleted at the next start of Windows.\r\n", ""},
        {"not a plan, as JSON", "delete c:\\app\\d.dll\nmove a b\n", [](PlanTest&) {}, false, false, true, 13,
         R"({"plan": "c:\\plan.txt", "operations": [], "outcome": "invalid-plan", "alreadyScheduled": false, )"
         R"("movedAsideFellBack": false, "line": 2, "reason": "line 2 of the plan \"c:\\plan.txt\" is not an )"
         R"(operation: )",
         R"(pendrix-cli: line 2 of the plan "c:\plan.txt" is not an operation: )"},
    };
    for (const ToolCase& test : cases) {
        SCOPED_TRACE(test.name);
        files = FakeFileSystem();
        registry = FakeRegistry();
        SetUp();
        files.Put("c:\\plan.txt", test.plan);
        test.arrange(*this);
        testing::RecordedOutput output;
        testing::OneHolder holders;
        holders.processId = 7;
        cli::CliContext context{routines, files, holders, lock, output, [](WinStatus) { return std::string("x"); }};
        std::vector<std::string> line{"apply", "c:\\plan.txt"};
        if (test.atRestart) line.push_back("--at-restart");
        if (test.moveAside) line.push_back("--move-aside");
        if (test.json) line.push_back("--json");
        EXPECT_EQ(testing::RunCommandLine(line, context), test.code);
        files.fault = nullptr;
        if (test.code == kErrorInvalidData) {
            // The reader's own words between what is checked.
            EXPECT_EQ(output.out.rfind(test.out, 0), 0u) << output.out;
            EXPECT_NE(output.out.find("; nothing of the plan was done or scheduled\", \"exitCode\": 13}\r\n"),
                      std::string::npos) << output.out;
            EXPECT_EQ(output.error.rfind(test.error, 0), 0u) << output.error;
            continue;
        }
        EXPECT_EQ(output.out, test.out);
        EXPECT_EQ(output.error, test.error);
    }
}


}  // namespace
}  // namespace pendrix
