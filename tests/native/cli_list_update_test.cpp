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
        const char* owner = "S-1-5-32-544";  // the mutex's owner
        std::uint32_t openFailure = 0;
        const char* notice = "";  // said once on standard error
    } cases[] = {
        {"delete, busy", "delete", true, 0, 1460, list},
        {"delete, undone each time", "delete", false, 1000, 1237, theirs},
        {"remove, busy", "remove", true, 0, 1460, list},
        {"prune, busy: no backup either", "prune", true, 0, 1460, list},
        {"remove, undone once", "remove", false, 1, 0, S("\\??\\C:\\c\0\0") + kTheirs + '\0'},
        {"remove, undone each time", "remove", false, 1000, 1237, theirs},
        {"delete, SYSTEM's lock busy", "delete", true, 0, 1460, list, "S-1-5-18"},
        {"delete, another account's lock held", "delete", true, 0, 3010, list.substr(0, list.size() - 1) + kMine + '\0',
         "S-1-5-21-7-8-9-1001", 0, "another account (S-1-5-21-7-8-9-1001);"},
        {"remove, a lock whose rules keep the administrators out", "remove", true, 0, 0, S("\\??\\C:\\c\0\0\0"),
         "S-1-5-21-7-8-9-1001", 5, "another account;"},
        {"remove, undone each time without the lock", "remove", true, 1000, 1237, theirs, "S-1-5-21-7-8-9-1001", 6,
         "another account;"},
        {"delete, without the administrators' rights", "delete", false, 0, 5, list, "", 1307},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Store(list);
        lock = FakeListLock();
        lock.heldByAnother = c.busy;
        lock.owner.sid = c.owner;
        lock.owner.account.clear();
        lock.openFailure = c.openFailure;
        OtherProgramWritesTheOldList(c.undone);
        RecordedOutput output;
        NoHolders holders;
        cli::CliContext context{routines, files, holders, lock, output, testing::ErrorTextStandIn};
        const std::string command = c.command;
        const std::vector<std::string> line =
            command == "delete"  ? std::vector<std::string>{"delete", "C:\\w\\mine", "--at-restart"}
            : command == "prune" ? std::vector<std::string>{"prune", "--backup", "C:\\w\\saved.reg"}
                                 : std::vector<std::string>{"remove", "1"};
        EXPECT_EQ(testing::RunCommandLine(line, context), c.code) << output.error;
        EXPECT_EQ(Stored(), c.after);
        EXPECT_EQ(lock.badReleases, 0);
        const bool failed = c.code != 0 && c.code != 3010;
        EXPECT_EQ(output.out.empty(), failed) << output.out;
        // Said once, after the command's own words; never waited on.
        const std::string notice = *c.notice == '\0' ? "" : std::string("pendrix-cli: Pendrix's lock is held by ") +
                                   c.notice + " going on without it, every change read back.\r\n";
        EXPECT_TRUE(output.error.ends_with(notice) && (output.error.size() > notice.size()) == failed) << output.error;
        EXPECT_EQ(output.error.find("lock is held"), output.error.rfind("lock is held")) << output.error;
        EXPECT_EQ(lock.waits == 0, !notice.empty() || c.openFailure != 0);
        // A busy lock is waited for once, whatever the command.
        EXPECT_TRUE(c.code != 1460 || lock.waits == 1) << lock.waits;
        EXPECT_EQ(files.Exists("C:\\w\\saved.reg"), command == "prune" && c.code == 0);
    }
}

TEST_F(ListUpdateTest, TheJsonDocumentCarriesTheLockWarning) {
    Store(S("\\??\\C:\\gone\0\0\0"));
    lock.owner = {"S-1-5-21-7-8-9-1001", "CONTOSO\\mallory"};
    RecordedOutput output;
    NoHolders holders;
    cli::CliContext context{routines, files, holders, lock, output, testing::ErrorTextStandIn};
    EXPECT_EQ(testing::RunCommandLine({"prune", "--backup", "C:\\w\\saved.reg", "--json"}, context), 0);
    EXPECT_TRUE(output.out.ends_with("\"warnings\": [\"Pendrix's lock is held by another account (CONTOSO\\\\mallory); "
                                     "going on without it, every change read back.\"], \"exitCode\": 0}\r\n")) << output.out;
}

}  // namespace
}  // namespace pendrix
