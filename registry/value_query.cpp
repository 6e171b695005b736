#include "registry/value_query.h"

#include <algorithm>

#include "registry/registry_constants.h"

namespace pendrix {
namespace {
constexpr std::uint32_t kFirstQueryBytes = 1024;
constexpr int kMaxQueries = 4;
}  // namespace

ValueQuery QueryRegistryValue(RegistryApi& api, RegHandle key, const std::string& valueName) {
    ValueQuery query;
    std::uint32_t room = kFirstQueryBytes;
    for (int attempt = 0; attempt < kMaxQueries; ++attempt) {
        // At least one byte, so that the platform always gets a buffer.
        query.buffer.reset(new std::uint8_t[room > 0 ? room : 1]);
        std::uint32_t size = room;
        query.status = api.QueryValue(key, valueName, query.type, query.buffer.get(), size);
        if (query.status != kErrorMoreData) {
            query.size = query.status == kErrorSuccess ? std::min(size, room) : 0;
            return query;
        }
        room = size;
    }
    query.size = 0;
    return query;
}

}  // namespace pendrix
