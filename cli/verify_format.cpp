#include "cli/verify_format.h"

#include <array>

#include "cli/json_text.h"
#include "cli/list_format.h"

namespace pendrix::cli {
namespace {

struct OutcomeNames {
    const char* text;     // in a line
    const char* json;     // as the value of "outcome"
    const char* counted;  // the member counting it
};

// By Outcome.
constexpr OutcomeNames kOutcomeNames[] = {
    {"carried out", "carried-out", "carriedOut"},
    {"not carried out", "not-carried-out", "notCarriedOut"},
    {"still pending", "still-pending", "stillPending"},
    {"never reached", "never-reached", "neverReached"},
    {"not checked", "not-checked", "notChecked"},
};
constexpr std::size_t kOutcomes = std::size(kOutcomeNames);
static_assert(kOutcomes == static_cast<std::size_t>(Outcome::NotChecked) + 1, "a name for every outcome");

const OutcomeNames& NamesOf(Outcome outcome) { return kOutcomeNames[static_cast<std::size_t>(outcome)]; }

std::array<std::size_t, kOutcomes> Counts(const std::vector<Verdict>& verdicts) {
    std::array<std::size_t, kOutcomes> counts{};
    for (const Verdict& verdict : verdicts) ++counts[static_cast<std::size_t>(verdict.outcome)];
    return counts;
}

}  // namespace

std::string FormatVerifyText(const PendingEntries& listed, const std::vector<Verdict>& verdicts) {
    std::string out;
    for (std::size_t i = 0; i < verdicts.size(); ++i) {
        out.append(std::to_string(listed.entries[i].number)).append(" ");
        out.append(NamesOf(verdicts[i].outcome).text).append(": ").append(DescribeEntry(listed.entries[i]));
        if (!verdicts[i].reason.empty()) out.append(" (").append(ReasonText(verdicts[i])).append(")");
        out += "\r\n";
    }
    const std::array<std::size_t, kOutcomes> counts = Counts(verdicts);
    out += "Summary:";
    const char* separator = " ";
    for (std::size_t k = 0; k < kOutcomes; ++k) {
        if (static_cast<Outcome>(k) == Outcome::NotChecked && counts[k] == 0) continue;
        out.append(separator).append(std::to_string(counts[k])).append(" ").append(kOutcomeNames[k].text);
        separator = ", ";
    }
    return out + ".\r\n";
}

std::string FormatVerifyJson(const PendingEntries& listed, const std::vector<Verdict>& verdicts) {
    std::string out = "{";
    const std::array<std::size_t, kOutcomes> counts = Counts(verdicts);
    for (std::size_t k = 0; k < kOutcomes; ++k)
        out.append("\"").append(kOutcomeNames[k].counted).append("\": ").append(std::to_string(counts[k])).append(", ");
    out += "\"entries\": [";
    const char* separator = "\r\n";
    for (std::size_t i = 0; i < verdicts.size(); ++i) {
        const PendingEntry& entry = listed.entries[i];
        out += separator;
        AppendJsonEntryHead(out, entry);
        out.append(", \"outcome\": \"").append(NamesOf(verdicts[i].outcome).json).append("\", \"reason\": ");
        if (verdicts[i].reason.empty())
            out += "null";
        else
            AppendJsonString(out, ReasonText(verdicts[i]));
        out += ", \"loggedStatus\": ";
        if (verdicts[i].loggedStatus)
            out.append("\"").append(StatusHex(*verdicts[i].loggedStatus)).append("\"");
        else
            out += "null";
        out += "}";
        separator = ",\r\n";
    }
    out += verdicts.empty() ? "]}\r\n" : "\r\n]}\r\n";
    return out;
}

}  // namespace pendrix::cli
