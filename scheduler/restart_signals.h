// The places besides the pending file operations where Windows and its
// installers say that a restart is due, as one table: each row names the
// signal, where it lies under HKEY_LOCAL_MACHINE and what shows it. A key
// that cannot be read is said as such, never taken as absent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "registry/RegistryRoutines.h"

namespace pendrix {

enum class SignalTest {
    KeyExists,         // the subkey exists
    ValueExists,       // the value exists
    ValueNonZero,      // the value exists and holds something other than 0
    ValuesDiffer,      // the value differs (ignoring case) from the same value of otherKey
};

struct RestartSignalRow {
    const char* name;      // as reports name it
    const char* key;       // below HKEY_LOCAL_MACHINE
    const char* item;      // KeyExists: the subkey; otherwise the value
    SignalTest test;
    const char* otherKey;  // ValuesDiffer: the key holding the value to compare with
};

const std::vector<RestartSignalRow>& RestartSignalTable();

enum class SignalState {
    Absent,      // nothing says a restart is due
    Present,     // a restart is due
    Unreadable,  // a key could not be read: status says why
};

struct RestartSignal {
    const RestartSignalRow* row = nullptr;
    SignalState state = SignalState::Absent;
    std::int32_t status = 0;  // Unreadable: the Windows status
    std::string unreadableKey;  // Unreadable: the key that could not be read
};

// Reads every row of the table through registry (aimed anew for each).
std::vector<RestartSignal> ReadRestartSignals(RegistryRoutines& registry);

// The full path of a key below HKEY_LOCAL_MACHINE, as reports name it.
std::string MachineKeyPath(const std::string& key);

}  // namespace pendrix
