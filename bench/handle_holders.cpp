// Fills the handle table for the holders benchmark, as a busy machine's is:
// "handle_holders PROCESSES FOLDER FILES OTHERS READYFILE" starts PROCESSES
// copies of itself; copy i opens FILES files of its own in FOLDER (made
// there) and makes OTHERS events, semaphores and registry keys, and the
// first writes READYFILE once every copy holds its handles. All of them
// then wait until the Wine session ends.
// "handle_holders stalled COUNT READYFILE" holds COUNT pipes each with a
// synchronous read pending on it (a thread waits in ReadFile for data that
// never comes): handles on which a query can wait for ever on Windows.
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

DWORD WINAPI ReadForEver(void* pipe) {
    char byte = 0;
    DWORD read = 0;
    ReadFile(static_cast<HANDLE>(pipe), &byte, 1, &read, nullptr);
    return 0;
}

int HoldStalledPipes(int count, const wchar_t* readyFile) {
    for (int i = 0; i < count; ++i) {
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;  // kept open: the read never ends
        if (!CreatePipe(&readEnd, &writeEnd, nullptr, 0)) return 3;
        const HANDLE reader = CreateThread(nullptr, 0, ReadForEver, readEnd, 0, nullptr);
        if (reader == nullptr) return 4;
        CloseHandle(reader);
    }
    Sleep(500);  // every reader is in its ReadFile
    const HANDLE done = CreateFileW(readyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (done == INVALID_HANDLE_VALUE) return 7;
    CloseHandle(done);
    Sleep(INFINITE);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wcscmp(argv[1], L"stalled") == 0) return HoldStalledPipes(_wtoi(argv[2]), argv[3]);
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
