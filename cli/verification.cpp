#include "cli/verification.h"

#include <map>
#include <set>
#include <string>
#include <utility>

#include "common/name_folding.h"
#include "scheduler/list_sequence.h"
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
constexpr char kOldFileLeft[] =
    "the file it takes away is still there: its size and last-write time are those recorded for it";
constexpr char kCannotTell[] = "the file system cannot say whether its files exist";
constexpr char kLogged[] = "the start-up processing logged";
constexpr char kCannotTellApart[] =
    "a later entry puts another file at its name, and the listing recorded no size and time to tell the two apart";

std::string_view WithoutPrefix(std::string_view name, std::string_view prefix) {
    return name.substr(0, prefix.size()) == prefix ? name.substr(prefix.size()) : name;
}

// The root of a stored name's volume, as GetDriveTypeW takes it ("Q:\",
// "\\server\share\"), and how to say it; empty for other names.
std::pair<std::string, std::string> RootOf(std::string_view name) {
    name = WithoutPrefix(WithoutPrefix(name, kReplaceExistingMarker), kObjectPathPrefix);
    if (name.size() >= 2 && name[1] == ':') return {std::string(name.substr(0, 2)) + "\\", "the drive " + std::string(name.substr(0, 2))};
    constexpr std::string_view kUnc = "UNC\\";
    if (name.substr(0, kUnc.size()) != kUnc) return {};
    const std::string_view rest = name.substr(kUnc.size());
    const std::size_t server = rest.find('\\');
    if (server == std::string_view::npos) return {};
    const std::size_t share = rest.find('\\', server + 1);
    const std::string root = "\\\\" + std::string(rest.substr(0, share));
    return {root + "\\", "the share " + root};
}

}  // namespace

Verdict Classify(const PendingEntry& listed, const EntryNow& now) {
    if (listed.unreached != Unreached::No) return {Outcome::NeverReached, {}};
    if (now.pending) return {Outcome::StillPending, {}};
    if (!now.volumeMissing.empty())
        return {Outcome::NotChecked, now.volumeMissing + " does not exist on this computer"};
    if (now.sourceTakenBy != 0)
        return {Outcome::NotCarriedOut, "entry " + std::to_string(now.sourceTakenBy) +
                                            " deleted or moved away its source before its turn"};
    const SourceState source = now.source.state;
    if (source == SourceState::Unknown) return {Outcome::NotChecked, kCannotTell};
    const bool isDeletion = listed.kind == EntryKind::Delete;
    // The file it takes away must be gone from the source's name, unless a
    // later entry put another there.
    if (source == SourceState::Exists) {
        if (!now.sourceFilledLater) return {Outcome::NotCarriedOut, isDeletion ? kStillThere : kSourceStillThere};
        const bool tellsApart = now.fileStamp && now.laterSourceStamp && now.fileStamp != now.laterSourceStamp;
        if (tellsApart && now.source.stamp == now.fileStamp) return {Outcome::NotCarriedOut, kOldFileLeft};
        if (!tellsApart || now.source.stamp != now.laterSourceStamp) return {Outcome::NotChecked, kCannotTellApart};
    }
    if (isDeletion || now.deletedLater) return {Outcome::CarriedOut, {}};

    switch (now.destination.state) {
    case SourceState::Unknown: return {Outcome::NotChecked, kCannotTell};
    case SourceState::Missing:
        return {Outcome::NotCarriedOut, now.movedOn ? "the name a later entry moved it on to does not exist"
                                                    : kNoDestination};
    case SourceState::Exists: break;
    }
    // A destination that existed before (a replacement's) proves nothing by
    // itself: it must be the file that was the source.
    if (now.fileWasMissing) return {Outcome::NotCarriedOut, kSourceWasMissing};
    if (now.fileStamp && now.fileStamp != now.destination.stamp) return {Outcome::NotCarriedOut, kOtherFile};
    return {Outcome::CarriedOut, {}};
}

