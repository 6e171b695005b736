#include "registry/value_query.h"

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
        query.data.resize(room);
        std::uint32_t size = room;
        query.status = api.QueryValue(key, valueName, query.type, query.data.data(), size);
        if (query.status != kErrorMoreData) {
            query.data.resize(query.status == kErrorSuccess ? size : 0);
            return query;
        }
        room = size;
    }
    query.data.clear();
    return query;
}

}  // namespace pendrix
