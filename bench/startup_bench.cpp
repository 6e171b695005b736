// Start-up benchmark: the time from starting a program to its main window
// being shown, for Pendrix.exe and for a minimal Win32 program that shows one
// empty window, bare and themed (loading the common controls too), alternated
// in one run. Each start is timed from just before CreateProcess until a
// visible top-level window of the new process exists; the window is then
// closed and the process awaited.
// Usage: startup_bench PENDRIX.exe MINIMAL.exe THEMED.exe [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindShownWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<Search*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search.process || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
    search.found = window;
    return FALSE;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds to the first visible window, or a negative number on failure.
double TimeStart(const std::string& program) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::string command = "\"" + program + "\"";
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return -1;
    }
    Search search{process.dwProcessId, nullptr};
    LARGE_INTEGER shown = begin;
    const ULONGLONG deadline = GetTickCount64() + 30000;
    while (search.found == nullptr && GetTickCount64() < deadline) {
        EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
        QueryPerformanceCounter(&shown);
        if (search.found == nullptr) Sleep(1);
    }
    if (search.found != nullptr) PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return search.found != nullptr ? Seconds(begin, shown) * 1000.0 : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_bench PENDRIX.exe MINIMAL.exe THEMED.exe [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 21;
    // One start of each first, not counted: it loads Wine's libraries.
    for (int program = 1; program <= 3; ++program) TimeStart(argv[program]);
    std::vector<double> pendrix, minimal, themed;
    for (int round = 0; round < rounds; ++round) {
        const double a = TimeStart(argv[1]);
        const double b = TimeStart(argv[2]);
        const double c = TimeStart(argv[3]);
        if (a < 0 || b < 0 || c < 0) {
            std::fprintf(stderr, "round %d: a window did not come up\n", round);
            return 1;
        }
        pendrix.push_back(a);
        minimal.push_back(b);
        themed.push_back(c);
    }
    const double ratio = Median(pendrix) / Median(themed);
    std::printf("start to window shown, median of %d alternated rounds:\n", rounds);
    std::printf("  Pendrix.exe      %8.1f ms\n", Median(pendrix));
    std::printf("  themed floor     %8.1f ms\n", Median(themed));
    std::printf("  minimal window   %8.1f ms\n", Median(minimal));
    std::printf("  ratio            %8.2f to the themed floor (the target is at most 1.20), %.2f to the bare one\n",
                ratio, Median(pendrix) / Median(minimal));
    // One line per ratio for scripts: the name, the ratio and its target.
    std::printf("ratio startup %.2f target 1.20\n", ratio);
    std::printf("ratio startup_bare_floor %.2f\n", Median(pendrix) / Median(minimal));
    return 0;
}
