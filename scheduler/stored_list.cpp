#include "scheduler/stored_list.h"

namespace pendrix {

std::vector<std::string> SplitStoredStrings(std::string_view stored) {
    std::vector<std::string> strings;
    std::size_t start = 0;
    while (start < stored.size()) {
        const std::size_t end = stored.find('\0', start);
        if (end == std::string_view::npos) {
            strings.emplace_back(stored.substr(start));
            break;
        }
        strings.emplace_back(stored.substr(start, end - start));
        start = end + 1;
    }
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

}  // namespace pendrix
