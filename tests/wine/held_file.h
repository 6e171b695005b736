// A file kept in use by another process (file_holder.exe, built beside the
// test programs) for as long as the object lives.
#pragma once

#include <windows.h>

#include <string>

#include "common/unique_handle.h"

namespace pendrix::wine {

class HeldFile {
public:
    // exclusive: others may not even read the file.
    explicit HeldFile(const std::wstring& path, bool exclusive = false);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Whether the holder has the file open.
    bool Holding() const { return holding_; }

private:
    UniqueKernelHandle process_;
    bool holding_ = false;
};

}  // namespace pendrix::wine