std::vector<Verdict> VerifyEntries(const PendingEntries& listed, const PendingEntries& current, FileSystemApi& files) {
    std::set<std::pair<std::string_view, std::string_view>> pendingNow;
    for (const PendingEntry& entry : current.entries) pendingNow.emplace(entry.first, entry.second);

    // The listing in order: where each entry's file goes.
    std::vector<ListedOperation> operations;
    // Names as stored (a name outside the object namespace stays one that
    // cannot be checked).
    // Both values' entries, the first's then the second's, as the start-up
    // processing runs them; sources by their paths, without a flag.
    for (const PendingEntry& entry : listed.entries)
        operations.push_back({std::string(WithoutSourceFlag(entry.first)),
                              std::string(WithoutPrefix(entry.second, kReplaceExistingMarker)),
                              entry.unreached == Unreached::No});
    const ListSimulation simulation(operations);
    // What the listing recorded of the file each name held before the list
    // ran: the first entry whose source it is.
    std::map<std::string, const PendingEntry*> recordedAt;
    for (const PendingEntry& entry : listed.entries) recordedAt.try_emplace(FoldName(WithoutSourceFlag(entry.first)), &entry);
    const auto recorded = [&](std::size_t file) -> const PendingEntry* {
        const auto found = recordedAt.find(FoldName(simulation.OriginalName(file)));
        return found == recordedAt.end() ? nullptr : found->second;
    };

    // The volumes named, each asked once.
    std::map<std::string, std::string> missingVolumes;  // root -> how to say it, for those not here
    std::set<std::string> askedRoots;
    const auto volumeMissing = [&](std::string_view name) -> std::string {
        const auto [root, said] = RootOf(name);
        if (root.empty()) return {};
        if (askedRoots.insert(FoldName(root)).second && files.DriveType(root) == kDriveNoRootDir)
            missingVolumes[FoldName(root)] = said;
        const auto missing = missingVolumes.find(FoldName(root));
        return missing == missingVolumes.end() ? std::string() : missing->second;
    };

    std::vector<EntryNow> now(listed.entries.size());
    std::vector<std::string> paths;
    std::vector<FileState*> answers;  // where each path's state goes
    for (std::size_t i = 0; i < listed.entries.size(); ++i) {
        const PendingEntry& entry = listed.entries[i];
        EntryNow& state = now[i];
        state.pending = pendingNow.count({entry.first, entry.second}) != 0;
        if (entry.unreached != Unreached::No || state.pending) continue;
        // The source by its path: a flag Windows set before it is no part of it.
        const std::string_view source = WithoutSourceFlag(entry.first);
        state.volumeMissing = volumeMissing(source);
        if (state.volumeMissing.empty() && entry.kind != EntryKind::Delete) state.volumeMissing = volumeMissing(entry.second);
        if (!state.volumeMissing.empty()) continue;
        const EntryFate& fate = simulation.Fates()[i];
        if (fate.effect == EntryEffect::NoEffect) {
            state.sourceTakenBy = fate.sourceTakenBy + 1;
            continue;
        }
        if (const PendingEntry* record = recorded(fate.file)) {
            state.fileStamp = record->sourceStamp;
            state.fileWasMissing = record->sourceState == SourceState::Missing;
        }
        const std::size_t atSource = simulation.FinalFileAt(source);
        if (atSource != kNoEntry) {
            state.sourceFilledLater = true;
            if (const PendingEntry* record = recorded(atSource)) state.laterSourceStamp = record->sourceStamp;
        }
        paths.push_back(SourcePathOf(entry));
        answers.push_back(&state.source);
        if (entry.kind == EntryKind::Delete) continue;
        const std::optional<std::string> ends = simulation.FinalName(fate.file);
        state.deletedLater = !ends;
        if (!ends) continue;
        state.movedOn = FoldName(*ends) != FoldName(WithoutPrefix(entry.second, kReplaceExistingMarker));
        paths.push_back(Win32PathOf(*ends));
        answers.push_back(&state.destination);
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
