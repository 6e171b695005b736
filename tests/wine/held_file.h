// A file kept in use by another process (file_holder.exe, built beside the
// test programs) for as long as the object lives.
#pragma once

#include <windows.h>

#include <string>

#include "common/unique_handle.h"

namespace pendrix::wine {

// How the holder keeps the file in use.
enum class HeldAs {
    Open,       // open for reading, without FILE_SHARE_DELETE
    Exclusive,  // open, and others may not even read it
    Loaded,     // loaded as a DLL
};

class HeldFile {
public:
    HeldFile(const std::wstring& path, HeldAs how);
    // exclusive: others may not even read the file.
    explicit HeldFile(const std::wstring& path, bool exclusive = false)
        : HeldFile(path, exclusive ? HeldAs::Exclusive : HeldAs::Open) {}
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Whether the holder has the file open.
    bool Holding() const { return holding_; }
    // The holder's process id.
    DWORD ProcessId() const { return processId_; }

private:
    UniqueKernelHandle process_;
    bool holding_ = false;
    DWORD processId_ = 0;
};

}  // namespace pendrix::wine
