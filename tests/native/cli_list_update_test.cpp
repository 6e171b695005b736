// The console tool over changes of the list that another Pendrix process
// keeps busy or another program undoes: the codes a script sees, and
// remove's withdrawal read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/native/cli_test_support.h"
#include "tests/native/list_update_fixture.h"

namespace pendrix {
namespace {

using testing::FakeListLock;
using testing::kFirst;
using testing::kMine;
using testing::kSessionManager;
using testing::kTheirs;
using testing::ListUpdateTest;
using testing::NoHolders;
using testing::RecordedOutput;

TEST_F(ListUpdateTest, TheConsoleToolSaysWhyNothingChanged) {
    const std::string list = S("\\??\\C:\\a\0\0\\??\\C:\\c\0\0\0");
    const std::string theirs = list.substr(0, list.size() - 1) + kTheirs + '\0';
    const struct {
        const char* what;
        const char* command;
        bool busy;
        int undone;  // times another program writes the old list back
        int code;
        std::string after;
    } cases[] = {
        {"delete, busy", "delete", true, 0, 1460, list},
        {"delete, undone each time", "delete", false, 1000, 1237, theirs},
        {"remove, busy", "remove", true, 0, 1460, list},
        {"remove, undone once", "remove", false, 1, 0, S("\\??\\C:\\c\0\0") + kTheirs + '\0'},
        {"remove, undone each time", "remove", false, 1000, 1237, theirs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Store(list);
        lock = FakeListLock();
        lock.heldByAnother = c.busy;
        OtherProgramWritesTheOldList(c.undone);
        RecordedOutput output;
        NoHolders holders;
        cli::CliContext context{routines, files, holders, lock, output, testing::ErrorTextStandIn};
        const std::vector<std::string> line = std::string(c.command) == "delete"
                                                  ? std::vector<std::string>{"delete", "C:\\w\\mine", "--at-restart"}
                                                  : std::vector<std::string>{"remove", "1"};
        EXPECT_EQ(testing::RunCommandLine(line, context), c.code) << output.error;
        EXPECT_EQ(Stored(), c.after);
        EXPECT_EQ(output.error.empty(), c.code == 0) << output.error;
        EXPECT_EQ(output.out.empty(), c.code != 0) << output.out;
    }
}

}  // namespace
}  // namespace pendrix
