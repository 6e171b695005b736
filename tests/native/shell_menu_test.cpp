// Pendrix on Explorer's menu, against the registry stand-in: the keys and
// values written, exactly, and nothing else; removal of exactly those; the
// state reported.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "registry/registry_constants.h"
#include "registry/registry_key.h"
#include "shell/shell_menu.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using testing::FakeFileSystem;
using testing::FakeRegistry;

constexpr const char* kFolder = "C:\\Program Files\\Pendrix";
constexpr const char* kUserClasses = "HKCU\\Software\\Classes";

// Every key below path (lower case, as the stand-in names them), with its
// values as name=data, read back through the seam as a program would.
std::map<std::string, std::set<std::string>> Tree(FakeRegistry& registry, RegHandle root, const std::string& path) {
    std::map<std::string, std::set<std::string>> tree;
    RegistryKey key(registry);
    if (key.Open(root, path, kKeyRead) != kErrorSuccess) return tree;
    std::set<std::string>& values = tree[path];
    for (std::uint32_t i = 0;; ++i) {
        char name[256] = {};
        std::uint32_t nameRoom = sizeof(name);
        std::uint8_t data[1024] = {};
        std::uint32_t size = sizeof(data);
        std::uint32_t type = 0;
        if (registry.EnumValue(key.Get(), i, name, nameRoom, type, data, size) != kErrorSuccess) break;
        std::string text(reinterpret_cast<const char*>(data), size);
        while (!text.empty() && text.back() == '\0') text.pop_back();
        values.insert(std::string(name, nameRoom) + "=" + text + (type == kRegSz ? "" : " (not REG_SZ)"));
    }
    for (std::uint32_t i = 0;; ++i) {
        char name[256] = {};
        std::uint32_t nameRoom = sizeof(name);
        std::uint32_t classRoom = 0;
        if (registry.EnumKey(key.Get(), i, name, nameRoom, nullptr, classRoom) != kErrorSuccess) break;
        tree.merge(Tree(registry, root, path + "\\" + std::string(name, nameRoom)));
    }
    return tree;
}

const std::map<std::string, std::set<std::string>> kInstalled = {
    {"Software\\Classes", {}},
    {"Software\\Classes\\*", {}},
    {"Software\\Classes\\*\\shell", {}},
    {"Software\\Classes\\*\\shell\\PendrixReplace",
     {"=Replace with Pendrix...", "Icon=C:\\Program Files\\Pendrix\\Pendrix.exe,0", "HasLUAShield=", "MultiSelectModel=Single"}},
    {"Software\\Classes\\*\\shell\\PendrixReplace\\command",
     {"=\"C:\\Program Files\\Pendrix\\Pendrix.exe\" /replace \"%1\""}},
    {"Software\\Classes\\*\\shell\\PendrixDelete",
     {"=Delete with Pendrix...", "Icon=C:\\Program Files\\Pendrix\\Pendrix.exe,0", "HasLUAShield=", "MultiSelectModel=Single"}},
    {"Software\\Classes\\*\\shell\\PendrixDelete\\command",
     {"=\"C:\\Program Files\\Pendrix\\Pendrix.exe\" /delete \"%1\""}},
    {"Software\\Classes\\*\\shell\\PendrixHolders",
     {"=Which programs use this?", "Icon=C:\\Program Files\\Pendrix\\Pendrix.exe,0", "MultiSelectModel=Single"}},
    {"Software\\Classes\\*\\shell\\PendrixHolders\\command",
     {"=\"C:\\Program Files\\Pendrix\\pendrix-cli.exe\" holders \"%1\" --pause"}},
    {"Software\\Classes\\Directory", {}},
    {"Software\\Classes\\Directory\\shell", {}},
    {"Software\\Classes\\Directory\\shell\\PendrixHolders",
     {"=Which programs use this?", "Icon=C:\\Program Files\\Pendrix\\Pendrix.exe,0", "MultiSelectModel=Single"}},
    {"Software\\Classes\\Directory\\shell\\PendrixHolders\\command",
     {"=\"C:\\Program Files\\Pendrix\\pendrix-cli.exe\" holders \"%1\" --pause"}},
};

// The tree with names in lower case, as the stand-in enumerates them.
std::map<std::string, std::set<std::string>> Lower(const std::map<std::string, std::set<std::string>>& tree) {
    std::map<std::string, std::set<std::string>> lower;
    for (const auto& [path, values] : tree) {
        std::string name = path;
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        lower[name] = values;
    }
    return lower;
}

