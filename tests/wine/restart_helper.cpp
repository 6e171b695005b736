// The Windows half of the restart test. Run with a source, a destination
// and a file to delete, it keeps the destination in use by a second process,
// shows that it cannot be deleted now, schedules the replacement and the
// deletion through the pending rename list, and restarts Windows with
// cls_exitWindows. The restart ends this process; the Linux half of the test
// then looks at the files. Run as "hold <path> <event>", it is that second
// process: it opens path without FILE_SHARE_DELETE, signals the event and
// waits to be ended.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/cls_exitWindows.h"
#include "registry/RegistryRoutines.h"
#include "scheduler/pending_rename_list.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
// How long the restart may take to end this process before the test fails.
constexpr DWORD kRestartTimeoutMs = 60000;
constexpr char kReadyEvent[] = "Local\\PendrixRestartTestHolderReady";

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~OwnedHandle() {
        if (handle_ != nullptr) CloseHandle(handle_);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

int Fail(const char* what) {
    std::printf("FAILED: %s (error %lu)\n", what, GetLastError());
    return 1;
}

int Hold(const char* path, const char* eventName) {
    const OwnedHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == nullptr) return Fail("the holder cannot open the file");
    const OwnedHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName));
    if (ready.Get() == nullptr || !SetEvent(ready.Get())) return Fail("the holder cannot signal");
    Sleep(INFINITE);  // until the restart ends this process
    return 0;
}

// Starts this program again as the holder of path; the process handle, or
// null when it did not get the file.
HANDLE StartHolder(const std::string& path) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const OwnedHandle ready(CreateEventA(nullptr, TRUE, FALSE, kReadyEvent));
    std::string commandLine;
    commandLine.append("\"").append(self).append("\" hold \"").append(path).append("\" ").append(kReadyEvent);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (ready.Get() == nullptr || !CreateProcessA(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
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

std::string Visible(const std::string& listText) {
    std::string shown = listText;
    for (char& character : shown) {
        if (character == '\0') character = '|';
    }
    return shown;
}

int ScheduleAndRestart(const char* source, const char* destination, const char* deleted) {
    const OwnedHandle holder(StartHolder(destination));
    if (holder.Get() == nullptr) return Fail("no process holds the destination");
    if (DeleteFileA(destination) || GetLastError() != ERROR_SHARING_VIOLATION) {
        return Fail("the destination could be deleted, or failed otherwise than in use");
    }
    std::printf("destination in use\n");

    pendrix::RegistryRoutines registry;
    pendrix::PendingRenameList list(registry);
    if (!list.Append(list.Read(), pendrix::ReplacementPair(source, destination))) return Fail("replacement");
    if (!list.Append(list.Read(), pendrix::DeletionPair(deleted))) return Fail("deletion");
    std::printf("scheduled: %s\n", Visible(list.Read().listText).c_str());
    std::fflush(stdout);

    pendrix::cls_exitWindows().ExitWindows(pendrix::kEwxReboot);
    // The restart ends this process (and the holder) while it waits here.
    WaitForSingleObject(GetCurrentProcess(), kRestartTimeoutMs);
    return Fail("still running after the restart was requested");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "hold") return Hold(argv[2], argv[3]);
    if (argc == 4) return ScheduleAndRestart(argv[1], argv[2], argv[3]);
    std::printf("usage: restart_helper SOURCE DESTINATION DELETED | hold PATH EVENT\n");
    return 2;
}
