// Refuses every write to a registry key, as Windows does for a user without
// administrator rights, until it goes out of scope: a deny entry for
// Everyone in the key's DACL, which Wine enforces; reads still work.
#pragma once

#include <windows.h>

#include <aclapi.h>

namespace pendrix::wine {

class WritesRefused {
public:
    // key: opened with READ_CONTROL | WRITE_DAC.
    explicit WritesRefused(HKEY key);
    ~WritesRefused();
    WritesRefused(const WritesRefused&) = delete;
    WritesRefused& operator=(const WritesRefused&) = delete;
    bool Active() const { return active_; }

private:
    HKEY key_;
    PACL original_ = nullptr;
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    bool active_ = false;
};

}  // namespace pendrix::wine
