#include "cli/verify_format.h"

#include <array>

#include "cli/list_format.h"

namespace pendrix::cli {
namespace {

struct OutcomeNames {
    const char* text;     // in a line
    const char* json;     // as the value of "outcome"
    const char* counted;  // the member counting it
};

// By VerifyResult.
constexpr OutcomeNames kOutcomeNames[] = {
    {"carried out", "carried-out", "carriedOut"},
    {"not carried out", "not-carried-out", "notCarriedOut"},
    {"still pending", "still-pending", "stillPending"},
    {"never reached", "never-reached", "neverReached"},
    {"not checked", "not-checked", "notChecked"},
};
constexpr std::size_t kOutcomes = std::size(kOutcomeNames);
static_assert(kOutcomes == static_cast<std::size_t>(VerifyResult::NotChecked) + 1, "a name for every outcome");

const OutcomeNames& NamesOf(VerifyResult result) { return kOutcomeNames[static_cast<std::size_t>(result)]; }

std::array<std::size_t, kOutcomes> Counts(const std::vector<Verdict>& verdicts) {
    std::array<std::size_t, kOutcomes> counts{};
    for (const Verdict& verdict : verdicts) ++counts[static_cast<std::size_t>(verdict.result)];
    return counts;
}

}  // namespace

std::string FormatVerifyText(const PendingEntries& listed, const std::vector<Verdict>& verdicts) {
    std::string out;
    for (std::size_t i = 0; i < verdicts.size(); ++i) {
        out.append(std::to_string(listed.entries[i].number)).append(" ");
        out.append(NamesOf(verdicts[i].result).text).append(": ").append(DescribeEntry(listed.entries[i]));
        if (!verdicts[i].reason.empty()) out.append(" (").append(ReasonText(verdicts[i])).append(")");
        out += "\r\n";
    }
    const std::array<std::size_t, kOutcomes> counts = Counts(verdicts);
    out += "Summary:";
    const char* separator = " ";
    for (std::size_t k = 0; k < kOutcomes; ++k) {
        if (static_cast<VerifyResult>(k) == VerifyResult::NotChecked && counts[k] == 0) continue;
        out.append(separator).append(std::to_string(counts[k])).append(" ").append(kOutcomeNames[k].text);
        separator = ", ";
    }
    return out + ".\r\n";
}

void WriteVerifyJson(JsonObject& out, const PendingEntries& listed, const std::vector<Verdict>& verdicts) {
    const std::array<std::size_t, kOutcomes> counts = Counts(verdicts);
    for (std::size_t k = 0; k < kOutcomes; ++k) out.Number(kOutcomeNames[k].counted, counts[k]);
    JsonArray entries = out.Array("entries", JsonItems::Lines);
    for (std::size_t i = 0; i < verdicts.size(); ++i) {
        JsonObject described = entries.Object();
        WriteJsonEntryHead(described, listed.entries[i]);
        described.String("outcome", NamesOf(verdicts[i].result).json);
        if (verdicts[i].reason.empty())
            described.Null("reason");
        else
            described.String("reason", ReasonText(verdicts[i]));
        if (verdicts[i].loggedStatus)
            described.String("loggedStatus", StatusHex(*verdicts[i].loggedStatus));
        else
            described.Null("loggedStatus");
    }
}

}  // namespace pendrix::cli
