// pendrix-cli shell under Wine, against the real registry: the keys install
// writes and uninstall removes, exactly, and nothing else under the classes
// key; and the verbs run as Explorer runs them, starting Pendrix.exe with
// its page open and the name in its box, and nothing scheduled.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/form1_layout.h"
#include "tests/wine/pending_list_bytes.h"
#include "common/command_line.h"
#include "common/wide_text.h"
#include "tests/wine/dialog_driver.h"

namespace pendrix::wine {
namespace {

const std::wstring kCli = L"" PENDRIX_CLI_PATH;

// The Windows name of a Linux path, as Wine gives a program its own name.
std::wstring WindowsName(std::wstring linuxPath) {
    for (wchar_t& c : linuxPath)
        if (c == L'/') c = L'\\';
    return L"Z:" + linuxPath;
}

const std::wstring kFolder = WindowsName(L"" PENDRIX_PROGRAM_FOLDER);
constexpr const wchar_t* kClasses = L"Software\\Classes";
constexpr const wchar_t* kTestFolder = L"C:\\pendrix_shell_test";
constexpr const wchar_t* kTarget = L"C:\\pendrix_shell_test\\in use.dll";

// Every key below path, each with its values as "name=type:data".
using Tree = std::map<std::wstring, std::set<std::wstring>>;

void ReadTree(HKEY root, const std::wstring& path, Tree& tree) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    std::set<std::wstring>& values = tree[path];
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        DWORD type = 0;
        BYTE data[4096];
        DWORD size = sizeof(data);
        const LONG status = RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size);
        if (status == ERROR_NO_MORE_ITEMS) break;
        std::wstring text = std::wstring(name, nameLength) + L"=" + std::to_wstring(type) + L":";
        if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ))
            text += std::wstring(reinterpret_cast<const wchar_t*>(data), wcsnlen(reinterpret_cast<const wchar_t*>(data), size / 2));
        else
            text += std::to_wstring(size) + L" bytes";
        values.insert(text);
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(name, nameLength);
    }
    RegCloseKey(key);
    for (const std::wstring& subkey : subkeys) ReadTree(root, path + L"\\" + subkey, tree);
}

Tree ClassesTree(HKEY root) {
    Tree tree;
    ReadTree(root, kClasses, tree);
    return tree;
}

// Runs a program with its standard input from NUL and its output in a file;
// its exit code, and what it wrote in output.
DWORD RunProgram(const std::wstring& commandLine, std::string* output = nullptr) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    const HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                     OPEN_EXISTING, 0, nullptr);
    const std::wstring outName = std::wstring(kTestFolder) + L"\\output.txt";
    const HANDLE out = CreateFileW(outName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    DWORD code = 0xFFFFFFFF;
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 120000);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(input);
    CloseHandle(out);
    if (output != nullptr) {
        output->clear();
        const HANDLE file = CreateFileW(outName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) output->append(buffer, read);
        CloseHandle(file);
    }
    return code;
}

DWORD Cli(const std::wstring& arguments, std::string* output = nullptr) {
    return RunProgram(L"\"" + kCli + L"\" " + arguments, output);
}

// The pending list's bytes; "<absent>" when there is none.
std::string PendingList() {
    const pendrix::wine::PendingListBytes read = pendrix::wine::ReadPendingListBytes();
    if (!read.keyOpened) return "<no key>";
    return read.present ? read.bytes : "<absent>";
}

class ShellVerbs : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(kTestFolder, nullptr);
        const HANDLE file = CreateFileW(kTarget, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
        ASSERT_EQ(Cli(L"shell uninstall"), 0u);
        ASSERT_EQ(Cli(L"shell uninstall --all-users"), 0u);
    }
    void TearDown() override {
        Cli(L"shell uninstall");
        Cli(L"shell uninstall --all-users");
        DeleteFileW(kTarget);
        DeleteFileW((std::wstring(kTestFolder) + L"\\output.txt").c_str());
        RemoveDirectoryW(kTestFolder);
    }
};

