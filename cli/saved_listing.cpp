#include "cli/saved_listing.h"

#include <limits>
#include <string>

#include "cli/file_time_text.h"
#include "cli/json_reader.h"
#include "cli/list_format.h"
#include "registry/registry_type_names.h"

namespace pendrix::cli {
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
    if (IsAbsentOrNull(size) || IsAbsentOrNull(written) || entry.sourceState != SourceState::Exists) return false;
    const std::optional<std::uint64_t> bytes = WholeNumber(*size);
    const std::optional<std::uint64_t> time =
        written->kind == Kind::String ? FileTimeOfText(written->text) : std::nullopt;
    if (!bytes || !time) return false;
    entry.sourceStamp = FileStamp{*bytes, *time};
    return true;
}

// A state written as true, false or null.
bool ReadState(const JsonValue* written, SourceState& state) {
    if (IsAbsentOrNull(written)) return true;
    if (written->kind != Kind::Boolean) return false;
    state = written->boolean ? SourceState::Exists : SourceState::Missing;
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
    // The flag, when written (older listings lack it), must be the one the
    // first string holds: null for none.
    const JsonValue* flag = item.Member("sourceFlag");
    const bool flagAgrees = flag == nullptr ||
                            (flag->kind == Kind::Null ? entry.sourceFlag.empty()
                                                      : flag->kind == Kind::String && flag->text == entry.sourceFlag);
    if (!flagAgrees) return false;
    if (!ReadState(item.Member("destinationExists"), entry.destinationState)) return false;
    if (entry.destinationState != SourceState::Unknown && entry.kind != EntryKind::Rename) return false;

    if (existed->kind == Kind::Boolean)
        entry.sourceState = existed->boolean ? SourceState::Exists : SourceState::Missing;
    else if (existed->kind != Kind::Null)
        return false;
    entry.unreached = reached->boolean ? Unreached::No : closed ? Unreached::AfterEmptyString : Unreached::NotClosed;
    return ReadStamp(item, entry);
}

}  // namespace

namespace {

// The type a listing names ("REG_MULTI_SZ", "type 12").
std::optional<std::uint32_t> TypeOfText(std::string_view text) {
    constexpr std::uint32_t kNamedTypes = 12;
    for (std::uint32_t type = 0; type < kNamedTypes; ++type)
        if (RegistryTypeText(type) == text) return type;
    constexpr std::string_view kNumbered = "type ";
    if (text.substr(0, kNumbered.size()) != kNumbered) return std::nullopt;
    JsonValue number;
    number.kind = Kind::Number;
    number.text = std::string(text.substr(kNumbered.size()));
    const std::optional<std::uint64_t> type = WholeNumber(number);
    if (!type || *type > UINT32_MAX || *type < kNamedTypes || RegistryTypeText(static_cast<std::uint32_t>(*type)) != text)
        return std::nullopt;
    return static_cast<std::uint32_t>(*type);
}

// A value's facts as written: exists and closedProperly, and the type and
// size when it exists (older listings may lack them).
bool ReadValueFacts(const JsonValue& object, ListedValue& value) {
    const JsonValue* exists = MemberOf(object, "exists", Kind::Boolean);
    const JsonValue* closed = MemberOf(object, "closedProperly", Kind::Boolean);
    if (exists == nullptr || closed == nullptr) return false;
    value.exists = exists->boolean;
    value.closed = closed->boolean;
    const JsonValue* type = object.Member("type");
    const JsonValue* bytes = object.Member("bytes");
    if (!value.exists || IsAbsentOrNull(type) || IsAbsentOrNull(bytes)) return true;
    const std::optional<std::uint32_t> typeNumber = type->kind == Kind::String ? TypeOfText(type->text) : std::nullopt;
    const std::optional<std::uint64_t> size = WholeNumber(*bytes);
    if (!typeNumber || !size || *size > UINT32_MAX) return false;
    value.shape = {*typeNumber, static_cast<std::uint32_t>(*size)};
    return true;
}

// "values": the second value's facts (the first's are the document's own).
bool ReadSecondValue(const JsonValue& root, ListedValue& second) {
    const JsonValue* values = root.Member("values");
    if (values == nullptr) return true;  // an older listing: one value
    if (values->kind != Kind::Array || values->items.size() != kPendingValueCount) return false;
    for (std::size_t index = 0; index < kPendingValueCount; ++index) {
        const JsonValue& item = values->items[index];
        if (item.kind != Kind::Object) return false;
        const JsonValue* number = item.Member("value");
        if (number == nullptr || WholeNumber(*number) != index + 1) return false;
    }
    return ReadValueFacts(values->items[1], second);
}

// The value an entry names: 1 when it names none (an older listing).
std::optional<std::size_t> EntryValue(const JsonValue& item) {
    const JsonValue* value = item.Member("value");
    if (value == nullptr) return 0;
    const std::optional<std::uint64_t> number = WholeNumber(*value);
    if (!number || *number < 1 || *number > kPendingValueCount) return std::nullopt;
    return static_cast<std::size_t>(*number - 1);
}

}  // namespace

std::optional<PendingEntries> ReadSavedListing(std::string_view file) {
    const std::optional<std::string> document = DocumentOf(file);
    if (!document) return std::nullopt;
    const std::optional<JsonValue> root = ReadJson(*document);
    if (!root || root->kind != Kind::Object) return std::nullopt;
    const JsonValue* value = MemberOf(*root, "value", Kind::String);
    const JsonValue* entries = MemberOf(*root, "entries", Kind::Array);
    if (value == nullptr || value->text != kListedValuePath || entries == nullptr) return std::nullopt;

    PendingEntries listing;
    ListedValue first;
    if (!ReadValueFacts(*root, first) || !ReadSecondValue(*root, listing.second)) return std::nullopt;
    listing.exists = first.exists;
    listing.shape = first.shape;
    listing.closed = first.closed;
    const JsonValue* taken = root->Member("taken");
    if (!IsAbsentOrNull(taken)) {
        listing.taken = taken->kind == Kind::String ? FileTimeOfText(taken->text) : std::nullopt;
        if (!listing.taken) return std::nullopt;
    }
    // Room for every string first: the entries keep views of them.
    listing.strings.reserve(2 * entries->items.size());
    listing.secondStrings.reserve(2 * entries->items.size());
    std::size_t lastValue = 0;
    for (std::size_t i = 0; i < entries->items.size(); ++i) {
        const JsonValue& item = entries->items[i];
        const std::optional<std::size_t> holder = item.kind == Kind::Object ? EntryValue(item) : std::nullopt;
        // The first value's entries come first, and a value that holds one exists.
        if (!holder || *holder < lastValue || !listing.Value(*holder).exists) return std::nullopt;
        lastValue = *holder;
        PendingEntry entry;
        entry.value = *holder;
        std::vector<std::string>& strings = *holder == 0 ? listing.strings : listing.secondStrings;
        if (!ReadEntry(item, i + 1, listing.Value(*holder).closed, strings, entry)) return std::nullopt;
        listing.entries.push_back(std::move(entry));
    }
    return listing;
}

}  // namespace pendrix::cli
