#include "platform/extended_path.h"

#include "common/utf16_text.h"

namespace pendrix {
namespace {

// Names at least this long (in UTF-16 units) go in the verbatim form: the
// plain form ends at MAX_PATH (260) with its NUL, and a folder must leave
// room for an 8.3 name in it (MAX_PATH - 12).
constexpr std::size_t kPlainFormLimit = 248;

constexpr std::string_view kVerbatimPrefix = "\\\\?\\";
constexpr std::string_view kVerbatimUncPrefix = "\\\\?\\UNC\\";

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string ExtendedPath(std::string_view path) {
    if (path.substr(0, kVerbatimPrefix.size()) == kVerbatimPrefix) return std::string(path);
    if (Utf16FromText(path).size() < kPlainFormLimit) return std::string(path);
    if (path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\')
        return std::string(kVerbatimPrefix) + std::string(path);
    if (path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\')
        return std::string(kVerbatimUncPrefix) + std::string(path.substr(2));
    return std::string(path);
}

}  // namespace pendrix
