#include "pending_list/pending_entries.h"

#include "pending_list/pending_rename_list.h"
#include "pending_list/stored_list.h"
#include "pending_list/stored_strings.h"

namespace pendrix {
namespace {

std::string_view WithoutPrefix(std::string_view name, std::string_view prefix) {
    return name.substr(0, prefix.size()) == prefix ? name.substr(prefix.size()) : name;
}

}  // namespace

PendingEntries DescribeEntries(std::string_view stored, bool exists) {
    StoredListLayout layout = DescribeStoredList(stored);
    PendingEntries result;
    result.exists = exists;
    result.closed = layout.closed;
    // The strings' characters stay where they are when the vector moves.
    result.strings = std::move(layout.strings);
    const std::vector<std::string>& strings = result.strings;
    const std::size_t count = strings.size();

    std::size_t index = 0;
    while (index < count) {
        // An empty string is the value's closing NUL, or one that ends the
        // start-up walk: no entry either way.
        if (strings[index].empty()) {
            ++index;
            continue;
        }
        PendingEntry entry;
        entry.number = result.entries.size() + 1;
        entry.stringIndex = index;
        entry.first = strings[index];
        const bool hasSecond = index + 1 < count;
        const bool secondIsClosing = index + 2 == count && strings[index + 1].empty();
        entry.stringCount = hasSecond && !secondIsClosing ? 2 : 1;
        if (hasSecond) entry.second = strings[index + 1];

        DescribePair(entry);
        if (!layout.closed)
            entry.unreached = Unreached::NotClosed;
        else if (index >= layout.reached)
            entry.unreached = Unreached::AfterEmptyString;
        result.entries.push_back(std::move(entry));
        index += 2;
    }
    return result;
}

const char* KindName(EntryKind kind) {
    switch (kind) {
    case EntryKind::Replace: return "replace";
    case EntryKind::Rename: return "rename";
    case EntryKind::Delete: break;
    }
    return "delete";
}

void DescribePair(PendingEntry& entry) {
    entry.source = WithoutPrefix(entry.first, kObjectPathPrefix);
    entry.destination = std::string_view();
    if (entry.second.empty()) {
        entry.kind = EntryKind::Delete;
        return;
    }
    const bool replaces = entry.second.substr(0, kReplaceExistingMarker.size()) == kReplaceExistingMarker;
    entry.kind = replaces ? EntryKind::Replace : EntryKind::Rename;
    const std::string_view name = replaces ? entry.second.substr(kReplaceExistingMarker.size()) : entry.second;
    entry.destination = WithoutPrefix(name, kObjectPathPrefix);
}

std::string Win32PathOf(std::string_view storedName) {
    if (storedName.substr(0, kObjectPathPrefix.size()) != kObjectPathPrefix) return std::string();
    const std::string_view rest = storedName.substr(kObjectPathPrefix.size());
    const bool drive = rest.size() >= 2 && rest[1] == ':' &&
                       ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z'));
    constexpr std::string_view kUnc = "UNC\\";
    const bool unc = rest.substr(0, kUnc.size()) == kUnc;
    if (!drive && !unc) return std::string();
    return "\\\\?\\" + std::string(rest);
}

bool RemoveEntry(std::string& stored, const PendingEntry& entry) {
    if (!RemoveStrings(stored, entry.stringIndex, entry.stringCount)) return false;
    DropLoneClosingNul(stored);
    return true;
}

}  // namespace pendrix
