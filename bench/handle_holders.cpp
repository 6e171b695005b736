// Fills the handle table for the holders benchmark, as a busy machine's is:
// "handle_holders PROCESSES FOLDER FILES OTHERS READYFILE" starts PROCESSES
// copies of itself; copy i opens FILES files of its own in FOLDER (made
// there) and makes OTHERS events, semaphores and registry keys, and the
// first writes READYFILE once every copy holds its handles. All of them
// then wait until the Wine session ends.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr DWORD kReadyTimeoutMs = 600000;

std::wstring ReadyEventName(int copy) { return L"Local\\PendrixBenchHolder" + std::to_wstring(copy); }

// One copy's handles; they stay open until the process ends.
bool HoldHandles(const std::wstring& folder, int copy, int files, int others) {
    for (int i = 0; i < files; ++i) {
        const std::wstring path = folder + L"\\holder" + std::to_wstring(copy) + L"_" + std::to_wstring(i) + L".dat";
        if (CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr) == INVALID_HANDLE_VALUE)
            return false;
    }
    for (int i = 0; i < others; ++i) {
        HKEY key = nullptr;
        switch (i % 3) {
        case 0: CreateEventW(nullptr, TRUE, FALSE, nullptr); break;
        case 1: CreateSemaphoreW(nullptr, 0, 1, nullptr); break;
        default: RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key); break;
        }
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6) return 87;
    const int processes = _wtoi(argv[1]);
    const int files = _wtoi(argv[3]);
    const int others = _wtoi(argv[4]);
    const int copy = argc > 6 ? _wtoi(argv[6]) : 0;
    if (!HoldHandles(argv[2], copy, files, others)) return 3;
    if (copy > 0) {
        const HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, ReadyEventName(copy).c_str());
        if (ready == nullptr || !SetEvent(ready)) return 4;
        Sleep(INFINITE);
    }

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (int other = 1; other < processes; ++other) {
        const HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, ReadyEventName(other).c_str());
        std::wstring commandLine = L"\"" + std::wstring(self) + L"\"";
        for (int i = 1; i < 6; ++i) commandLine += L" \"" + std::wstring(argv[i]) + L"\"";
        commandLine += L" " + std::to_wstring(other);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (ready == nullptr || !CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                                &startup, &process))
            return 5;
        CloseHandle(process.hThread);
        const HANDLE waits[] = {ready, process.hProcess};
        if (WaitForMultipleObjects(2, waits, FALSE, kReadyTimeoutMs) != WAIT_OBJECT_0) return 6;
        CloseHandle(process.hProcess);
        CloseHandle(ready);
    }
    const HANDLE done = CreateFileW(argv[5], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (done == INVALID_HANDLE_VALUE) return 7;
    CloseHandle(done);
    Sleep(INFINITE);
    return 0;
}
