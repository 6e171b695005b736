// Move-only owners of kernel handles: each closes its handle on every path.
#pragma once

#include <windows.h>

#include <utility>

namespace pendrix {

template <typename Closer>
class BasicUniqueHandle {
public:
    BasicUniqueHandle() = default;
    explicit BasicUniqueHandle(HANDLE handle) : handle_(handle) {}
    ~BasicUniqueHandle() { Reset(); }

    BasicUniqueHandle(const BasicUniqueHandle&) = delete;
    BasicUniqueHandle& operator=(const BasicUniqueHandle&) = delete;
    BasicUniqueHandle(BasicUniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    BasicUniqueHandle& operator=(BasicUniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }

    HANDLE Get() const noexcept { return handle_; }
    // Windows answers failure with either null or INVALID_HANDLE_VALUE.
    explicit operator bool() const noexcept { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

    void Reset() noexcept {
        if (*this) Closer::Close(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

struct KernelHandleCloser {
    static void Close(HANDLE handle) noexcept { CloseHandle(handle); }
};
struct FindHandleCloser {
    static void Close(HANDLE handle) noexcept { FindClose(handle); }
};

// A file, process, thread or other kernel object (CloseHandle).
using UniqueKernelHandle = BasicUniqueHandle<KernelHandleCloser>;
// A FindFirstFileW search (FindClose).
using UniqueFindHandle = BasicUniqueHandle<FindHandleCloser>;

}  // namespace pendrix
