#include "scheduler/stored_list.h"

namespace pendrix {

std::vector<StringSpan> StoredStringSpans(std::string_view stored) {
    std::vector<StringSpan> spans;
    std::size_t start = 0;
    while (start < stored.size()) {
        const std::size_t end = stored.find('\0', start);
        if (end == std::string_view::npos) {
            spans.push_back({start, stored.size() - start, false});
            break;
        }
        spans.push_back({start, end - start, true});
        start = end + 1;
    }
    return spans;
}

std::vector<std::string> SplitStoredStrings(std::string_view stored) {
    std::vector<std::string> strings;
    for (const StringSpan& span : StoredStringSpans(stored)) strings.emplace_back(stored.substr(span.offset, span.length));
    return strings;
}

std::size_t ReachedStringCount(const std::vector<std::string>& strings) {
    std::size_t index = 0;
    while (index < strings.size() && !strings[index].empty()) index += 2;
    return index < strings.size() ? index : strings.size();
}

bool IsClosedProperly(std::string_view stored) {
    return stored.size() >= 2 && stored[stored.size() - 1] == '\0' && stored[stored.size() - 2] == '\0';
}

StoredListLayout DescribeStoredList(std::string_view stored) {
    StoredListLayout layout;
    layout.strings = SplitStoredStrings(stored);
    layout.reached = ReachedStringCount(layout.strings);
    layout.closed = IsClosedProperly(stored);
    return layout;
}

std::size_t ReachedEntryCount(std::string_view stored) {
    if (!IsClosedProperly(stored)) return 0;
    return (ReachedStringCount(SplitStoredStrings(stored)) + 1) / 2;
}

}  // namespace pendrix
