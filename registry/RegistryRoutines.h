// RegistryRoutines: the program's gateway to the registry. An object is aimed
// at one key by hkey (a predefined root), KeyRoot (a path below it) and
// Subkey, and reads and writes typed values there. Keys are opened and closed
// within each call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "registry/registry_api.h"
#include "registry/registry_codec.h"
#include "registry/registry_data.h"
#include "registry/registry_entry_list.h"

namespace pendrix {

// A read that also tells why it found nothing: status 0 when the value was
// read, otherwise the Windows status of the open or the query that failed.
// type and data hold the value as stored (strings as 8-bit text, every NUL
// kept) when it was read; storedSize is the size of its data in bytes as
// Windows holds it (string data as UTF-16: an odd size means a last byte
// that no text shows).
struct RegistryValueRead {
    std::int32_t status = 0;
    RegistryData value;
    std::uint32_t type = 0;
    std::string data;
    std::uint32_t storedSize = 0;
};

class RegistryRoutines {
public:
    RegistryRoutines() : RegistryRoutines(SystemRegistryApi()) {}
    explicit RegistryRoutines(RegistryApi& api) : api_(&api) {}

    // The registry this object reaches.
    RegistryApi& Api() const noexcept { return *api_; }

    std::int32_t hkey() const noexcept { return hkey_; }
    void hkey(std::int32_t vData) noexcept { hkey_ = vData; }
    const std::string& KeyRoot() const noexcept { return keyRoot_; }
    void KeyRoot(std::string vData) { keyRoot_ = std::move(vData); }
    const std::string& Subkey() const noexcept { return subkey_; }
    void Subkey(std::string vData) { subkey_ = std::move(vData); }

    // Whether the object's key can be opened for reading.
    bool KeyExists();
    // Whether values of the object's key may be set: 0 when it opens for
    // writing (or does not exist yet), else the open's status.
    std::int32_t WriteAccess();
    // The Windows status of opening the object's key for reading: 0 when it
    // opens, 2 when it does not exist, else why it cannot be read.
    std::int32_t KeyStatus();
    // Creates (or opens) KeyRoot\KeyName, or KeyRoot\Subkey without a name,
    // with every missing key above it. "0" on success, "" on failure.
    std::string CreateKey(const std::optional<RegistryData>& KeyName = std::nullopt);
    // Deletes KeyRoot\KeyName below hkey; RegDeleteKeyA's status.
    std::int32_t DeleteKey(const std::string& KeyName);
    // Deletes a value of the object's key; 0, or the status of the step that
    // failed (the open or the deletion).
    std::int32_t DeleteValue(const std::string& ValueName);

    // The enumerations list KeyName below the handle hkey, or hkey itself
    // when KeyName is empty; the object's properties are not used. hkey is a
    // predefined root (a negative 32-bit number, sign-extended) or a key the
    // caller opened, which stays open. A key that cannot be opened gives an
    // empty list; a listing that fails part-way gives what was gathered.
    RegistryKeyList EnumRegistryKeys(RegHandle hkey, const std::string& KeyName);
    RegistryValueList EnumRegistryValues(RegHandle hkey, const std::string& KeyName);

    // The decoded value, or DefaultValue when there is none.
    RegistryData GetRegistryValue(const std::string& ValueName, const RegistryData& DefaultValue = {});
    RegistryValueRead ReadRegistryValue(const std::string& ValueName,
                                        const RegistryData& DefaultValue = {});
    // Writes Value with type DType; true when stored, or when DType is a type
    // the class does not write. Conversion failures throw and write nothing.
    bool SetRegistryValue(const std::string& ValueName, const RegistryData& Value, std::int32_t DType);
    // The same write, with the Windows status of the step that failed (the
    // open or the write), 0 when stored.
    std::int32_t WriteRegistryValue(const std::string& ValueName, const RegistryData& Value, std::int32_t DType);

    // GetRegistryValue and SetRegistryValue on another computer's registry,
    // with hkey a predefined root there. The key is KeyPath when given (the
    // empty text is the root itself), else KeyRoot\Subkey. Every handle and
    // the connection are released within the call. A read gives "Error!"
    // when the computer's registry cannot be reached and nothing for any
    // other failure.
    RegistryData ReadRemoteRegistryValue(const std::string& sRemoteComputer, std::int32_t hkey,
                                         const std::string& ValueName,
                                         const std::optional<std::string>& KeyPath = std::nullopt);
    bool WriteRemoteRegistryValue(const std::string& sRemoteComputer, std::int32_t hkey,
                                  const std::string& ValueName, const RegistryData& Value, std::int32_t DType,
                                  const std::optional<std::string>& KeyPath = std::nullopt);

    // Cuts item before its first NUL, in place, and returns it.
    std::string TrimNull(std::string& item);

private:
    std::string ObjectKeyPath() const { return keyRoot_ + "\\" + subkey_; }
    // Environment expansion for the decoders, through this object's platform.
    ExpandFunction Expander();

    RegistryApi* api_;
    std::int32_t hkey_ = 0;
    std::string keyRoot_;
    std::string subkey_;
    SecurityAttributes m_SecurityAttributes{};
};

}  // namespace pendrix
