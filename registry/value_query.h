// Reads one value's type and data from an open key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "registry/registry_api.h"
#include "registry/registry_data.h"

namespace pendrix {

struct ValueQuery {
    std::int32_t status = 0;
    std::uint32_t type = 0;
    // Left uninitialised: the room asked for a large list can be three times
    // its size, and zeroing it would cost as much as reading the value.
    std::unique_ptr<std::uint8_t[]> buffer;
    std::uint32_t size = 0;

    ByteView Data() const noexcept { return ByteView(buffer.get(), size); }
};

// Queries into 1024 bytes first, so that common values take one call; a
// larger value takes one more call with the size the platform reported. When
// the value grows between two calls the query is repeated, a bounded number
// of times; a value still growing gives ERROR_MORE_DATA.
ValueQuery QueryRegistryValue(RegistryApi& api, RegHandle key, const std::string& valueName);

}  // namespace pendrix
