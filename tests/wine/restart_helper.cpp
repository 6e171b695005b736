// The Windows half of the restart test. Run with a folder, it lays out at
// least 100 operations of every kind there:
// - replacement of a free destination, of one in use and of an absent one;
// - deletion of a free file and of one in use;
// in several scripts and some with long paths (beyond 260 characters), keeps
// the files "in use" open in a second process, shows that they cannot be
// deleted now, schedules every operation through the pending rename list,
// with entries written by Wine's own MoveFileExW in between, and restarts
// Windows with cls_exitWindows, which asks the programs to close. It writes
// the expected outcome, one line a file, to expected.txt in the folder:
// "file<TAB>path<TAB>content" or "none<TAB>path", paths relative and with
// "/". The restart ends this process, as it ends every program, through its
// window (tests/wine/session_end.h); the Linux half of the test then checks
// the files.
//
// Run as "hold <list> <event>", it is that second process: it opens every
// path listed (one a line) without FILE_SHARE_DELETE, signals the event and
// waits to be ended by the restart, which it lets have the files.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/wide_text.h"
#include "common/unique_handle.h"
#include "platform/cls_exitWindows.h"
#include "registry/RegistryRoutines.h"
#include "scheduler/pending_rename_list.h"
#include "scheduler/stored_list.h"
#include "tests/wine/session_end.h"

