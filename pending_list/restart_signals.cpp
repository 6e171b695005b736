#include "pending_list/restart_signals.h"

#include "common/name_folding.h"
#include "common/windows_codes.h"
#include "pending_list/startup_log.h"
#include "registry/registry_constants.h"

namespace pendrix {
namespace {

constexpr char kServicing[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing";
constexpr char kUpdateAgent[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
// The name the computer has now, and the one it takes at the next start.
constexpr char kActiveComputerName[] = "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName";
constexpr char kNextComputerName[] = "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName";
constexpr char kNetlogon[] = "SYSTEM\\CurrentControlSet\\Services\\Netlogon";

std::string Below(const char* key, const char* subkey) { return std::string(key) + "\\" + subkey; }

// The state one read gives: found, not there (2), or unreadable.
RestartSignal FromStatus(const RestartSignalRow& row, std::int32_t status, const std::string& key, bool found) {
    RestartSignal signal;
    signal.row = &row;
    if (status == kErrorSuccess) {
        signal.state = found ? SignalState::Present : SignalState::Absent;
    } else if (status != kErrorFileNotFound) {
        signal.state = SignalState::Unreadable;
        signal.status = status;
        signal.unreadableKey = MachineKeyPath(key);
    }
    return signal;
}

void Aim(RegistryRoutines& registry, const std::string& key) {
    registry.hkey(kHkeyLocalMachine);
    const std::size_t last = key.rfind('\\');
    registry.KeyRoot(key.substr(0, last));
    registry.Subkey(key.substr(last + 1));
}

// Whether data read holds something other than nothing or zero.
bool NonZero(const RegistryValueRead& read) {
    if (IsStringType(read.type)) return read.data.find_first_not_of(std::string("0\0", 2)) != std::string::npos;
    for (const char byte : read.data)
        if (byte != 0) return true;
    return false;
}

RestartSignal ReadRow(RegistryRoutines& registry, const RestartSignalRow& row) {
    switch (row.test) {
    case SignalTest::KeyExists: {
        const std::string key = Below(row.key, row.item);
        Aim(registry, key);
        const std::int32_t status = registry.KeyStatus();
        return FromStatus(row, status, key, true);
    }
    case SignalTest::ValueExists:
    case SignalTest::ValueNonZero: {
        Aim(registry, row.key);
        // 2 when the key or the value is missing; a key that cannot be
        // opened gives its own status.
        const RegistryValueRead read = registry.ReadRegistryValue(row.item);
        return FromStatus(row, read.status, row.key, row.test == SignalTest::ValueExists || NonZero(read));
    }
    case SignalTest::ClientAnswer: break;  // not in the registry: ReadClientSignal
    case SignalTest::ValuesDiffer: {
        Aim(registry, row.key);
        const RegistryValueRead active = registry.ReadRegistryValue(row.item);
        if (active.status != kErrorSuccess) return FromStatus(row, active.status, row.key, false);
        Aim(registry, row.otherKey);
        const RegistryValueRead set = registry.ReadRegistryValue(row.item);
        if (set.status != kErrorSuccess) return FromStatus(row, set.status, row.otherKey, false);
        return FromStatus(row, kErrorSuccess, row.key,
                          FoldName(active.value.ToText()) != FoldName(set.value.ToText()));
    }
    }
    return {};
}

}  // namespace

const std::vector<RestartSignalRow>& RestartSignalTable() {
    static const std::vector<RestartSignalRow> table = {
        {"Component Based Servicing RebootPending", kServicing, "RebootPending", SignalTest::KeyExists, nullptr, true},
        {"Component Based Servicing RebootInProgress", kServicing, "RebootInProgress", SignalTest::KeyExists, nullptr, false},
        {"Component Based Servicing PackagesPending", kServicing, "PackagesPending", SignalTest::KeyExists, nullptr, false},
        {"Windows Update RebootRequired", kUpdateAgent, "RebootRequired", SignalTest::KeyExists, nullptr, true},
        {"Windows Update PostRebootReporting", kUpdateAgent, "PostRebootReporting", SignalTest::KeyExists, nullptr, false},
        {"Updates UpdateExeVolatile", "SOFTWARE\\Microsoft\\Updates", "UpdateExeVolatile", SignalTest::ValueNonZero,
         nullptr, false},
        {"pending computer rename", kActiveComputerName, "ComputerName", SignalTest::ValuesDiffer, kNextComputerName, true},
        {"pending domain join (JoinDomain)", kNetlogon, "JoinDomain", SignalTest::ValueExists, nullptr, false},
        {"pending domain join (AvoidSpnSet)", kNetlogon, "AvoidSpnSet", SignalTest::ValueExists, nullptr, false},
        {"RunOnce DVDRebootSignal", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "DVDRebootSignal",
         SignalTest::ValueExists, nullptr, false},
        {"Server Manager CurrentRebootAttempts", "SOFTWARE\\Microsoft\\ServerManager", "CurrentRebootAttempts",
         SignalTest::ValueExists, nullptr, false},
    };
    return table;
}

std::vector<RestartSignal> ReadRestartSignals(RegistryRoutines& registry) {
    std::vector<RestartSignal> signals;
    for (const RestartSignalRow& row : RestartSignalTable()) signals.push_back(ReadRow(registry, row));
    return signals;
}

std::string MachineKeyPath(const std::string& key) { return "HKEY_LOCAL_MACHINE\\" + key; }

const RestartSignalRow& ClientSignalRow() {
    static const RestartSignalRow row = {"Configuration Manager client", "root\\ccm\\ClientSDK",
                                         "CCM_ClientUtilities.DetermineIfRebootPending", SignalTest::ClientAnswer,
                                         nullptr, true};
    return row;
}

std::string SignalPlace(const RestartSignalRow& row) {
    return row.test == SignalTest::ClientAnswer ? std::string("WMI ") + row.key : MachineKeyPath(row.key);
}

RestartSignal ReadClientSignal(ConfigManagerClientApi& client) {
    RestartSignal signal;
    signal.row = &ClientSignalRow();
    const ClientRebootReply reply = client.DetermineIfRebootPending(kClientAnswerMilliseconds);
    if (reply.answered && reply.status == kWbemInvalidNamespace) return signal;  // no client here
    if (reply.answered && reply.status == 0 && reply.returnValue == 0) {
        signal.state = reply.rebootPending || reply.hardRebootPending ? SignalState::Present : SignalState::Absent;
        return signal;
    }
    signal.state = SignalState::Unreadable;
    signal.status = kErrorAccessDenied;
    signal.unreadableKey = SignalPlace(*signal.row);
    if (!reply.answered)
        signal.failure = "no answer within " + std::to_string(kClientAnswerMilliseconds / 1000) + " s";
    else if (reply.status != 0)
        signal.failure = "WMI error " + StatusHex(static_cast<std::uint32_t>(reply.status));
    else
        signal.failure = "DetermineIfRebootPending returned " + std::to_string(reply.returnValue);
    return signal;
}

}  // namespace pendrix
