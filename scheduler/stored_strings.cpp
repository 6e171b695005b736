#include "scheduler/stored_strings.h"

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

bool RemoveLastPair(std::string& stored, const RenamePair& pair) {
    const std::vector<StringSpan> spans = StoredStringSpans(stored);
    const std::string_view data(stored);
    for (std::size_t i = spans.size() / 2 * 2; i >= 2; i -= 2) {
        const StringSpan& first = spans[i - 2];
        const StringSpan& second = spans[i - 1];
        if (!second.terminated || data.substr(first.offset, first.length) != pair.first ||
            data.substr(second.offset, second.length) != pair.second)
            continue;
        stored.erase(first.offset, second.offset + second.length + 1 - first.offset);
        return true;
    }
    return false;
}

}  // namespace pendrix
