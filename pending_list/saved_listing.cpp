#include "pending_list/saved_listing.h"

#include <limits>
#include <string>

#include "common/file_time_text.h"
#include "common/json_reader.h"
#include "pending_list/pending_entries.h"

namespace pendrix {
namespace {

using Kind = JsonValue::Kind;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Mark = "\xFF\xFE";

// The document's bytes: the file as it is, after a UTF-8 mark, or its
// UTF-16 LE units after that mark, each of which must be ASCII.
std::optional<std::string> DocumentOf(std::string_view file) {
    if (file.substr(0, kUtf8Mark.size()) == kUtf8Mark) return std::string(file.substr(kUtf8Mark.size()));
    if (file.substr(0, kUtf16Mark.size()) != kUtf16Mark) return std::string(file);
    file.remove_prefix(kUtf16Mark.size());
    if (file.size() % 2 != 0) return std::nullopt;
    std::string document;
    document.reserve(file.size() / 2);
    for (std::size_t i = 0; i < file.size(); i += 2) {
        if (file[i + 1] != '\0' || static_cast<unsigned char>(file[i]) >= 0x80) return std::nullopt;
        document += file[i];
    }
    return document;
}

// object's member name when it is of kind; null otherwise.
const JsonValue* MemberOf(const JsonValue& object, std::string_view name, Kind kind) {
    const JsonValue* member = object.Member(name);
    return member != nullptr && member->kind == kind ? member : nullptr;
}

bool IsAbsentOrNull(const JsonValue* value) { return value == nullptr || value->kind == Kind::Null; }

// A whole number from 0 that fits 64 bits, in plain digits.
std::optional<std::uint64_t> WholeNumber(const JsonValue& value) {
    if (value.kind != Kind::Number) return std::nullopt;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t number = 0;
    for (const char c : value.text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (number > (kMax - digit) / 10) return std::nullopt;
        number = number * 10 + digit;
    }
    return number;
}

bool IsStoredString(const std::string& text) { return text.find('\0') == std::string::npos; }

// Whether the source's size and last-write time are as list writes them
// (both or neither, only for a source that exists); sets them in entry.
bool ReadStamp(const JsonValue& item, PendingEntry& entry) {
    const JsonValue* size = item.Member("sourceSize");
    const JsonValue* written = item.Member("sourceLastWrite");
    if (IsAbsentOrNull(size) && IsAbsentOrNull(written)) return true;
    if (IsAbsentOrNull(size) || IsAbsentOrNull(written) || entry.sourceState != Presence::Exists) return false;
    const std::optional<std::uint64_t> bytes = WholeNumber(*size);
    const std::optional<std::uint64_t> time =
        written->kind == Kind::String ? FileTimeOfText(written->text) : std::nullopt;
    if (!bytes || !time) return false;
    entry.sourceStamp = ContentStamp{*bytes, *time};
    return true;
}

// Entry number of the listing from item; its stored strings go to strings,
// which must have room for them (the entry keeps views of them).
bool ReadEntry(const JsonValue& item, std::size_t number, bool closed, std::vector<std::string>& strings,
               PendingEntry& entry) {
    if (item.kind != Kind::Object) return false;
    const JsonValue* written = item.Member("number");
    const JsonValue* first = MemberOf(item, "first", Kind::String);
    const JsonValue* second = MemberOf(item, "second", Kind::String);
    const JsonValue* kind = MemberOf(item, "kind", Kind::String);
    const JsonValue* source = MemberOf(item, "source", Kind::String);
    const JsonValue* destination = item.Member("destination");
    const JsonValue* existed = item.Member("sourceExists");
    const JsonValue* reached = MemberOf(item, "reached", Kind::Boolean);
    const JsonValue* warnings = MemberOf(item, "warnings", Kind::Array);
    if (written == nullptr || WholeNumber(*written) != number || first == nullptr || second == nullptr ||
        kind == nullptr || source == nullptr || destination == nullptr || existed == nullptr ||
        reached == nullptr || warnings == nullptr)
        return false;
    if (first->text.empty() || !IsStoredString(first->text) || !IsStoredString(second->text)) return false;

    entry.number = number;
    entry.stringIndex = strings.size();
    strings.push_back(first->text);
    entry.first = strings.back();
    strings.push_back(second->text);
    entry.second = strings.back();
    DescribePair(entry);
    // What the listing says of the entry must be what its strings make.
    if (kind->text != KindName(entry.kind) || source->text != entry.source) return false;
    if (entry.kind == EntryKind::Delete ? destination->kind != Kind::Null
                                        : destination->kind != Kind::String || destination->text != entry.destination)
        return false;
    for (const JsonValue& warning : warnings->items)
        if (warning.kind != Kind::String) return false;

    if (existed->kind == Kind::Boolean)
        entry.sourceState = existed->boolean ? Presence::Exists : Presence::Missing;
    else if (existed->kind != Kind::Null)
        return false;
    entry.unreached = reached->boolean ? Unreached::No : closed ? Unreached::AfterEmptyString : Unreached::NotClosed;
    return ReadStamp(item, entry);
}

}  // namespace

std::optional<PendingEntries> ReadSavedListing(std::string_view file) {
    const std::optional<std::string> document = DocumentOf(file);
    if (!document) return std::nullopt;
    const std::optional<JsonValue> root = ReadJson(*document);
    if (!root || root->kind != Kind::Object) return std::nullopt;
    const JsonValue* value = MemberOf(*root, "value", Kind::String);
    const JsonValue* exists = MemberOf(*root, "exists", Kind::Boolean);
    const JsonValue* closed = MemberOf(*root, "closedProperly", Kind::Boolean);
    const JsonValue* entries = MemberOf(*root, "entries", Kind::Array);
    if (value == nullptr || value->text != kListedValuePath || exists == nullptr || closed == nullptr ||
        entries == nullptr || (!exists->boolean && !entries->items.empty()))
        return std::nullopt;

    PendingEntries listing;
    listing.exists = exists->boolean;
    listing.closed = closed->boolean;
    // Room for every string first: the entries keep views of them.
    listing.strings.reserve(2 * entries->items.size());
    for (std::size_t i = 0; i < entries->items.size(); ++i) {
        PendingEntry entry;
        if (!ReadEntry(entries->items[i], i + 1, listing.closed, listing.strings, entry)) return std::nullopt;
        listing.entries.push_back(std::move(entry));
    }
    return listing;
}

}  // namespace pendrix
