// Measures one Apply's read-append-write of the pending rename list against
// the bare registry calls it cannot avoid: one RegQueryValueExA and one
// RegSetValueExA of the same bytes. Prints the ratio for growing lists.
//
// Run under Wine in a prefix of its own (see README.md); it writes
// PendingFileRenameOperations and deletes it again before it ends.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "registry/RegistryRoutines.h"
#include "pending_list/pending_rename_list.h"
#include "scheduler/list_update.h"

namespace {

constexpr const char kSessionManagerPath[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr int kRounds = 15;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// A stored list of pairs replacement pairs, with its closing NULs.
std::string StoredList(int pairs) {
    std::string list;
    for (int i = 0; i < pairs; ++i) {
        const std::string n = std::to_string(i);
        list += "\\??\\C:\\Program Files\\Vendor\\update\\library" + n + ".dll";
        list += '\0';
        list += "!\\??\\C:\\Windows\\System32\\library" + n + ".dll";
        list += '\0';
    }
    list += '\0';
    return list;
}

void Store(HKEY key, const std::string& data) {
    RegSetValueExA(key, pendrix::kPendingValueName, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
}

}  // namespace

int main() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSessionManagerPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot open the Session Manager key\n");
        return 1;
    }

    pendrix::RegistryRoutines registry;
    pendrix::PendingRenameList list(registry);
    pendrix::PendingListUpdate update(registry, pendrix::SystemListLock());
    const pendrix::RenamePair pair = pendrix::ReplacementPair("C:\\new\\file.dll", "C:\\Windows\\file.dll");

    std::printf("%8s %10s %14s %14s %8s %14s\n", "pairs", "bytes", "raw (ms)", "apply (ms)", "ratio",
                "apply/pair (us)");
    std::vector<std::pair<int, double>> ratios;
    for (int pairs : {100, 1000, 10000}) {
        const std::string stored = StoredList(pairs);
        const std::string grown = pendrix::AppendPairToStored(stored, pair);
        std::vector<double> raw;
        std::vector<double> apply;
        std::vector<char> buffer(grown.size() + 16);
        for (int round = 0; round < kRounds; ++round) {
            LARGE_INTEGER start;
            LARGE_INTEGER stop;

            Store(key, stored);
            QueryPerformanceCounter(&start);
            DWORD type = 0;
            DWORD size = static_cast<DWORD>(buffer.size());
            RegQueryValueExA(key, pendrix::kPendingValueName, nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer.data()), &size);
            Store(key, grown);
            QueryPerformanceCounter(&stop);
            raw.push_back(Seconds(start, stop));

            Store(key, stored);
            QueryPerformanceCounter(&start);
            const bool written = update.Append({pair}).outcome == pendrix::UpdateOutcome::Written;
            QueryPerformanceCounter(&stop);
            apply.push_back(Seconds(start, stop));
            if (!written) {
                std::fprintf(stderr, "the Apply was refused\n");
                return 1;
            }
        }
        const double rawMs = Median(raw) * 1000.0;
        const double applyMs = Median(apply) * 1000.0;
        std::printf("%8d %10zu %14.3f %14.3f %8.2f %14.3f\n", pairs, stored.size(), rawMs, applyMs,
                    applyMs / rawMs, applyMs * 1000.0 / pairs);
        ratios.push_back({pairs, applyMs / rawMs});
    }

    // One line per ratio for scripts: the name, the ratio and its target
    // (fixed costs weigh most on a short list).
    for (const auto& [pairs, ratio] : ratios) {
        std::printf("ratio apply_%d %.2f", pairs, ratio);
        if (pairs == 100) std::printf(" target 2.00");
        if (pairs == 10000) std::printf(" target 1.25");
        std::printf("\n");
    }

    RegDeleteValueA(key, pendrix::kPendingValueName);
    RegCloseKey(key);
    return 0;
}
