// Reads one value's type and data from an open key.
#pragma once

#include <cstdint>
#include <string>

#include "registry/registry_api.h"
#include "registry/registry_data.h"

namespace pendrix {

struct ValueQuery {
    std::int32_t status = 0;
    std::uint32_t type = 0;
    ByteList data;
};

// Queries into 1024 bytes first, so that common values take one call; a
// larger value takes one more call with the size the platform reported. When
// the value grows between two calls the query is repeated, a bounded number
// of times; a value still growing gives ERROR_MORE_DATA.
ValueQuery QueryRegistryValue(RegistryApi& api, RegHandle key, const std::string& valueName);

}  // namespace pendrix
