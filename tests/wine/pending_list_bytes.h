// The pending list's bytes as they stand in the registry, read with the
// registry's own calls, for the Wine programs that check what Pendrix wrote.
#pragma once

#include <windows.h>

#include <string>

namespace pendrix::wine {

struct PendingListBytes {
    bool keyOpened = false;  // the Session Manager key could be opened
    bool present = false;    // the value exists
    std::string bytes;       // its data, as stored (UTF-16 for its strings)
};

inline PendingListBytes ReadPendingListBytes() {
    PendingListBytes read;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return read;
    read.keyOpened = true;
    DWORD size = 0;
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        read.present = true;
        read.bytes.assign(size, '\0');
        RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(read.bytes.data()), &size);
        read.bytes.resize(size);
    }
    RegCloseKey(key);
    return read;
}

}  // namespace pendrix::wine
