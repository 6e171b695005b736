#include "cli/list_format.h"

#include <cstdint>

#include "common/file_time_text.h"
#include "common/json_text.h"
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

void AppendJsonEntryHead(std::string& out, const PendingEntry& entry) {
    out.append("{\"number\": ").append(std::to_string(entry.number));
    out.append(", \"value\": ").append(std::to_string(entry.value + 1));
    out.append(", \"kind\": \"").append(KindName(entry.kind)).append("\", \"source\": ");
    AppendJsonString(out, entry.source);
    out += ", \"destination\": ";
    if (entry.kind == EntryKind::Delete)
        out += "null";
    else
        AppendJsonString(out, entry.destination);
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

// "type", "bytes", "changeable" and "closedProperly" of a value.
void AppendValueFacts(std::string& out, const ListedValue& value) {
    out.append(", \"exists\": ").append(JsonBool(value.exists));
    out += ", \"type\": ";
    if (value.exists)
        AppendJsonString(out, RegistryTypeText(value.shape.type));
    else
        out += "null";
    out.append(", \"bytes\": ").append(std::to_string(value.exists ? value.shape.bytes : 0));
    out.append(", \"changeable\": ").append(JsonBool(!value.exists || !IsAnotherForm(value.shape)));
    out.append(", \"closedProperly\": ").append(JsonBool(value.closed));
}

void AppendValues(std::string& out, const PendingEntries& list) {
    out += ", \"values\": [";
    for (std::size_t index = 0; index < kPendingValueCount; ++index) {
        const ListedValue value = list.Value(index);
        bool hasEntries = false;
        for (const PendingEntry& entry : list.entries) hasEntries = hasEntries || entry.value == index;
        out.append(index == 0 ? "" : ", ").append("{\"value\": ").append(std::to_string(index + 1));
        out += ", \"name\": ";
        AppendJsonString(out, index == 0 ? kListedValuePath : kListedValue2Path);
        AppendValueFacts(out, value);
        out += ", \"warnings\": [";
        const char* comma = "";
        if (value.exists && IsAnotherForm(value.shape)) {
            out.append("\"another-form\"");
            comma = ", ";
        }
        if (value.exists && !value.closed && hasEntries) out.append(comma).append("\"not-closed\"");
        out += "]}";
    }
    out += "]";
}

}  // namespace

std::string FormatListJson(const PendingEntries& list) {
    std::string out;
    out.reserve(256 + list.entries.size() * 256);
    out += "{\"value\": ";
    AppendJsonString(out, kListedValuePath);
    AppendValueFacts(out, list.Value(0));
    out += ", \"taken\": ";
    if (list.taken)
        out.append("\"").append(FileTimeText(*list.taken)).append("\"");
    else
        out += "null";
    AppendValues(out, list);
    out += ", \"entries\": [";
    const char* separator = "\r\n";
    for (const PendingEntry& entry : list.entries) {
        out += separator;
        AppendJsonEntryHead(out, entry);
        out += ", \"first\": ";
        AppendJsonString(out, entry.first);
        out += ", \"second\": ";
        AppendJsonString(out, entry.second);
        out += ", \"sourceFlag\": ";
        if (entry.sourceFlag.empty())
            out += "null";
        else
            AppendJsonString(out, entry.sourceFlag);
        out += ", \"sourceExists\": ";
        out += entry.sourceState == Presence::Unknown ? "null" : JsonBool(entry.sourceState == Presence::Exists);
        if (entry.sourceStamp) {
            out.append(", \"sourceSize\": ").append(std::to_string(entry.sourceStamp->size));
            out.append(", \"sourceLastWrite\": \"").append(FileTimeText(entry.sourceStamp->lastWrite)).append("\"");
        } else {
            out += ", \"sourceSize\": null, \"sourceLastWrite\": null";
        }
        out += ", \"destinationExists\": ";
        out += entry.kind != EntryKind::Rename || entry.destinationState == Presence::Unknown
                   ? "null"
                   : JsonBool(entry.destinationState == Presence::Exists);
        out.append(", \"reached\": ").append(JsonBool(entry.unreached == Unreached::No));
        out += ", \"warnings\": [";
        const char* comma = "";
        const auto warn = [&](const char* code) {
            out.append(comma).append("\"").append(code).append("\"");
            comma = ", ";
        };
        if (entry.sourceState == Presence::Missing) warn("source-missing");
        if (DestinationExistsUnreplaced(entry)) warn("destination-exists");
        if (entry.unknownMark) warn("unknown-mark");
        if (entry.unreached == Unreached::AfterEmptyString) warn("after-empty-string");
        if (entry.unreached == Unreached::NotClosed) warn("not-closed");
        out += "]}";
        separator = ",\r\n";
    }
    out += list.entries.empty() ? "]}\r\n" : "\r\n]}\r\n";
    return out;
}

}  // namespace pendrix::cli
