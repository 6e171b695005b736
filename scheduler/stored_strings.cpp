#include "scheduler/stored_strings.h"

namespace pendrix {

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
