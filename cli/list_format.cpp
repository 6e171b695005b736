#include "cli/list_format.h"

#include "cli/file_time_text.h"
#include "cli/json_text.h"

namespace pendrix::cli {
namespace {

constexpr char kSourceMissingText[] = "the source does not exist now";
constexpr char kNotClosedText[] =
    "never carried out: the list does not end with two NULs, so the start-up processing ignores it";
constexpr char kAfterEmptyText[] =
    "never carried out: it lies after an empty first string, where the start-up processing stops";

void AppendQuoted(std::string& out, std::string_view path) { out.append("\"").append(path).append("\""); }

const char* JsonBool(bool value) { return value ? "true" : "false"; }

}  // namespace

const char* KindName(EntryKind kind) {
    switch (kind) {
    case EntryKind::Replace: return "replace";
    case EntryKind::Rename: return "rename";
    case EntryKind::Delete: break;
    }
    return "delete";
}

std::string DescribeEntry(const PendingEntry& entry) {
    std::string line = KindName(entry.kind);
    line += ' ';
    AppendQuoted(line, entry.source);
    if (entry.kind != EntryKind::Delete) {
        line += " -> ";
        AppendQuoted(line, entry.destination);
    }
    return line;
}

std::string FormatListText(const PendingEntries& list) {
    std::string out;
    if (!list.exists) return "Nothing is pending: PendingFileRenameOperations does not exist.\r\n";
    if (!list.closed && !list.entries.empty())
        out += "Warning: the list does not end with two NULs: the start-up processing carries out none of it.\r\n";
    if (list.entries.empty()) return out + "Nothing is pending: PendingFileRenameOperations holds no entry.\r\n";
    for (const PendingEntry& entry : list.entries) {
        out += std::to_string(entry.number);
        out += ' ';
        out += DescribeEntry(entry);
        out += "\r\n";
        if (entry.sourceState == SourceState::Missing) out.append("  warning: ").append(kSourceMissingText).append("\r\n");
        if (entry.unreached == Unreached::NotClosed) out.append("  warning: ").append(kNotClosedText).append("\r\n");
        if (entry.unreached == Unreached::AfterEmptyString)
            out.append("  warning: ").append(kAfterEmptyText).append("\r\n");
    }
    return out;
}

std::string FormatListJson(const PendingEntries& list) {
    std::string out;
    out.reserve(64 + list.entries.size() * 256);
    out += "{\"value\": ";
    AppendJsonString(out, kListedValuePath);
    out.append(", \"exists\": ").append(JsonBool(list.exists));
    out.append(", \"closedProperly\": ").append(JsonBool(list.closed));
    out += ", \"entries\": [";
    const char* separator = "\r\n";
    for (const PendingEntry& entry : list.entries) {
        out.append(separator).append("{\"number\": ").append(std::to_string(entry.number));
        out.append(", \"kind\": \"").append(KindName(entry.kind)).append("\", \"source\": ");
        AppendJsonString(out, entry.source);
        out += ", \"destination\": ";
        if (entry.kind == EntryKind::Delete)
            out += "null";
        else
            AppendJsonString(out, entry.destination);
        out += ", \"first\": ";
        AppendJsonString(out, entry.first);
        out += ", \"second\": ";
        AppendJsonString(out, entry.second);
        out += ", \"sourceExists\": ";
        out += entry.sourceState == SourceState::Unknown ? "null" : JsonBool(entry.sourceState == SourceState::Exists);
        if (entry.sourceStamp) {
            out.append(", \"sourceSize\": ").append(std::to_string(entry.sourceStamp->size));
            out.append(", \"sourceLastWrite\": \"").append(FileTimeText(entry.sourceStamp->lastWrite)).append("\"");
        } else {
            out += ", \"sourceSize\": null, \"sourceLastWrite\": null";
        }
        out.append(", \"reached\": ").append(JsonBool(entry.unreached == Unreached::No));
        out += ", \"warnings\": [";
        const char* comma = "";
        if (entry.sourceState == SourceState::Missing) {
            out.append(comma).append("\"source-missing\"");
            comma = ", ";
        }
        if (entry.unreached == Unreached::AfterEmptyString) out.append(comma).append("\"after-empty-string\"");
        if (entry.unreached == Unreached::NotClosed) out.append(comma).append("\"not-closed\"");
        out += "]}";
        separator = ",\r\n";
    }
    out += list.entries.empty() ? "]}\r\n" : "\r\n]}\r\n";
    return out;
}

}  // namespace pendrix::cli
