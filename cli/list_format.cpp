#include "cli/list_format.h"

#include <cstdint>

#include "common/file_time_text.h"
#include "common/json_text.h"
#include "pending_list/list_wording.h"
#include "registry/registry_type_names.h"

namespace pendrix::cli {
namespace {

constexpr char kSourceMissingText[] = "the source does not exist now";
constexpr char kNotClosedText[] =
    "never carried out: the list does not end with two NULs, so the start-up processing ignores it";
constexpr char kAfterEmptyText[] =
    "never carried out: it lies after an empty first string, where the start-up processing stops";

// The length of the character starting at text[i] that would break or
// hide a line when printed (a C0 or C1 control, DEL, the line and paragraph
// separators), with its code point; 0 for any other character.
std::size_t ControlAt(std::string_view text, std::size_t i, std::uint32_t& codePoint) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    if (byte(i) < 0x20 || byte(i) == 0x7F) {
        codePoint = byte(i);
        return 1;
    }
    if (byte(i) == 0xC2 && i + 1 < text.size() && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x9F) {
        codePoint = byte(i + 1);
        return 2;
    }
    const bool separator = byte(i) == 0xE2 && i + 2 < text.size() && byte(i + 1) == 0x80 &&
                           (byte(i + 2) == 0xA8 || byte(i + 2) == 0xA9);
    if (separator) {
        codePoint = 0x2000u + byte(i + 2) - 0x80u;
        return 3;
    }
    return 0;
}

// A name in quotes, each control character shown as <U+XXXX>: one entry
// is always one line, and < > never occur in a Windows name.
void AppendQuoted(std::string& out, std::string_view path) {
    static const char kHex[] = "0123456789ABCDEF";
    out += '"';
    for (std::size_t i = 0; i < path.size();) {
        std::uint32_t codePoint = 0;
        const std::size_t length = ControlAt(path, i, codePoint);
        if (length == 0) {
            out += path[i++];
            continue;
        }
        out += "<U+";
        for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(codePoint >> shift) & 0xF];
        out += '>';
        i += length;
    }
    out += '"';
}

}  // namespace

void AppendJsonEntryHead(std::string& out, const PendingEntry& entry) {
    out.append("{\"number\": ").append(std::to_string(entry.number));
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
    if (IsAnotherForm(list.shape)) out.append("Warning: ").append(AnotherFormLine(list.shape)).append(".\r\n");
    if (!list.closed && !list.entries.empty())
        out += "Warning: the list does not end with two NULs: the start-up processing carries out none of it.\r\n";
    if (list.entries.empty()) return out + "Nothing is pending: PendingFileRenameOperations holds no entry.\r\n";
    for (const PendingEntry& entry : list.entries) {
        out += std::to_string(entry.number);
        out += ' ';
        out += DescribeEntry(entry);
        out += "\r\n";
        if (entry.sourceState == Presence::Missing) out.append("  warning: ").append(kSourceMissingText).append("\r\n");
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
    out += ", \"type\": ";
    if (list.exists)
        AppendJsonString(out, RegistryTypeText(list.shape.type));
    else
        out += "null";
    out.append(", \"bytes\": ").append(std::to_string(list.exists ? list.shape.bytes : 0));
    out.append(", \"changeable\": ").append(JsonBool(!list.exists || !IsAnotherForm(list.shape)));
    out.append(", \"closedProperly\": ").append(JsonBool(list.closed));
    out += ", \"entries\": [";
    const char* separator = "\r\n";
    for (const PendingEntry& entry : list.entries) {
        out += separator;
        AppendJsonEntryHead(out, entry);
        out += ", \"first\": ";
        AppendJsonString(out, entry.first);
        out += ", \"second\": ";
        AppendJsonString(out, entry.second);
        out += ", \"sourceExists\": ";
        out += entry.sourceState == Presence::Unknown ? "null" : JsonBool(entry.sourceState == Presence::Exists);
        if (entry.sourceStamp) {
            out.append(", \"sourceSize\": ").append(std::to_string(entry.sourceStamp->size));
            out.append(", \"sourceLastWrite\": \"").append(FileTimeText(entry.sourceStamp->lastWrite)).append("\"");
        } else {
            out += ", \"sourceSize\": null, \"sourceLastWrite\": null";
        }
        out.append(", \"reached\": ").append(JsonBool(entry.unreached == Unreached::No));
        out += ", \"warnings\": [";
        const char* comma = "";
        if (entry.sourceState == Presence::Missing) {
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
