#include "platform/handle_search.h"

namespace pendrix {
namespace {

constexpr char kWineVersionExport[] = "wine_get_version";

}  // namespace

HandleSearch HandleSearchFor(const std::function<bool(const char*)>& ntdllExports) {
    return ntdllExports(kWineVersionExport) ? HandleSearch::EachProcess : HandleSearch::SystemTable;
}

}  // namespace pendrix