namespace {

constexpr DWORD kStartTimeoutMs = 60000;
// How long the restart may take to end this process before the test fails.
constexpr DWORD kRestartTimeoutMs = 60000;
constexpr char kReadyEvent[] = "Local\\PendrixRestartTestHolderReady";
constexpr int kPerKind = 100;
// Every how many operations Wine's own MoveFileExW adds an entry.
constexpr int kMoveFileExEvery = 4;

// Name parts in several scripts.
const char* const kScripts[] = {"latin", "\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB",  // Cyrillic
                                "\xE6\x96\x87\xE4\xBB\xB6",                   // CJK
                                "\xCE\x91\xCF\x81\xCF\x87\xCE\xB5\xCE\xAF\xCE\xBF",  // Greek
                                "\xD9\x85\xD9\x84\xD9\x81",                   // Arabic
                                "\xF0\x9F\x98\x80 smile"};                    // beyond the first plane

enum class Kind { ReplaceFree, ReplaceInUse, ReplaceAbsent, DeleteFree, DeleteInUse, MoveFileEx };

struct Operation {
    Kind kind;
    std::string source;       // relative, with "\"
    std::string destination;  // relative; the file deleted for a deletion
    std::string content;
};

using OwnedHandle = pendrix::UniqueKernelHandle;
using pendrix::WideText;

int Fail(const std::string& what) {
    std::printf("FAILED: %s (error %lu)\n", what.c_str(), GetLastError());
    return 1;
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
    const OwnedHandle file(CreateFileW(WideText(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
           written == content.size();
}

// Creates every folder of a relative file path below root.
bool MakeFolders(const std::string& root, const std::string& relative) {
    for (std::size_t at = relative.find('\\'); at != std::string::npos; at = relative.find('\\', at + 1)) {
        const std::string folder = root + "\\" + relative.substr(0, at);
        if (!CreateDirectoryW(WideText(folder).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return true;
}

std::vector<HANDLE> g_held;

void LetGo() {
    for (const HANDLE file : g_held) CloseHandle(file);
}

int Hold(const char* listPath, const char* eventName) {
    std::ifstream list(listPath, std::ios::binary);
    for (std::string path; std::getline(list, path);) {
        const HANDLE file = CreateFileW(WideText(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return Fail("the holder cannot open " + path);
        g_held.push_back(file);
    }
    if (!pendrix::wine::WatchForSessionEnd(LetGo)) return Fail("the holder has no window");
    const OwnedHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName));
    if (!ready || !SetEvent(ready.Get())) return Fail("the holder cannot signal");
    // Until the restart ends this process, with its handles; at most ten minutes.
    pendrix::wine::RunUntilSessionEnds(10 * 60 * 1000);
    return 0;
}

void SayEnded() {
    std::printf("the restart ended the helper\n");
    std::fflush(stdout);
}

// Starts this program again as the holder of the paths in listPath; the
// process handle, or null when it did not get every file.
HANDLE StartHolder(const std::string& listPath) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const OwnedHandle ready(CreateEventA(nullptr, TRUE, FALSE, kReadyEvent));
    std::string commandLine;
    commandLine.append("\"").append(self).append("\" hold \"").append(listPath).append("\" ").append(kReadyEvent);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!ready || !CreateProcessA(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                                  nullptr, &startup, &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    const HANDLE waits[] = {ready.Get(), process.hProcess};
    if (WaitForMultipleObjects(2, waits, FALSE, kStartTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hProcess);
        return nullptr;
    }
    return process.hProcess;
}

Operation MakeOperation(Kind kind, int number, bool longPath) {
    static const char* const kTags[] = {"rf", "ru", "ra", "df", "du", "mx"};
    const std::string folder = longPath ? std::string("long\\") + std::string(70, 'a') + "\\" +
                                              std::string(70, 'b') + "\\" + std::string(70, 'c') + "\\"
                                        : std::string();
    const std::string name = folder + kTags[static_cast<int>(kind)] + "_" + std::to_string(number) + "_" +
                             kScripts[static_cast<std::size_t>(number) % std::size(kScripts)];
    return {kind, name + "_source.txt", name + "_target.txt", "content of operation " + std::to_string(number) + "\n"};
}

// kPerKind operations of every kind, in turn, every tenth round with long
// paths; after every kMoveFileExEvery-th an entry of Wine's own.
std::vector<Operation> Plan() {
    const Kind kinds[] = {Kind::ReplaceFree, Kind::ReplaceInUse, Kind::ReplaceAbsent, Kind::DeleteFree,
                          Kind::DeleteInUse};
    std::vector<Operation> plan;
    int number = 0;
    for (int round = 0; round < kPerKind; ++round) {
        for (const Kind kind : kinds) {
            plan.push_back(MakeOperation(kind, number++, round % 10 == 0));
            if (number % kMoveFileExEvery == 0) plan.push_back(MakeOperation(Kind::MoveFileEx, number++, round % 10 == 5));
        }
    }
    return plan;
}

bool IsDeletion(Kind kind) { return kind == Kind::DeleteFree || kind == Kind::DeleteInUse; }
bool IsInUse(Kind kind) { return kind == Kind::ReplaceInUse || kind == Kind::DeleteInUse; }

std::string Slashed(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

int ScheduleAndRestart(const std::string& root) {
    const std::vector<Operation> plan = Plan();
    std::ostringstream expected;
    std::string holdList;
    for (const Operation& op : plan) {
        if (!MakeFolders(root, op.destination)) return Fail("cannot make the folders of " + op.destination);
        const std::string source = root + "\\" + op.source;
        const std::string target = root + "\\" + op.destination;
        if (IsDeletion(op.kind)) {
            if (!WriteWholeFile(target, op.content)) return Fail("cannot write " + target);
            expected << "none\t" << Slashed(op.destination) << "\n";
        } else {
            if (!WriteWholeFile(source, op.content)) return Fail("cannot write " + source);
            if (op.kind != Kind::ReplaceAbsent && !WriteWholeFile(target, "old\n")) return Fail("cannot write " + target);
            expected << "file\t" << Slashed(op.destination) << "\t" << op.content;
            expected << "none\t" << Slashed(op.source) << "\n";
        }
        if (IsInUse(op.kind)) holdList += target + "\n";
    }
    const std::string holdListPath = root + "\\held.txt";
    if (!WriteWholeFile(holdListPath, holdList)) return Fail("cannot write the list of files to hold");

    const OwnedHandle holder(StartHolder(holdListPath));
    if (!holder) return Fail("no process holds the files in use");
    int inUse = 0;
    for (const Operation& op : plan) {
        if (!IsInUse(op.kind)) continue;
        const std::wstring target = WideText(root + "\\" + op.destination);
        if (DeleteFileW(target.c_str()) || GetLastError() != ERROR_SHARING_VIOLATION)
            return Fail(op.destination + " could be deleted, or failed otherwise than in use");
        ++inUse;
    }
    std::printf("in use: %d files\n", inUse);

    pendrix::RegistryRoutines registry;
    pendrix::PendingRenameList list(registry);
    int counts[6] = {};
    for (const Operation& op : plan) {
        const std::string source = root + "\\" + op.source;
        const std::string target = root + "\\" + op.destination;
        ++counts[static_cast<int>(op.kind)];
        if (op.kind == Kind::MoveFileEx) {
            if (!MoveFileExW(WideText(source).c_str(), WideText(target).c_str(),
                             MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING))
                return Fail("MoveFileExW " + op.source);
            continue;
        }
        const pendrix::RenamePair pair =
            IsDeletion(op.kind) ? pendrix::DeletionPair(target) : pendrix::ReplacementPair(source, target);
        if (!list.Append(list.Read(), pair)) return Fail("scheduling " + op.destination);
    }
    const pendrix::StoredListLayout layout = pendrix::DescribeStoredList(list.Read().stored);
    std::printf("scheduled: %d replacements of a free, %d of an in-use, %d of an absent destination, "
                "%d deletions of a free and %d of an in-use file, %d entries by MoveFileExW\n",
                counts[0], counts[1], counts[2], counts[3], counts[4], counts[5]);
    std::printf("the start-up walk reaches %zu of %zu strings for %zu operations, closed: %s\n", layout.reached,
                layout.strings.size(), plan.size(), layout.closed ? "yes" : "no");
    if (!layout.closed || layout.reached != 2 * plan.size()) return Fail("not every operation is reached");

    const std::string manifest = expected.str();
    if (!WriteWholeFile(root + "\\expected.txt", manifest)) return Fail("cannot write the expected outcome");
    std::fflush(stdout);

    if (!pendrix::wine::WatchForSessionEnd(SayEnded)) return Fail("the helper has no window");
    if (const std::uint32_t refused = pendrix::cls_exitWindows().ExitWindows(pendrix::kEwxReboot))
        return Fail("the restart was refused with " + std::to_string(refused));
    // The restart ends this process (and the holder) while it waits here.
    pendrix::wine::RunUntilSessionEnds(kRestartTimeoutMs);
    return Fail("still running after the restart was requested");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "hold") return Hold(argv[2], argv[3]);
    if (argc == 2) return ScheduleAndRestart(argv[1]);
    std::printf("usage: restart_helper FOLDER | hold LIST EVENT\n");
    return 2;
}
