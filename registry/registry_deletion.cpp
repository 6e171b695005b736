// RegistryRoutines: deleting keys and values.
#include "registry/RegistryRoutines.h"

#include "registry/registry_constants.h"
#include "registry/registry_key.h"

namespace pendrix {

std::int32_t RegistryRoutines::DeleteKey(const std::string& KeyName) {
    return api_->DeleteKey(hkey_, keyRoot_ + "\\" + KeyName);
}

std::int32_t RegistryRoutines::DeleteValue(const std::string& ValueName) {
    RegistryKey key(*api_);
    const std::int32_t opened = key.Open(hkey_, ObjectKeyPath(), kKeyAllAccess);
    if (opened != kErrorSuccess) return opened;
    return api_->DeleteValue(key.Get(), ValueName);
}

}  // namespace pendrix
