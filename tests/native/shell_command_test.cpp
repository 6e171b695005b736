// pendrix-cli shell's exit codes and lines, against the registry and file
// system stand-ins (the keys themselves are ShellMenu's, tested beside it).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/common/literal_text.h"
#include "tests/native/cli_test_support.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using testing::FakeFileSystem;
using testing::FakeListLock;
using testing::FakeRegistry;

constexpr const char* kFolder = "C:\\Program Files\\Pendrix";

using testing::RecordedOutput;

// shell ACTION [--all-users], through the table, with the programs in kFolder.
int RunShell(FakeRegistry& registry, FakeFileSystem& files, const char* action, bool allUsers,
             RecordedOutput& output) {
    RegistryRoutines routines(registry);
    testing::NoHolders holders;
    FakeListLock lock;
    cli::CliContext context{routines, files, holders, lock, output, testing::ErrorTextStandIn, nullptr, kFolder};
    std::vector<std::string> line{"shell", action};
    if (allUsers) line.push_back("--all-users");
    return testing::RunCommandLine(line, context);
}

TEST(ShellCommand, ExitCodesOfInstallUninstallAndStatus) {
    FakeRegistry registry;
    FakeFileSystem files;
    files.Put("C:\\Program Files\\Pendrix\\pendrix-cli.exe", "MZ");
    RecordedOutput output;
    // Without Pendrix.exe beside it, nothing is written.
    EXPECT_EQ(RunShell(registry, files, "install", false, output), 2);
    EXPECT_NE(output.error.find("Pendrix.exe\" does not exist"), std::string::npos) << output.error;
    EXPECT_FALSE(registry.HasKey("HKCU\\Software\\Classes"));
    EXPECT_EQ(RunShell(registry, files, "status", false, output), 1168);

    files.Put("C:\\Program Files\\Pendrix\\Pendrix.exe", "MZ");
    output = {};
    EXPECT_EQ(RunShell(registry, files, "install", true, output), 0) << output.error;
    EXPECT_NE(output.out.find("for every user"), std::string::npos) << output.out;
    output = {};
    EXPECT_EQ(RunShell(registry, files, "status", false, output), 0) << output.error;
    EXPECT_NE(output.out.find("for this user (HKEY_CURRENT_USER\\Software\\Classes): not installed"),
              std::string::npos)
        << output.out;
    EXPECT_NE(output.out.find("\"Delete with Pendrix...\" on every file: \"C:\\Program Files\\Pendrix\\Pendrix.exe\" "
                              "/delete \"%1\"\r\n"),
              std::string::npos)
        << output.out;

    // A verb written before MultiSelectModel was is out of date.
    registry.PutText("HKLM\\Software\\Classes\\*\\shell\\PendrixDelete", "MultiSelectModel", kRegSz, S("Player\0"));
    output = {};
    EXPECT_EQ(RunShell(registry, files, "status", false, output), 0);
    EXPECT_NE(output.out.find("/delete \"%1\" (out of date"), std::string::npos) << output.out;
    EXPECT_EQ(output.out.find("(out of date"), output.out.rfind("(out of date")) << output.out;

    // A program the menu starts has gone: status says which, and exits 2.
    files.Remove("C:\\Program Files\\Pendrix\\pendrix-cli.exe");
    output = {};
    EXPECT_EQ(RunShell(registry, files, "status", false, output), 2);
    EXPECT_NE(output.out.find("(\"C:\\Program Files\\Pendrix\\pendrix-cli.exe\" does not exist)"), std::string::npos)
        << output.out;

    output = {};
    EXPECT_EQ(RunShell(registry, files, "uninstall", false, output), 0);
    EXPECT_NE(output.out.find("nothing was removed"), std::string::npos) << output.out;
    output = {};
    EXPECT_EQ(RunShell(registry, files, "uninstall", true, output), 0);
    EXPECT_NE(output.out.find("Removed Pendrix's 4 entries"), std::string::npos) << output.out;
    EXPECT_EQ(RunShell(registry, files, "status", false, output), 1168);

    // Every user's menu needs an administrator: the refusal's code.
    files.Put("C:\\Program Files\\Pendrix\\pendrix-cli.exe", "MZ");
    registry.deniedPaths.insert("hklm\\software\\classes\\*\\shell\\pendrixreplace");
    output = {};
    EXPECT_EQ(RunShell(registry, files, "install", true, output), 5);
    EXPECT_NE(output.error.find("run it elevated"), std::string::npos) << output.error;
}

// Every user's menu is refused from where ordinary users may change the
// programs, their folder, or rename a folder above it; this user's is
// warned of once. GetNamedSecurityInfoW gives each DACL in its order.
TEST(ShellCommand, InstallKeepsOrdinaryUsersOutOfWhatTheMenuStarts) {
    const struct {
        const char* what;
        const char* path;
        AccessRules rules;
        const char* named;  // the path and who, or nothing
    } cases[] = {
        {"a folder Authenticated Users may modify", "c:\\program files\\pendrix",
         {true, {{true, false, 0x1301BF, "S-1-5-11"}}}, "\"C:\\Program Files\\Pendrix\" may be changed by Authenticated Users"},
        {"a program Users may write", "c:\\program files\\pendrix\\pendrix-cli.exe", {true, {{true, false, 0x40000000, "S-1-5-32-545"}}},
         "\"C:\\Program Files\\Pendrix\\pendrix-cli.exe\" may be changed by Users"},
        {"Users may add files beside the programs", "c:\\program files\\pendrix", {true, {{true, false, 0x2, "S-1-5-32-545"}}},
         "may be changed by Users"},
        {"Everyone may rename what the root holds", "c:\\", {true, {{true, false, 0x40, "S-1-1-0"}}},
         "\"C:\\\" may be changed by Everyone"},
        {"no DACL above", "c:\\program files", {false, {}}, "\"C:\\Program Files\" may be changed by Everyone"},
        {"the root lets users make folders, as Windows' does", "c:\\",
         {true, {{true, false, 0x4, "S-1-5-11"}, {true, true, 0x1301BF, "S-1-5-11"}}}, ""},
        {"denied before allowed", "c:\\program files\\pendrix",
         {true, {{false, false, 0x1301BF, "S-1-1-0"}, {true, false, 0x1301BF, "S-1-1-0"}}}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRegistry registry;
        FakeFileSystem files;
        files.Put("C:\\Program Files\\Pendrix\\pendrix-cli.exe", "MZ");
        files.Put("C:\\Program Files\\Pendrix\\Pendrix.exe", "MZ");
        files.rulesOf[c.path] = c.rules;
        const bool refused = *c.named != '\0';
        RecordedOutput output;
        EXPECT_EQ(RunShell(registry, files, "install", true, output), refused ? 5 : 0) << output.error;
        EXPECT_EQ(registry.HasKey("HKLM\\Software\\Classes\\*\\shell\\PendrixReplace"), !refused);
        EXPECT_NE(output.error.find(std::string(c.named)), std::string::npos) << output.error;
        EXPECT_EQ(output.error.find("under Program Files") != std::string::npos, refused) << output.error;
        output = {};
        EXPECT_EQ(RunShell(registry, files, "install", false, output), 0);
        EXPECT_EQ(output.error.find("may be changed by") == std::string::npos, !refused) << output.error;
        EXPECT_EQ(output.error.find("may be changed by"), output.error.rfind("may be changed by")) << "once";
    }
}

}  // namespace
}  // namespace pendrix
