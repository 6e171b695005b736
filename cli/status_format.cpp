#include "cli/status_format.h"

#include <iterator>

#include "cli/list_format.h"
#include "common/json_writer.h"
#include "pending_list/list_wording.h"
#include "pending_list/pending_entries.h"

namespace pendrix::cli {
namespace {

struct EffectNames {
    const char* text;
    const char* json;
};
// By EntryClass.
constexpr EffectNames kEffectNames[] = {{"takes effect", "effective"}, {"no effect", "no-effect"}, {"never reached", "unreached"}};
// By EntryReason.
constexpr const char* kReasonJson[] = {"source-exists",        "source-unknown", "source-from-earlier-entry",
                                       "source-missing",       "source-taken-by-earlier-entry",
                                       "after-empty-string",   "not-closed",
                                       "destination-exists",   "destination-folder-missing",
                                       "destination-unknown",  "earlier-entry-unknown"};
static_assert(std::size(kEffectNames) == static_cast<std::size_t>(EntryClass::Unreached) + 1, "a name for every effect");
static_assert(std::size(kReasonJson) == static_cast<std::size_t>(EntryReason::EarlierUnknown) + 1,
              "a name for every reason");

// The entry's strings described as list describes them.
PendingEntry Described(const ClassifiedEntry& classified) {
    PendingEntry entry;
    entry.number = classified.number;
    entry.value = classified.value;
    entry.first = classified.pair.first;
    entry.second = classified.pair.second;
    DescribePair(entry);
    return entry;
}

// "entry 2", or "entry 2 of PendingFileRenameOperations2" in another value.
std::string EntryReference(const std::vector<PendingValue>& values, const ClassifiedEntry& from,
                           const ClassifiedEntry& to) {
    std::string text = "entry " + std::to_string(to.number);
    if (to.value != from.value) text += " of " + values[to.value].name;
    return text;
}

// The column before each signal's line: whether Microsoft documents it.
std::string DocumentedColumn(const RestartSignalRow& row) { return row.documented ? "documented  " : "community   "; }

// How a signal could not be read: "error 5", or the client's failure.
std::string FailureText(WinStatus status, const std::string& failure) {
    return failure.empty() ? "error " + std::to_string(status) : failure;
}

void WriteSignal(JsonObject& out, const RestartSignal& signal) {
    out.String("name", signal.row->name);
    out.Bool("documented", signal.row->documented);
    out.String("key", SignalPlace(*signal.row));
    out.String("item", signal.row->item);
    out.String("state", signal.state == SignalState::Present  ? "present"
                        : signal.state == SignalState::Absent ? "absent"
                                                              : "unreadable");
    out.Number("status", signal.status);
    if (signal.state == SignalState::Unreadable)
        out.String("unreadableKey", signal.unreadableKey);
    else
        out.Null("unreadableKey");
    out.StringOrNull("failure", signal.failure);
}

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string ClassifiedEntryText(const std::vector<PendingValue>& values, const ClassifiedEntry& entry) {
    std::string text = std::to_string(entry.number) + " " + DescribeEntry(Described(entry));
    if (values.size() > 1) text = values[entry.value].name + " " + text;
    return text;
}

std::string ReasonText(const std::vector<PendingValue>& values, const std::vector<ClassifiedEntry>& entries,
                       const ClassifiedEntry& entry) {
    const bool deletion = entry.operation.destination.empty();
    const char* subject = deletion ? "the file" : "its source";
    switch (entry.reason) {
    case EntryReason::SourceThere: return std::string(subject) + (deletion ? " exists and is deleted" : " exists");
    case EntryReason::SourceUnknown: return std::string("whether ") + subject + " exists cannot be told here";
    case EntryReason::SourceFromEarlier:
        return entry.earlier == kNoEntry ? std::string("an earlier entry puts ") + subject + " there"
                                         : EntryReference(values, entry, entries[entry.earlier]) + " puts " + subject +
                                               " there";
    case EntryReason::SourceMissing: return std::string(subject) + " does not exist";
    case EntryReason::SourceTakenEarlier:
        return EntryReference(values, entry, entries[entry.earlier]) + " deletes or moves " + subject + " away first";
    case EntryReason::AfterEmptyString: return "it lies after an empty first string, where the start-up processing stops";
    case EntryReason::NotClosed:
        return "the value does not end with two NULs, so the start-up processing ignores it";
    case EntryReason::DestinationExists:
        return (entry.earlier == kNoEntry ? std::string("its destination exists")
                                          : EntryReference(values, entry, entries[entry.earlier]) +
                                                " puts a file at its destination") +
               " and it does not replace (no !), so the rename fails";
    case EntryReason::FolderMissing:
        return (entry.earlier == kNoEntry ? std::string("its destination's folder does not exist")
                                          : EntryReference(values, entry, entries[entry.earlier]) +
                                                " deletes or moves its destination's folder away first") +
               ", so the rename fails";
    case EntryReason::DestinationUnknown:
        return "whether its destination or its destination's folder exists cannot be told here, so it may act";
    case EntryReason::EarlierUnknown:
        return "whether " + EntryReference(values, entry, entries[entry.earlier]) +
               " takes effect cannot be told here, so it may act";
    }
    return std::string();
}

std::string FormatStatusText(const MachineStatus& status) {
    std::string out;
    std::size_t effective = 0, noEffect = 0, unreached = 0;
    for (const PendingValue& value : status.values) {
        if (!value.read.readable)
            out += value.name + ": could not be read (error " + std::to_string(value.read.status) + ")\r\n";
        else if (value.read.exists && IsAnotherForm(value.read.shape))
            out += "Warning: " + value.name + " is of another form: " + AnotherFormLine(value.read.shape) + ".\r\n";
    }
    for (const ClassifiedEntry& entry : status.entries) {
        out += ClassifiedEntryText(status.values, entry) + ": " +
               kEffectNames[static_cast<std::size_t>(entry.effect)].text + " (" +
               ReasonText(status.values, status.entries, entry) + ")\r\n";
        (entry.effect == EntryClass::Effective ? effective : entry.effect == EntryClass::NoEffect ? noEffect : unreached)++;
    }
    // Said only when both values were read: otherwise it is not known.
    bool allRead = true;
    for (const PendingValue& value : status.values) allRead = allRead && value.read.readable;
    if (status.entries.empty() && allRead) out += "No file operation is pending.\r\n";
    std::vector<std::string> causes;
    if (effective != 0) causes.push_back(Plural(effective, "pending file operation takes", "pending file operations take") + " effect");
    for (const RestartSignal& signal : status.signals) {
        if (signal.state == SignalState::Present) {
            out += DocumentedColumn(*signal.row) + signal.row->name + ": a restart is pending\r\n";
            causes.push_back(signal.row->name);
        } else if (signal.state == SignalState::Unreadable) {
            out += DocumentedColumn(*signal.row) + signal.row->name + ": could not be read (" + signal.unreadableKey +
                   ", " + FailureText(signal.status, signal.failure) + "), so it is not known\r\n";
        }
    }
    switch (status.verdict) {
    case RestartVerdict::Needed: {
        out += "A restart is needed: ";
        for (std::size_t i = 0; i < causes.size(); ++i) out += (i == 0 ? "" : "; ") + causes[i];
        out += ".";
        break;
    }
    case RestartVerdict::NotNeeded:
        out += "No restart is needed";
        if (noEffect + unreached != 0)
            out += ": " +
                   Plural(noEffect + unreached, "pending file operation can have no effect or is never reached",
                          "pending file operations can have no effect or are never reached") +
                   " (prune withdraws those with no effect)";
        out += ".";
        break;
    case RestartVerdict::CannotTell:
        out += "Cannot tell whether a restart is needed: " + status.unreadable + " could not be read (" +
               FailureText(status.status, status.failure) + "), and nothing else needs a restart.";
        break;
    }
    return out + "\r\n";
}

void WriteStatusJson(JsonObject& out, const MachineStatus& status) {
    if (status.verdict == RestartVerdict::CannotTell) {
        out.Null("restartNeeded");
        out.String("unreadable", status.unreadable);
    } else {
        out.Bool("restartNeeded", status.verdict == RestartVerdict::Needed);
        out.Null("unreadable");
    }
    {
        JsonArray values = out.Array("values");
        for (const PendingValue& value : status.values) {
            const PendingListRead& read = value.read;
            JsonObject described = values.Object();
            described.String("name", value.name);
            described.Bool("exists", read.exists);
            described.Bool("readable", read.readable);
            described.Number("status", read.readable ? 0 : read.status);
            // Not known for a value that could not be read.
            if (read.readable)
                described.Bool("changeable", !read.exists || !IsAnotherForm(read.shape));
            else
                described.Null("changeable");
        }
    }
    {
        JsonArray causes = out.Array("causes");
        bool effective = false;
        for (const ClassifiedEntry& entry : status.entries)
            effective = effective || entry.effect == EntryClass::Effective;
        if (effective) causes.String("pending file operations");
        for (const RestartSignal& signal : status.signals)
            if (signal.state == SignalState::Present) causes.String(signal.row->name);
    }
    {
        JsonArray entries = out.Array("entries", JsonItems::Lines);
        for (const ClassifiedEntry& entry : status.entries) {
            JsonObject described = entries.Object();
            WriteJsonEntryHead(described, Described(entry));
            described.String("effect", kEffectNames[static_cast<std::size_t>(entry.effect)].json);
            described.String("reason", kReasonJson[static_cast<std::size_t>(entry.reason)]);
            described.String("reasonText", ReasonText(status.values, status.entries, entry));
        }
    }
    JsonArray signals = out.Array("signals", JsonItems::Lines);
    for (const RestartSignal& signal : status.signals) {
        JsonObject described = signals.Object();
        WriteSignal(described, signal);
    }
}

std::string FormatPruneText(const PruneResult& result) {
    std::string out;
    const bool dry = result.outcome == PruneOutcome::WouldWithdraw;
    if (result.outcome == PruneOutcome::NothingToWithdraw)
        return "Nothing to withdraw: no pending file operation can be shown to have no effect.\r\n";
    if (!result.backupPath.empty())
        out += "Saved the list to \"" + result.backupPath + "\" (reg import puts it back).\r\n";
    const bool partly = result.PartlyWithdrawn();
    for (const ClassifiedEntry& entry : result.withdrawn) {
        if (partly && !result.WithdrawnFrom(entry.value)) continue;
        out += std::string(dry ? "Would withdraw entry " : "Withdrew entry ") +
               ClassifiedEntryText(result.values, entry) + " (" + ReasonText(result.values, result.entries, entry) +
               ").\r\n";
    }
    if (partly) {
        // Said value by value: what is gone from one stays in the other.
        for (std::size_t v = 0; v < result.values.size(); ++v)
            out += result.values[v].name +
                   (result.WithdrawnFrom(v) ? ": its entries that can have no effect were withdrawn.\r\n"
                                            : ": nothing was withdrawn from it.\r\n");
        return out;
    }
    const std::size_t stay = result.entries.size() - result.withdrawn.size();
    out += (dry ? "Would withdraw " : "Withdrew ") +
           Plural(result.withdrawn.size(), "entry that can have no effect", "entries that can have no effect") + "; " +
           Plural(stay, "entry stays", "entries stay") + (dry ? ". Nothing was changed." : ".") + "\r\n";
    return out;
}

void WritePruneJson(JsonObject& out, const PruneResult& result) {
    out.Bool("dryRun", result.dryRun);
    out.StringOrNull("backup", result.backupPath);
    {
        JsonArray withdrawn = out.Array("withdrawn", JsonItems::Lines);
        for (const ClassifiedEntry& entry : result.withdrawn) {
            if (result.PartlyWithdrawn() && !result.WithdrawnFrom(entry.value)) continue;
            JsonObject described = withdrawn.Object();
            WriteJsonEntryHead(described, Described(entry));
            described.String("reason", kReasonJson[static_cast<std::size_t>(entry.reason)]);
        }
    }
    out.Number("kept", result.entries.size() - result.withdrawn.size());
    // Whether each value's entries were withdrawn: a failure part way leaves one done.
    JsonArray values = out.Array("values");
    for (std::size_t v = 0; v < result.values.size(); ++v) {
        JsonObject described = values.Object();
        described.String("name", result.values[v].name);
        described.Bool("withdrawn", result.WithdrawnFrom(v));
    }
}

}  // namespace pendrix::cli
