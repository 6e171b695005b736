// RegistryRoutines: the program's gateway to the registry. An object is aimed
// at one key by hkey (a predefined root), KeyRoot (a path below it) and
// Subkey, and reads and writes typed values there. Keys are opened and closed
// within each call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "registry/registry_api.h"
#include "registry/registry_data.h"

namespace pendrix {

// A read that also tells why it found nothing: status 0 when the value was
// read, otherwise the Windows status of the open or the query that failed.
struct RegistryValueRead {
    std::int32_t status = 0;
    RegistryData value;
};

class RegistryRoutines {
public:
    RegistryRoutines() : RegistryRoutines(SystemRegistryApi()) {}
    explicit RegistryRoutines(RegistryApi& api) : api_(&api) {}

    std::int32_t hkey() const noexcept { return hkey_; }
    void hkey(std::int32_t vData) noexcept { hkey_ = vData; }
    const std::string& KeyRoot() const noexcept { return keyRoot_; }
    void KeyRoot(std::string vData) { keyRoot_ = std::move(vData); }
    const std::string& Subkey() const noexcept { return subkey_; }
    void Subkey(std::string vData) { subkey_ = std::move(vData); }

    // Whether the object's key can be opened for reading.
    bool KeyExists();
    // Creates (or opens) KeyRoot\KeyName, or KeyRoot\Subkey without a name,
    // with every missing key above it. "0" on success, "" on failure.
    std::string CreateKey(const std::optional<RegistryData>& KeyName = std::nullopt);

    // The decoded value, or DefaultValue when there is none.
    RegistryData GetRegistryValue(const std::string& ValueName, const RegistryData& DefaultValue = {});
    RegistryValueRead ReadRegistryValue(const std::string& ValueName,
                                        const RegistryData& DefaultValue = {});
    // Writes Value with type DType; true when stored, or when DType is a type
    // the class does not write. Conversion failures throw and write nothing.
    bool SetRegistryValue(const std::string& ValueName, const RegistryData& Value, std::int32_t DType);

    // Cuts item before its first NUL, in place, and returns it.
    std::string TrimNull(std::string& item);

private:
    std::string KeyPath() const { return keyRoot_ + "\\" + subkey_; }
    std::string Expand(const std::string& text);

    RegistryApi* api_;
    std::int32_t hkey_ = 0;
    std::string keyRoot_;
    std::string subkey_;
    SecurityAttributes m_SecurityAttributes{};
};

}  // namespace pendrix
