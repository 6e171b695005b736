#include "pending_list/stored_strings.h"

namespace pendrix {
namespace {

// Erases the strings spans[from] to spans[to - 1] with their NULs.
void EraseSpans(std::string& stored, const std::vector<StringSpan>& spans, std::size_t from, std::size_t to) {
    const StringSpan& last = spans[to - 1];
    const std::size_t end = last.offset + last.length + (last.terminated ? 1 : 0);
    stored.erase(spans[from].offset, end - spans[from].offset);
}

}  // namespace

bool RemoveLastPair(std::string& stored, const RenamePair& pair) {
    const std::vector<StringSpan> spans = StoredStringSpans(stored);
    const std::string_view data(stored);
    for (std::size_t i = spans.size() / 2 * 2; i >= 2; i -= 2) {
        const StringSpan& first = spans[i - 2];
        const StringSpan& second = spans[i - 1];
        if (!second.terminated || data.substr(first.offset, first.length) != pair.first ||
            data.substr(second.offset, second.length) != pair.second)
            continue;
        EraseSpans(stored, spans, i - 2, i);
        return true;
    }
    return false;
}

bool RemoveStrings(std::string& stored, std::size_t index, std::size_t count) {
    const std::vector<StringSpan> spans = StoredStringSpans(stored);
    if (count == 0 || index > spans.size() || count > spans.size() - index) return false;
    EraseSpans(stored, spans, index, index + count);
    return true;
}

void DropLoneClosingNul(std::string& stored) {
    if (stored.size() == 1 && stored[0] == '\0') stored.clear();
}

}  // namespace pendrix