// What install adds: each verb's key and command key, with their values.
Tree ExpectedVerbKeys() {
    const std::wstring window = L"\"" + kFolder + L"\\Pendrix.exe\" ";
    const std::wstring console = L"\"" + kFolder + L"\\pendrix-cli.exe\" ";
    const std::wstring icon = L"Icon=1:" + kFolder + L"\\Pendrix.exe,0";
    const std::wstring single = L"MultiSelectModel=1:Single";
    const std::wstring root = kClasses;
    return {
        {root + L"\\*\\shell\\PendrixReplace", {L"=1:Replace with Pendrix...", icon, L"HasLUAShield=1:", single}},
        {root + L"\\*\\shell\\PendrixReplace\\command", {L"=1:" + window + L"/replace \"%1\""}},
        {root + L"\\*\\shell\\PendrixDelete", {L"=1:Delete with Pendrix...", icon, L"HasLUAShield=1:", single}},
        {root + L"\\*\\shell\\PendrixDelete\\command", {L"=1:" + window + L"/delete \"%1\""}},
        {root + L"\\*\\shell\\PendrixHolders", {L"=1:Which programs use this?", icon, single}},
        {root + L"\\*\\shell\\PendrixHolders\\command", {L"=1:" + console + L"holders \"%1\" --pause"}},
        {root + L"\\Directory\\shell\\PendrixHolders", {L"=1:Which programs use this?", icon, single}},
        {root + L"\\Directory\\shell\\PendrixHolders\\command", {L"=1:" + console + L"holders \"%1\" --pause"}},
    };
}

TEST_F(ShellVerbs, InstallWritesExactlyTheVerbKeysAndUninstallRemovesExactlyThem) {
    for (const bool allUsers : {false, true}) {
        SCOPED_TRACE(allUsers ? "every user" : "this user");
        const HKEY root = allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        const HKEY other = allUsers ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        const std::wstring option = allUsers ? L" --all-users" : L"";
        const Tree before = ClassesTree(root);
        const Tree otherBefore = ClassesTree(other);
        ASSERT_EQ(Cli(L"shell status"), 1168u);

        ASSERT_EQ(Cli(L"shell install" + option), 0u);
        const Tree installed = ClassesTree(root);
        // Every key that was there is there as it was; what is new is the
        // verbs' keys, and the parents they need where these were missing.
        Tree added;
        for (const auto& [path, values] : installed) {
            const auto old = before.find(path);
            if (old == before.end()) added[path] = values;
            else EXPECT_EQ(values, old->second) << "a key that was there changed";
        }
        for (const auto& [path, values] : before) EXPECT_EQ(installed.count(path), 1u);
        Tree verbs = ExpectedVerbKeys();
        for (const auto& [path, values] : added) {
            if (verbs.count(path) != 0) continue;
            EXPECT_TRUE(values.empty()) << "a parent key with values";
            EXPECT_TRUE(path == kClasses || path.ends_with(L"\\*") || path.ends_with(L"\\shell") ||
                        path.ends_with(L"\\Directory"));
        }
        for (const auto& [path, values] : verbs) EXPECT_EQ(added[path], values);
        EXPECT_EQ(ClassesTree(other), otherBefore) << "the other scope is untouched";
        ASSERT_EQ(Cli(L"shell status"), 0u);

        ASSERT_EQ(Cli(L"shell install" + option), 0u);
        EXPECT_EQ(ClassesTree(root), installed) << "installing twice is installing once";

        ASSERT_EQ(Cli(L"shell uninstall" + option), 0u);
        // The verb keys went, and the parents install made with them; the
        // classes key itself and every key that was there before stay.
        Tree expected = before;
        if (installed.count(kClasses) != 0) expected[kClasses] = installed.at(kClasses);
        EXPECT_EQ(ClassesTree(root), expected) << "exactly what install added went";
        EXPECT_EQ(Cli(L"shell status"), 1168u);
    }
}

