#include "pending_list/stored_names.h"

#include "pending_list/pending_rename_list.h"

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

// The length of the marks the start-up processing takes off a source: a
// flag, or an "@" before a deletion's.
std::size_t SourceMarkLength(std::string_view first, bool deletion) {
    if (deletion && !first.empty() && first[0] == kAtMark && StartsWith(first.substr(1), kObjectPathPrefix)) return 1;
    return SourceFlagLength(first);
}

bool ReplaceMark(std::string_view second) {
    return StartsWith(second, kReplaceExistingMarker) || (!second.empty() && second[0] == kAtMark);
}

}  // namespace

StoredSourceName ReadSourceName(std::string_view first, bool deletion) {
    StoredSourceName name;
    const std::size_t marks = SourceMarkLength(first, deletion);
    name.flag = first.substr(0, SourceFlagLength(first));
    const std::string_view rest = first.substr(marks);
    name.objectPath = StartsWith(rest, kObjectPathPrefix);
    name.path = name.objectPath ? rest.substr(kObjectPathPrefix.size()) : first;
    name.unknownMark = !name.objectPath && HasTextBeforePrefix(first);
    return name;
}

StoredDestinationName ReadDestinationName(std::string_view second) {
    StoredDestinationName name;
    name.replaces = ReplaceMark(second);
    const std::string_view rest = name.replaces ? second.substr(1) : second;
    name.objectPath = StartsWith(rest, kObjectPathPrefix);
    name.path = name.objectPath ? rest.substr(kObjectPathPrefix.size()) : rest;
    name.unknownMark = !name.objectPath && HasTextBeforePrefix(rest);
    return name;
}

std::string_view SourceObjectName(std::string_view first, bool deletion) {
    return first.substr(SourceMarkLength(first, deletion));
}

std::string_view DestinationObjectName(std::string_view second) {
    return ReplaceMark(second) ? second.substr(1) : second;
}

}  // namespace pendrix