TEST(ShellMenu, InstallWritesExactlyItsKeysOnceAndUninstallTakesExactlyThemAway) {
    for (const ShellScope scope : {ShellScope::CurrentUser, ShellScope::AllUsers}) {
        const RegHandle root = scope == ShellScope::CurrentUser ? kHkeyCurrentUser : kHkeyLocalMachine;
        FakeRegistry registry;
        ShellMenu menu(registry, scope);
        std::string failedKey;
        ASSERT_EQ(menu.Install(kFolder, failedKey), kErrorSuccess);
        EXPECT_EQ(Lower(Tree(registry, root, "Software\\Classes")), Lower(kInstalled));
        ASSERT_EQ(menu.Install(kFolder, failedKey), kErrorSuccess);
        EXPECT_EQ(Lower(Tree(registry, root, "Software\\Classes")), Lower(kInstalled)) << "twice is once";
        // The other root is untouched.
        EXPECT_TRUE(Tree(registry, root == kHkeyCurrentUser ? kHkeyLocalMachine : kHkeyCurrentUser, "Software").empty());

        int removed = 0;
        ASSERT_EQ(menu.Uninstall(removed, failedKey), kErrorSuccess);
        EXPECT_EQ(removed, 4);
        // The parents install made go once they hold nothing else.
        EXPECT_EQ(Lower(Tree(registry, root, "Software\\Classes")), Lower({{"Software\\Classes", {}}}));
        ASSERT_EQ(menu.Uninstall(removed, failedKey), kErrorSuccess);
        EXPECT_EQ(removed, 0);
        EXPECT_EQ(registry.OpenHandles(), 0u);
    }
}

TEST(ShellMenu, UninstallLeavesOtherProgramsVerbsAndStopsAtAKeyItDidNotWrite) {
    FakeRegistry registry;
    registry.AddKey(std::string(kUserClasses) + "\\*\\shell\\Other\\command");
    ShellMenu menu(registry, ShellScope::CurrentUser);
    std::string failedKey;
    ASSERT_EQ(menu.Install(kFolder, failedKey), kErrorSuccess);
    // Someone added a key below one of Pendrix's verbs: that verb's key is
    // not deleted with it.
    registry.AddKey(std::string(kUserClasses) + "\\*\\shell\\PendrixDelete\\ddeexec");
    int removed = 0;
    EXPECT_EQ(menu.Uninstall(removed, failedKey), kErrorAccessDenied);
    EXPECT_EQ(failedKey, "Software\\Classes\\*\\shell\\PendrixDelete");
    EXPECT_EQ(removed, 1);
    EXPECT_TRUE(registry.HasKey(std::string(kUserClasses) + "\\*\\shell\\Other\\command"));
    EXPECT_TRUE(registry.HasKey(std::string(kUserClasses) + "\\*\\shell\\PendrixDelete\\ddeexec"));
    // A parent holding only a value of another program's stays.
    RegistryKey directory(registry);
    ASSERT_EQ(directory.Open(kHkeyCurrentUser, "Software\\Classes\\Directory", kKeyAllAccess), kErrorSuccess);
    ASSERT_EQ(registry.SetValue(directory.Get(), "Theirs", kRegSz, reinterpret_cast<const std::uint8_t*>("x"), 2),
              kErrorSuccess);
    directory.Reset();
    registry.DeleteKey(kHkeyCurrentUser, "Software\\Classes\\*\\shell\\PendrixDelete\\ddeexec");
    ASSERT_EQ(menu.Uninstall(removed, failedKey), kErrorSuccess);
    EXPECT_TRUE(registry.HasKey(std::string(kUserClasses) + "\\Directory"));
    EXPECT_FALSE(registry.HasKey(std::string(kUserClasses) + "\\Directory\\shell"));
}

TEST(ShellMenu, InstallSaysWhichKeyWasRefused) {
    FakeRegistry registry;
    registry.deniedPaths.insert("hklm\\software\\classes\\*\\shell\\pendrixreplace");
    ShellMenu menu(registry, ShellScope::AllUsers);
    std::string failedKey;
    EXPECT_EQ(menu.Install(kFolder, failedKey), kErrorAccessDenied);
    EXPECT_EQ(failedKey, "Software\\Classes\\*\\shell\\PendrixReplace");
}

TEST(ShellMenu, ProgramOfACommandLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"C:\\a b\\Pendrix.exe\" /replace \"%1\"", "C:\\a b\\Pendrix.exe"},
        {"C:\\x\\p.exe /delete \"%1\"", "C:\\x\\p.exe"},
        {"\"C:\\unclosed", "C:\\unclosed"},
        {"", ""},
    };
    for (const auto& [command, program] : cases) EXPECT_EQ(ProgramOfCommand(command), program) << command;
    EXPECT_EQ(ProgramPath("C:\\", "Pendrix.exe"), "C:\\Pendrix.exe");
}

}  // namespace
}  // namespace pendrix
