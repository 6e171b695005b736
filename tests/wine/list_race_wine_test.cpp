// Two processes change the real pending list at once, through the console
// tool's own code, the real registry and the real mutex: each schedules the
// deletion of files of its own and withdraws every other one again, as two
// deployment scripts side by side would. Afterwards every entry is accounted
// for: each kept one is there exactly once, each withdrawn one is gone, and
// nothing else changed.
//
// The program is its own worker: "--worker TAG COUNT" runs one side.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/pending_entries.h"
#include "common/unique_handle.h"
#include "common/wide_text.h"
#include "platform/list_lock.h"
#include "registry/RegistryRoutines.h"
#include "scheduler/pending_rename_list.h"

namespace pendrix {
namespace {

constexpr wchar_t kFolder[] = L"C:\\pendrix_race";
constexpr int kPerWorker = 150;
constexpr DWORD kDeadlineMilliseconds = 240'000;
constexpr int kWithdrawTries = 50;

std::string FileName(const std::string& tag, int number) {
    return TextOfWide(kFolder) + "\\" + tag + "-" + std::to_string(number) + ".txt";
}

struct Discard : cli::CliOutput {
    std::string error;
    void Out(std::string_view) override {}
    void Error(std::string_view text) override { error = text; }
};
struct NoHolders : HolderFinder {
    std::uint32_t Find(const std::vector<std::string>&, HolderScan&) override { return ERROR_SUCCESS; }
};

// One side: schedules the deletion of each of its files; every odd one is
// withdrawn again by its number, which the other side keeps moving (remove
// --source then refuses, and the number is looked up again). Exit 0 when
// every command said what it should have.
int RunWorker(const std::string& tag, int count) {
    RegistryRoutines registry;
    Discard output;
    NoHolders holders;
    cli::CliContext context{registry, SystemFileSystemApi(), holders, SystemListLock(), output,
                            [](std::int32_t status) { return std::to_string(status); }};
    int failures = 0;
    for (int number = 0; number < count; ++number) {
        const std::string path = FileName(tag, number);
        const UniqueKernelHandle file(CreateFileW(WideText(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        cli::CliArguments schedule;
        schedule.command = cli::CliCommand::Delete;
        schedule.path = path;
        schedule.atRestart = true;
        if (cli::RunCommand(schedule, context) != 3010) {
            std::fprintf(stderr, "%s: not scheduled: %s\n", path.c_str(), output.error.c_str());
            ++failures;
            continue;
        }
        if (number % 2 == 0) continue;
        int code = -1;
        for (int attempt = 0; attempt < kWithdrawTries && code != 0; ++attempt) {
            const PendingListRead read = PendingRenameList(registry).Read();
            const cli::PendingEntries entries = cli::DescribeEntries(read.stored, read.exists);
            cli::CliArguments remove;
            remove.command = cli::CliCommand::Remove;
            remove.expectedSource = path;
            for (const cli::PendingEntry& entry : entries.entries)
                if (entry.source == path) remove.entry = entry.number;
            if (remove.entry == 0) break;
            code = cli::RunCommand(remove, context);
        }
        if (code != 0) {
            std::fprintf(stderr, "%s: not withdrawn (%d): %s\n", path.c_str(), code, output.error.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

UniqueKernelHandle StartWorker(const std::string& tag) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --worker " + WideText(tag) + L" " +
                           std::to_wstring(kPerWorker);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return UniqueKernelHandle();
    CloseHandle(process.hThread);
    return UniqueKernelHandle(process.hProcess);
}

TEST(ListRace, TwoProcessesAppendingAndWithdrawingLoseNothing) {
    CreateDirectoryW(kFolder, nullptr);
    RegistryRoutines registry;
    PendingRenameList list(registry);
    const PendingListRead before = list.Read();
    ASSERT_TRUE(before.readable);
    const std::string other = "\\??\\C:\\pendrix_race\\another-program.txt";
    ASSERT_EQ(list.Store(other + std::string(3, '\0')), ERROR_SUCCESS);

    UniqueKernelHandle workers[] = {StartWorker("a"), StartWorker("b")};
    ASSERT_TRUE(workers[0] && workers[1]);
    const HANDLE handles[] = {workers[0].Get(), workers[1].Get()};
    const DWORD waited = WaitForMultipleObjects(2, handles, TRUE, kDeadlineMilliseconds);
    if (waited == WAIT_TIMEOUT)
        for (const HANDLE handle : handles) TerminateProcess(handle, 1);
    ASSERT_NE(waited, WAIT_TIMEOUT) << "the two workers did not finish in time";
    for (const HANDLE handle : handles) {
        DWORD code = 1;
        GetExitCodeProcess(handle, &code);
        EXPECT_EQ(code, 0u);
    }

    const PendingListRead after = list.Read();
    const cli::PendingEntries entries = cli::DescribeEntries(after.stored, after.exists);
    std::map<std::string, int> seen;
    for (const cli::PendingEntry& entry : entries.entries) ++seen[std::string(entry.first)];
    EXPECT_EQ(seen[other], 1);
    for (const char* tag : {"a", "b"})
        for (int number = 0; number < kPerWorker; ++number)
            EXPECT_EQ(seen["\\??\\" + FileName(tag, number)], number % 2 == 0 ? 1 : 0) << tag << number;
    EXPECT_EQ(entries.entries.size(), 1u + kPerWorker);  // nothing else

    EXPECT_TRUE(list.Restore(before));
    for (const char* tag : {"a", "b"})
        for (int number = 0; number < kPerWorker; ++number) DeleteFileW(WideText(FileName(tag, number)).c_str());
    DeleteFileW(L"C:\\pendrix_race\\another-program.txt");
    RemoveDirectoryW(kFolder);
}

}  // namespace
}  // namespace pendrix

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--worker") return pendrix::RunWorker(argv[2], std::atoi(argv[3]));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
