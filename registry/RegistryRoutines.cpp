#include "registry/RegistryRoutines.h"

#include "common/text.h"
#include "registry/registry_codec.h"
#include "registry/registry_constants.h"
#include "registry/registry_key.h"
#include "registry/value_query.h"

namespace pendrix {
namespace {
// How often a value whose type changes while it is read is read again.
constexpr int kTypeChangeReads = 3;
}  // namespace

bool RegistryRoutines::KeyExists() { return KeyStatus() == kErrorSuccess; }

std::int32_t RegistryRoutines::KeyStatus() {
    RegistryKey key(*api_);
    return key.Open(hkey_, ObjectKeyPath(), kKeyRead);
}

std::int32_t RegistryRoutines::WriteAccess() {
    RegistryKey key(*api_);
    const std::int32_t status = key.Open(hkey_, ObjectKeyPath(), kKeyWrite);
    return status == kErrorFileNotFound ? kErrorSuccess : status;
}

std::string RegistryRoutines::CreateKey(const std::optional<RegistryData>& KeyName) {
    const std::string name = KeyName ? KeyName->ToText() : subkey_;
    RegistryKey key(*api_);
    if (key.Create(hkey_, keyRoot_ + "\\" + name, kKeyAllAccess, m_SecurityAttributes) != kErrorSuccess)
        return std::string();
    return "0";
}

RegistryData RegistryRoutines::GetRegistryValue(const std::string& ValueName,
                                                const RegistryData& DefaultValue) {
    return ReadRegistryValue(ValueName, DefaultValue).value;
}

RegistryValueRead RegistryRoutines::ReadRegistryValue(const std::string& ValueName,
                                                      const RegistryData& DefaultValue) {
    RegistryKey key(*api_);
    const std::int32_t opened = key.Open(hkey_, ObjectKeyPath(), kKeyRead);
    if (opened != kErrorSuccess) return {opened, DefaultValue, 0, std::string()};

    // The stored size is asked after the data; a value whose type changed in
    // between is read again, a bounded number of times.
    for (int attempt = 0; attempt < kTypeChangeReads; ++attempt) {
        const ValueQuery query = QueryRegistryValue(*api_, key.Get(), ValueName);
        if (query.status != kErrorSuccess) return {query.status, DefaultValue, 0, std::string(), 0};
        std::uint32_t storedType = 0;
        std::uint32_t storedSize = 0;
        const std::int32_t sized = api_->QueryStoredSize(key.Get(), ValueName, storedType, storedSize);
        if (sized != kErrorSuccess) return {sized, DefaultValue, 0, std::string(), 0};
        if (storedType != query.type) continue;
        const ByteView data = query.Data();
        return {kErrorSuccess, DecodeRegistryData(query.type, data, DefaultValue, Expander()), query.type,
                std::string(data.begin(), data.end()), storedSize};
    }
    return {kErrorMoreData, DefaultValue, 0, std::string(), 0};
}

bool RegistryRoutines::SetRegistryValue(const std::string& ValueName, const RegistryData& Value,
                                        std::int32_t DType) {
    return WriteRegistryValue(ValueName, Value, DType) == kErrorSuccess;
}

std::int32_t RegistryRoutines::WriteRegistryValue(const std::string& ValueName, const RegistryData& Value,
                                                  std::int32_t DType) {
    RegistryKey key(*api_);
    const std::int32_t opened = key.Open(hkey_, ObjectKeyPath(), kKeyWrite);
    if (opened != kErrorSuccess) return opened;

    const std::optional<EncodedValue> encoded = EncodeRegistryData(DType, Value);
    if (!encoded) return kErrorSuccess;
    return api_->SetValue(key.Get(), ValueName, encoded->type, encoded->data.data(),
                          static_cast<std::uint32_t>(encoded->data.size()));
}

std::string RegistryRoutines::TrimNull(std::string& item) {
    item = CutAtNul(item);
    return item;
}

ExpandFunction RegistryRoutines::Expander() {
    return [this](const std::string& text) { return ExpandEnvironmentText(*api_, text); };
}

}  // namespace pendrix
