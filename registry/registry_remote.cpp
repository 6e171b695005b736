// RegistryRoutines: reading and writing a value in another computer's
// registry. Each call connects, works and releases everything again; the
// opened key is closed before the connected root.
#include "registry/RegistryRoutines.h"

#include "registry/registry_codec.h"
#include "registry/registry_constants.h"
#include "registry/registry_key.h"
#include "registry/value_query.h"

namespace pendrix {
namespace {
constexpr const char* kUnreachableText = "Error!";
}  // namespace

RegistryData RegistryRoutines::ReadRemoteRegistryValue(const std::string& sRemoteComputer, std::int32_t hkey,
                                                       const std::string& ValueName,
                                                       const std::optional<std::string>& KeyPath) {
    const std::string path = KeyPath.value_or(ObjectKeyPath());
    RegistryKey root(*api_);
    if (root.Connect(sRemoteComputer, hkey) != kErrorSuccess) return RegistryData(kUnreachableText);

    RegistryKey key(*api_);
    if (key.Open(root.Get(), path, kKeyAllAccess) != kErrorSuccess) return RegistryData();
    const ValueQuery query = QueryRegistryValue(*api_, key.Get(), ValueName);
    if (query.status != kErrorSuccess) return RegistryData();
    return DecodeRegistryData(query.type, query.Data(), RegistryData(), Expander());
}

bool RegistryRoutines::WriteRemoteRegistryValue(const std::string& sRemoteComputer, std::int32_t hkey,
                                                const std::string& ValueName, const RegistryData& Value,
                                                std::int32_t DType, const std::optional<std::string>& KeyPath) {
    const std::string path = KeyPath.value_or(ObjectKeyPath());
    RegistryKey root(*api_);
    if (root.Connect(sRemoteComputer, hkey) != kErrorSuccess) return false;

    RegistryKey key(*api_);
    const std::int32_t opened = key.Open(root.Get(), path, kKeyAllAccess);
    // A type the class does not write counts as written, open or not.
    const std::optional<EncodedValue> encoded = EncodeRegistryData(DType, Value);
    if (!encoded) return true;
    if (opened != kErrorSuccess) return false;
    return api_->SetValue(key.Get(), ValueName, encoded->type, encoded->data.data(),
                          static_cast<std::uint32_t>(encoded->data.size())) == kErrorSuccess;
}

}  // namespace pendrix