// The window Pendrix.exe shows, once process has shown it.
HWND WindowOf(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (owner != s.processId || std::wstring(name) != L"PendrixForm1" || !IsWindowVisible(window)) return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// What a box of another process holds: GetWindowTextW does not ask
// another process's window, WM_GETTEXT does.
std::wstring BoxText(HWND box) {
    DWORD_PTR length = 0;
    if (box == nullptr || !SendMessageTimeoutW(box, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return L"";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(box, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    text.resize(copied);
    return text;
}

// Runs verb on file as Explorer does; the process it started.
HANDLE InvokeVerb(const wchar_t* verb, const wchar_t* file, bool& resolved) {
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof(execute);
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = verb;
    execute.lpFile = file;
    execute.nShow = SW_SHOWNORMAL;
    resolved = ShellExecuteExW(&execute) != FALSE && execute.hProcess != nullptr;
    return execute.hProcess;
}

// The command the verb's key holds, with %1 made the file's name.
std::wstring StoredCommand(const wchar_t* verb, const wchar_t* file) {
    wchar_t command[1024] = {};
    DWORD size = sizeof(command);
    const std::wstring key = std::wstring(kClasses) + L"\\*\\shell\\" + verb + L"\\command";
    RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, command, &size);
    std::wstring line = command;
    const std::size_t at = line.find(L"%1");
    if (at != std::wstring::npos) line.replace(at, 2, file);
    return line;
}

TEST_F(ShellVerbs, EachVerbOpensItsPageWithTheFileAndSchedulesNothing) {
    ASSERT_EQ(Cli(L"shell install"), 0u);
    const std::string listBefore = PendingList();
    const struct {
        const wchar_t* verb;
        int frame;
        int box;
    } cases[] = {{L"PendrixReplace", kFrame1, kText2}, {L"PendrixDelete", kFrame2, kText4}};
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.verb, test.verb + wcslen(test.verb)));
        bool resolved = false;
        HANDLE process = InvokeVerb(test.verb, kTarget, resolved);
        if (!resolved) {
            // Wine's ShellExecuteEx does not look up verbs under "*" (every
            // file): the stored command is run as Explorer would run it.
            STARTUPINFOW startup{};
            startup.cb = sizeof(startup);
            PROCESS_INFORMATION started{};
            std::wstring line = StoredCommand(test.verb, kTarget);
            ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                       &started));
            CloseHandle(started.hThread);
            process = started.hProcess;
        }
        const DWORD id = GetProcessId(process);
        HWND window = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (window = WindowOf(id)) != nullptr; }));
        // The page's controls are made as the window opens it.
        ASSERT_TRUE(WaitUntil([&] {
            const HWND box = FindControl(window, test.box);
            return box != nullptr && IsWindowVisible(FindControl(window, test.frame)) && BoxText(box) == kTarget;
        })) << (resolved ? "ShellExecuteExW: " : "stored command: ") << TextOfWide(BoxText(FindControl(window, test.box)));
        std::printf("%s\n", resolved ? "ShellExecuteExW ran the verb" : "the stored command was run");
        EXPECT_EQ(GetFileAttributesW(kTarget) != INVALID_FILE_ATTRIBUTES, true) << "nothing done until Apply";
        EXPECT_EQ(PendingList(), listBefore) << "nothing scheduled until Apply";
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
        CloseHandle(process);
    }
}

TEST_F(ShellVerbs, HoldersVerbListsWhoHoldsTheFile) {
    ASSERT_EQ(Cli(L"shell install"), 0u);
    // A console program: its own console waits for a key; with input from
    // NUL there is none to wait in.
    std::string output;
    EXPECT_EQ(RunProgram(StoredCommand(L"PendrixHolders", kTarget), &output), 0u);
    EXPECT_NE(output.find("\"C:\\pendrix_shell_test\\in use.dll\": nobody holds it."), std::string::npos) << output;
}

// Pendrix.exe splits its command line itself, without shell32: as shell32's
// CommandLineToArgvW does, line for line.
TEST(CommandLineSplit, AgreesWithCommandLineToArgvW) {
    const wchar_t* lines[] = {
        L"p",
        L"\"C:\\Program Files\\P\\Pendrix.exe\" /replace \"C:\\a b\\c.dll\"",
        L"\"C:\\x\\\"/delete a",
        L"C:\\x\\p.exe\t /delete\t\tC:\\t.txt  ",
        L"p a\\\\\"b c\"",
        L"p a\\\"b c",
        L"p a\\\\\\\"b",
        L"p C:\\a\\b\\ c",
        L"p /delete \"C:\\\" x",
        L"p \"\"",
        L"p \"a\"\"b\" c",
        L"p \"a\"\" b",
        L"p a\"b c\"d",
        L"p \"unclosed name",
        L"p \u4e2d\u6587.txt",
    };
    for (const wchar_t* line : lines) {
        int count = 0;
        LPWSTR* windows = CommandLineToArgvW(line, &count);
        ASSERT_NE(windows, nullptr);
        std::vector<std::string> expected;
        for (int i = 0; i < count; ++i) expected.push_back(TextOfWide(windows[i]));
        LocalFree(windows);
        EXPECT_EQ(SplitCommandLine(TextOfWide(line)), expected) << TextOfWide(line);
    }
}

}  // namespace
}  // namespace pendrix::wine
