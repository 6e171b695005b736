#include "tests/wine/held_file.h"

#include <string>

namespace pendrix::wine {
namespace {

constexpr DWORD kHolderStartTimeoutMs = 30000;

std::wstring HolderPath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"file_holder.exe";
}

}  // namespace

HeldFile::HeldFile(const std::wstring& path, HeldAs how) {
    static int count = 0;
    const std::wstring eventName =
        L"Local\\PendrixHeldFile" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++count);
    const UniqueKernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    const std::wstring holder = HolderPath();
    std::wstring commandLine = L"\"" + holder + L"\" \"" + path + L"\" " + eventName;
    if (how == HeldAs::Exclusive) commandLine += L" exclusive";
    if (how == HeldAs::Loaded) commandLine += L" load";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!ready || !CreateProcessW(holder.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  &startup, &process))
        return;
    CloseHandle(process.hThread);
    process_ = UniqueKernelHandle(process.hProcess);
    processId_ = process.dwProcessId;
    const HANDLE waits[] = {ready.Get(), process_.Get()};
    holding_ = WaitForMultipleObjects(2, waits, FALSE, kHolderStartTimeoutMs) == WAIT_OBJECT_0;
}

HeldFile::~HeldFile() {
    if (!process_) return;
    TerminateProcess(process_.Get(), 0);
    WaitForSingleObject(process_.Get(), kHolderStartTimeoutMs);
}

}  // namespace pendrix::wine
