#include "pending_list/pending_entries.h"

#include "pending_list/pending_rename_list.h"
#include "pending_list/stored_list.h"
#include "pending_list/stored_names.h"
#include "pending_list/stored_strings.h"

namespace pendrix {

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

PendingEntries DescribeValues(const PendingValues& read) {
    PendingEntries all = DescribeEntries(read[0].stored, read[0].exists);
    all.shape = read[0].shape;
    PendingEntries second = DescribeEntries(read[1].stored, read[1].exists);
    all.second = {read[1].exists, read[1].shape, second.closed};
    // Moved whole, the strings stay where the entries' views point.
    all.secondStrings = std::move(second.strings);
    all.entries.reserve(all.entries.size() + second.entries.size());
    for (PendingEntry& entry : second.entries) {
        entry.value = 1;
        entry.number = all.entries.size() + 1;
        all.entries.push_back(entry);
    }
    return all;
}

void DescribePair(PendingEntry& entry) {
    const StoredSourceName source = ReadSourceName(entry.first, entry.second.empty());
    entry.source = source.path;
    entry.sourceFlag = source.flag;
    entry.unknownMark = source.unknownMark;
    entry.destination = std::string_view();
    if (entry.second.empty()) {
        entry.kind = EntryKind::Delete;
        return;
    }
    const StoredDestinationName destination = ReadDestinationName(entry.second);
    entry.kind = destination.replaces ? EntryKind::Replace : EntryKind::Rename;
    entry.destination = destination.path;
    entry.unknownMark = entry.unknownMark || destination.unknownMark;
}

std::string SourcePathOf(const PendingEntry& entry) {
    return Win32PathOf(SourceObjectName(entry.first, entry.kind == EntryKind::Delete));
}

std::string DestinationPathOf(const PendingEntry& entry) {
    if (entry.kind == EntryKind::Delete) return std::string();
    return Win32PathOf(DestinationObjectName(entry.second));
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
