#include "cli/list_format.h"

#include <cstdint>

#include "common/file_time_text.h"
#include "common/json_writer.h"
#include "common/quoted.h"
#include "pending_list/list_wording.h"
#include "registry/registry_type_names.h"

namespace pendrix::cli {
namespace {

constexpr char kSourceMissingText[] = "the source does not exist now";
constexpr char kDestinationExistsText[] =
    "the destination exists and the entry does not replace it: the rename fails at the restart";
constexpr char kUnknownMarkText[] =
    "a mark before \\??\\ that pendrix-cli does not know; the names are shown as stored";
constexpr char kNotClosedText[] =
    "never carried out: the list does not end with two NULs, so the start-up processing ignores it";
constexpr char kAfterEmptyText[] =
    "never carried out: it lies after an empty first string, where the start-up processing stops";

}  // namespace

void WriteJsonEntryHead(JsonObject& out, const PendingEntry& entry) {
    out.Number("number", entry.number);
    out.Number("value", entry.value + 1);
    out.String("kind", KindName(entry.kind));
    out.String("source", entry.source);
    if (entry.kind == EntryKind::Delete)
        out.Null("destination");
    else
        out.String("destination", entry.destination);
}

std::string DescribeEntry(const PendingEntry& entry) {
    std::string line = KindName(entry.kind);
    line += ' ';
    line += Quoted(entry.source);
    if (entry.kind != EntryKind::Delete) {
        line += " -> ";
        line += Quoted(entry.destination);
    }
    return line;
}

namespace {

bool DestinationExistsUnreplaced(const PendingEntry& entry) {
    return entry.kind == EntryKind::Rename && entry.destinationState == Presence::Exists;
}

// The warnings about a whole value, before its entries.
void AppendValueWarnings(std::string& out, const PendingEntries& list, std::size_t index, bool hasEntries) {
    const ListedValue value = list.Value(index);
    if (!value.exists) return;
    if (IsAnotherForm(value.shape))
        out.append("Warning: ").append(AnotherFormLine(value.shape, kPendingValueNames[index])).append(".\r\n");
    if (!value.closed && hasEntries) {
        out.append(index == 0 ? "Warning: the list" : "Warning: PendingFileRenameOperations2");
        out += " does not end with two NULs: the start-up processing carries out none of it.\r\n";
    }
}

}  // namespace

std::string FormatListText(const PendingEntries& list) {
    std::string out;
    if (!list.exists && !list.second.exists) return "Nothing is pending: PendingFileRenameOperations does not exist.\r\n";
    for (std::size_t index = 0; index < kPendingValueCount; ++index) {
        bool hasEntries = false;
        for (const PendingEntry& entry : list.entries) hasEntries = hasEntries || entry.value == index;
        AppendValueWarnings(out, list, index, hasEntries);
    }
    if (list.entries.empty()) {
        if (!list.second.exists) return out + "Nothing is pending: PendingFileRenameOperations holds no entry.\r\n";
        return out + "Nothing is pending: PendingFileRenameOperations and PendingFileRenameOperations2 hold no entry.\r\n";
    }
    for (const PendingEntry& entry : list.entries) {
        out.append(std::to_string(entry.number)).append(" v").append(std::to_string(entry.value + 1)).append(" ");
        out += DescribeEntry(entry);
        if (!entry.sourceFlag.empty()) out.append(" (source flag ").append(entry.sourceFlag).append(")");
        out += "\r\n";
        const auto warn = [&](const char* text) { out.append("  warning: ").append(text).append("\r\n"); };
        if (entry.sourceState == Presence::Missing) warn(kSourceMissingText);
        if (DestinationExistsUnreplaced(entry)) warn(kDestinationExistsText);
        if (entry.unknownMark) warn(kUnknownMarkText);
        if (entry.unreached == Unreached::NotClosed) warn(kNotClosedText);
        if (entry.unreached == Unreached::AfterEmptyString) warn(kAfterEmptyText);
    }
    return out;
}

namespace {

// "exists", "type", "bytes", "changeable" and "closedProperly" of a value.
void WriteValueFacts(JsonObject& out, const ListedValue& value) {
    out.Bool("exists", value.exists);
    if (value.exists)
        out.String("type", RegistryTypeText(value.shape.type));
    else
        out.Null("type");
    out.Number("bytes", value.exists ? value.shape.bytes : 0);
    out.Bool("changeable", !value.exists || !IsAnotherForm(value.shape));
    out.Bool("closedProperly", value.closed);
}

void WriteValues(JsonObject& out, const PendingEntries& list) {
    JsonArray values = out.Array("values");
    for (std::size_t index = 0; index < kPendingValueCount; ++index) {
        const ListedValue value = list.Value(index);
        bool hasEntries = false;
        for (const PendingEntry& entry : list.entries) hasEntries = hasEntries || entry.value == index;
        JsonObject described = values.Object();
        described.Number("value", index + 1);
        described.String("name", index == 0 ? kListedValuePath : kListedValue2Path);
        WriteValueFacts(described, value);
        JsonArray warnings = described.Array("warnings");
        if (value.exists && IsAnotherForm(value.shape)) warnings.String("another-form");
        if (value.exists && !value.closed && hasEntries) warnings.String("not-closed");
    }
}

void WriteEntry(JsonObject& out, const PendingEntry& entry) {
    WriteJsonEntryHead(out, entry);
    out.String("first", entry.first);
    out.String("second", entry.second);
    out.StringOrNull("sourceFlag", entry.sourceFlag);
    if (entry.sourceState == Presence::Unknown)
        out.Null("sourceExists");
    else
        out.Bool("sourceExists", entry.sourceState == Presence::Exists);
    if (entry.sourceStamp) {
        out.Number("sourceSize", entry.sourceStamp->size);
        out.String("sourceLastWrite", FileTimeText(entry.sourceStamp->lastWrite));
    } else {
        out.Null("sourceSize");
        out.Null("sourceLastWrite");
    }
    if (entry.kind != EntryKind::Rename || entry.destinationState == Presence::Unknown)
        out.Null("destinationExists");
    else
        out.Bool("destinationExists", entry.destinationState == Presence::Exists);
    out.Bool("reached", entry.unreached == Unreached::No);
    JsonArray warnings = out.Array("warnings");
    if (entry.sourceState == Presence::Missing) warnings.String("source-missing");
    if (DestinationExistsUnreplaced(entry)) warnings.String("destination-exists");
    if (entry.unknownMark) warnings.String("unknown-mark");
    if (entry.unreached == Unreached::AfterEmptyString) warnings.String("after-empty-string");
    if (entry.unreached == Unreached::NotClosed) warnings.String("not-closed");
}

}  // namespace

void WriteListJson(JsonObject& out, const PendingEntries& list) {
    out.String("value", kListedValuePath);
    WriteValueFacts(out, list.Value(0));
    if (list.taken)
        out.String("taken", FileTimeText(*list.taken));
    else
        out.Null("taken");
    WriteValues(out, list);
    JsonArray entries = out.Array("entries", JsonItems::Lines);
    for (const PendingEntry& entry : list.entries) {
        JsonObject described = entries.Object();
        WriteEntry(described, entry);
    }
}

std::string FormatListJson(const PendingEntries& list) {
    return JsonDocument([&](JsonObject& out) { WriteListJson(out, list); });
}

}  // namespace pendrix::cli
