// The places besides the pending file operations where Windows and its
// installers say that a restart is due, as one table: each row names the
// signal, where it lies under HKEY_LOCAL_MACHINE, what shows it, and
// whether Microsoft documents it (the checks of PowerShell DSC's
// PendingReboot resource) or it comes from community lists. Beside the
// table, the Configuration Manager client's own answer, asked through WMI.
// A key or an answer that cannot be read is said as such, never taken as
// absent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/config_manager_client_api.h"
#include "registry/RegistryRoutines.h"

namespace pendrix {

enum class SignalTest {
    KeyExists,         // the subkey exists
    ValueExists,       // the value exists
    ValueNonZero,      // the value exists and holds something other than 0
    ValuesDiffer,      // the value differs (ignoring case) from the same value of otherKey
    ClientAnswer,      // the Configuration Manager client says so (key: the WMI namespace, item: the method)
};

struct RestartSignalRow {
    const char* name;      // as reports name it
    const char* key;       // below HKEY_LOCAL_MACHINE
    const char* item;      // KeyExists: the subkey; otherwise the value
    SignalTest test;
    const char* otherKey;  // ValuesDiffer: the key holding the value to compare with
    bool documented;       // Microsoft documents it as a sign of a pending restart
};

const std::vector<RestartSignalRow>& RestartSignalTable();

// The Configuration Manager client's row (not read from the registry).
const RestartSignalRow& ClientSignalRow();

// How long the client's answer is waited for.
inline constexpr std::uint32_t kClientAnswerMilliseconds = 10'000;

// Whether the pending file operations are documented as a sign.
inline constexpr bool kPendingFileOperationsDocumented = true;

enum class SignalState {
    Absent,      // nothing says a restart is due
    Present,     // a restart is due
    Unreadable,  // a key could not be read: status says why
};

struct RestartSignal {
    const RestartSignalRow* row = nullptr;
    SignalState state = SignalState::Absent;
    std::int32_t status = 0;  // Unreadable: the Windows status
    std::string unreadableKey;  // Unreadable: the key (or WMI namespace) that could not be read
    std::string failure;        // Unreadable, when not a registry status: how it failed, in words
};

// Reads every row of the table through registry (aimed anew for each).
std::vector<RestartSignal> ReadRestartSignals(RegistryRoutines& registry);

// The client's answer as a signal: absent when the namespace does not exist;
// present when it says a restart (hard or not) is pending; unreadable, with
// status 5 as for a key that cannot be read, when a call fails or no answer
// comes in time.
RestartSignal ReadClientSignal(ConfigManagerClientApi& client);

// Where a row's signal lies, as reports name it: a key's full path, or
// "WMI root\ccm\ClientSDK".
std::string SignalPlace(const RestartSignalRow& row);

// The full path of a key below HKEY_LOCAL_MACHINE, as reports name it.
std::string MachineKeyPath(const std::string& key);

}  // namespace pendrix
