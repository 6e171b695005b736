// Move-only owner of an open registry key: closes it on every path.
#pragma once

#include <string>
#include <utility>

#include "registry/registry_api.h"

namespace pendrix {

class RegistryKey {
public:
    RegistryKey() = default;
    explicit RegistryKey(RegistryApi& api) : api_(&api) {}
    ~RegistryKey() { Reset(); }

    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey(RegistryKey&& other) noexcept
        : api_(other.api_), handle_(std::exchange(other.handle_, 0)) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept {
        if (this != &other) {
            Reset();
            api_ = other.api_;
            handle_ = std::exchange(other.handle_, 0);
        }
        return *this;
    }

    RegHandle Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != 0; }

    void Reset() noexcept {
        if (handle_ != 0 && api_ != nullptr) api_->CloseKey(handle_);
        handle_ = 0;
    }

    // Opens path below root; the status is RegOpenKeyExA's.
    std::int32_t Open(RegHandle root, const std::string& path, std::uint32_t access) {
        Reset();
        RegHandle opened = 0;
        const std::int32_t status = api_->OpenKey(root, path, access, opened);
        if (status == 0) handle_ = opened;
        return status;
    }

    std::int32_t Create(RegHandle root, const std::string& path, std::uint32_t access,
                        const SecurityAttributes& security) {
        Reset();
        RegHandle created = 0;
        const std::int32_t status = api_->CreateKey(root, path, access, security, created);
        if (status == 0) handle_ = created;
        return status;
    }

    std::int32_t Connect(const std::string& computer, RegHandle root) {
        Reset();
        RegHandle connected = 0;
        const std::int32_t status = api_->ConnectRegistry(computer, root, connected);
        if (status == 0) handle_ = connected;
        return status;
    }

private:
    RegistryApi* api_ = nullptr;
    RegHandle handle_ = 0;
};

}  // namespace pendrix
