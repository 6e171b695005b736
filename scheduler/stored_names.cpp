#include "scheduler/stored_names.h"

#include "scheduler/pending_rename_list.h"

namespace pendrix {
namespace {

bool StartsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

// The length of a source flag at the start of name ("*" and at least one
// digit, followed by "\??\"); 0 when there is none.
std::size_t SourceFlagLength(std::string_view name) {
    if (name.empty() || name[0] != kSourceFlagMark) return 0;
    std::size_t end = 1;
    while (end < name.size() && name[end] >= '0' && name[end] <= '9') ++end;
    if (end == 1 || !StartsWith(name.substr(end), kObjectPathPrefix)) return 0;
    return end;
}

// Whether "\??\" stands in name after some other text.
bool HasTextBeforePrefix(std::string_view name) {
    const std::size_t at = name.find(kObjectPathPrefix);
    return at != std::string_view::npos && at > 0;
}

}  // namespace

StoredSourceName ReadSourceName(std::string_view first) {
    StoredSourceName name;
    const std::size_t flag = SourceFlagLength(first);
    name.flag = first.substr(0, flag);
    const std::string_view rest = first.substr(flag);
    name.objectPath = StartsWith(rest, kObjectPathPrefix);
    name.path = name.objectPath ? rest.substr(kObjectPathPrefix.size()) : first;
    name.unknownMark = !name.objectPath && HasTextBeforePrefix(first);
    return name;
}

StoredDestinationName ReadDestinationName(std::string_view second) {
    StoredDestinationName name;
    name.replaces = StartsWith(second, kReplaceExistingMarker);
    const std::string_view rest = name.replaces ? second.substr(kReplaceExistingMarker.size()) : second;
    name.objectPath = StartsWith(rest, kObjectPathPrefix);
    name.path = name.objectPath ? rest.substr(kObjectPathPrefix.size()) : rest;
    name.unknownMark = !name.objectPath && (HasTextBeforePrefix(rest) || (!rest.empty() && rest[0] == kUnknownDestinationMark));
    return name;
}

std::string_view WithoutSourceFlag(std::string_view first) { return first.substr(SourceFlagLength(first)); }

}  // namespace pendrix
