#include "cli/verification.h"

#include <set>
#include <string>
#include <utility>

#include "scheduler/pending_rename_list.h"
#include "scheduler/stored_names.h"

namespace pendrix::cli {
namespace {

constexpr char kStillThere[] = "it still exists";
constexpr char kSourceStillThere[] = "the source still exists";
constexpr char kNoDestination[] = "the destination does not exist";
constexpr char kSourceWasMissing[] = "the source did not exist when it was listed";
constexpr char kOtherFile[] =
    "the destination is not the source's file: its size or last-write time differs from the source's when listed";
constexpr char kCannotTell[] = "the file system cannot say whether its files exist";
constexpr char kLogged[] = "the start-up processing logged";

}  // namespace

Verdict Classify(const PendingEntry& listed, const EntryNow& now) {
    if (listed.unreached != Unreached::No) return {Outcome::NeverReached};
    if (now.pending) return {Outcome::StillPending};
    const SourceState source = now.source.state;
    if (source == SourceState::Unknown) return {Outcome::NotChecked, kCannotTell};
    if (listed.kind == EntryKind::Delete) {
        if (source == SourceState::Missing) return {Outcome::CarriedOut};
        return {Outcome::NotCarriedOut, kStillThere};
    }

    if (source == SourceState::Exists) return {Outcome::NotCarriedOut, kSourceStillThere};
    switch (now.destination.state) {
    case SourceState::Unknown: return {Outcome::NotChecked, kCannotTell};
    case SourceState::Missing: return {Outcome::NotCarriedOut, kNoDestination};
    case SourceState::Exists: break;
    }
    // A destination that existed before (a replacement's) proves nothing by
    // itself: it must be the file that was the source.
    if (listed.sourceState == SourceState::Missing) return {Outcome::NotCarriedOut, kSourceWasMissing};
    if (listed.sourceStamp && listed.sourceStamp != now.destination.stamp) return {Outcome::NotCarriedOut, kOtherFile};
    return {Outcome::CarriedOut};
}

std::vector<Verdict> VerifyEntries(const PendingEntries& listed, const PendingEntries& current, FileSystemApi& files) {
    std::set<std::pair<std::string_view, std::string_view>> pendingNow;
    for (const PendingEntry& entry : current.entries) pendingNow.emplace(entry.first, entry.second);

    // The files of the entries that the files decide, asked about at once.
    std::vector<EntryNow> now(listed.entries.size());
    std::vector<std::string> paths;
    std::vector<FileState*> answers;  // where each path's state goes
    for (std::size_t i = 0; i < listed.entries.size(); ++i) {
        const PendingEntry& entry = listed.entries[i];
        now[i].pending = pendingNow.count({entry.first, entry.second}) != 0;
        if (entry.unreached != Unreached::No || now[i].pending) continue;
        paths.push_back(SourcePathOf(entry));
        answers.push_back(&now[i].source);
        if (entry.kind == EntryKind::Delete) continue;
        paths.push_back(DestinationPathOf(entry));
        answers.push_back(&now[i].destination);
    }
    const std::vector<FileState> states = FileStates(files, paths);
    for (std::size_t k = 0; k < states.size(); ++k) *answers[k] = states[k];

    std::vector<Verdict> verdicts;
    verdicts.reserve(listed.entries.size());
    for (std::size_t i = 0; i < listed.entries.size(); ++i) verdicts.push_back(Classify(listed.entries[i], now[i]));
    return verdicts;
}

void ApplyLoggedFailures(const PendingEntries& listed, const std::vector<TimedFailure>& failures,
                         std::uint64_t taken, std::vector<Verdict>& verdicts) {
    if (failures.empty()) return;
    for (std::size_t i = 0; i < listed.entries.size(); ++i) {
        Verdict& verdict = verdicts[i];
        if (verdict.outcome == Outcome::NeverReached || verdict.outcome == Outcome::StillPending) continue;
        const PendingEntry& entry = listed.entries[i];
        // The log names the NT names as the start-up processing used them.
        std::string_view destination = entry.second;
        if (entry.kind == EntryKind::Replace) destination.remove_prefix(kReplaceExistingMarker.size());
        const LoggedFailure* failure = LatestFailureFor(failures, taken, WithoutSourceFlag(entry.first), destination,
                                                        entry.kind == EntryKind::Delete);
        if (failure == nullptr) continue;
        verdict.outcome = Outcome::NotCarriedOut;
        verdict.reason = kLogged;
        verdict.loggedStatus = failure->status;
    }
}

std::string ReasonText(const Verdict& verdict) {
    if (!verdict.loggedStatus) return verdict.reason;
    std::string text = std::string(verdict.reason) + " " + StatusHex(*verdict.loggedStatus);
    if (const std::optional<std::string_view> meaning = StatusMeaning(*verdict.loggedStatus))
        text.append(": ").append(*meaning);
    return text;
}

}  // namespace pendrix::cli
