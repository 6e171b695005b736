// Conversions between the registry's typed data and RegistryData. Pure apart
// from environment expansion, which the caller supplies.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "registry/registry_api.h"
#include "registry/registry_data.h"

namespace pendrix {

using ExpandFunction = std::function<std::string(const std::string&)>;

// The text of REG_SZ or REG_EXPAND_SZ data: the terminating NUL is dropped
// when it is there; data stored without one reads whole.
std::string StringDataText(ByteView data);

// The list text of REG_MULTI_SZ data: the strings joined by single NULs. Only
// closing NULs that are present are removed (at most two), so a list that
// another program stored without them keeps its last string whole.
std::string MultiStringListText(ByteView data);

RegistryData DecodeRegistryData(std::uint32_t type, ByteView data,
                                const RegistryData& defaultValue, const ExpandFunction& expand);

struct EncodedValue {
    std::uint32_t type = 0;
    ByteList data;
};

// The type and bytes to store for DType and Value, or nothing when the class
// does not write that type. Conversion failures throw PendrixError.
std::optional<EncodedValue> EncodeRegistryData(std::int32_t dtype, const RegistryData& value);

// %name% expansion through ExpandEnvironmentStringsA, with room for any
// length; the text unexpanded when the platform call fails.
std::string ExpandEnvironmentText(RegistryApi& api, const std::string& text);

}  // namespace pendrix
