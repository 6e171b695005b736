// pendrix-cli shell's exit codes and lines, against the registry and file
// system stand-ins (the keys themselves are ShellMenu's, tested beside it).
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
}  // namespace pendrix
