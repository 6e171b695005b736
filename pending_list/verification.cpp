#include "pending_list/verification.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "common/name_folding.h"
#include "pending_list/list_sequence.h"
#include "pending_list/pending_rename_list.h"
#include "pending_list/pending_values.h"
#include "pending_list/saved_listing.h"
#include "pending_list/stored_names.h"

namespace pendrix {
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
    name = WithoutPrefix(DestinationObjectName(name), kObjectPathPrefix);
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

// The names as the listing recorded them before the list ran: each source,
// each plain rename's destination, and the folders that hold a name that
// existed. Every other name cannot be told.
InitialPresence PresenceWhenListed(const PendingEntries& listed, const std::vector<ListedOperation>& operations) {
    std::map<std::string, Presence> recorded;
    for (std::size_t i = 0; i < listed.entries.size(); ++i) {
        const PendingEntry& entry = listed.entries[i];
        recorded.try_emplace(FoldName(operations[i].source), entry.sourceState);
        if (entry.kind == EntryKind::Rename && entry.destinationState != Presence::Unknown)
            recorded.try_emplace(FoldName(operations[i].destination), entry.destinationState);
    }
    std::vector<std::string> existing;
    for (const auto& [name, state] : recorded)
        if (state == Presence::Exists) existing.push_back(name);
    for (const std::string& name : existing)
        for (std::string folder = ContainingFolder(name); !folder.empty(); folder = ContainingFolder(folder))
            recorded[folder] = Presence::Exists;
    return [recorded = std::move(recorded)](const std::string& name) {
        const auto found = recorded.find(FoldName(name));
        return found == recorded.end() ? Presence::Unknown : found->second;
    };
}

}  // namespace

Verdict Classify(const PendingEntry& listed, const EntryNow& now) {
    if (listed.unreached != Unreached::No) return {VerifyResult::NeverReached, {}};
    if (now.pending) return {VerifyResult::StillPending, {}};
    if (!now.volumeMissing.empty())
        return {VerifyResult::NotChecked, now.volumeMissing + " does not exist on this computer"};
    if (now.sourceTakenBy != 0)
        return {VerifyResult::NotCarriedOut, "entry " + std::to_string(now.sourceTakenBy) +
                                            " deleted or moved away its source before its turn"};
    if (now.hangsOn != 0)
        return {VerifyResult::NotChecked, "it hangs on whether entry " + std::to_string(now.hangsOn) +
                                          " took effect, which the listing cannot tell"};
    const Presence source = now.source.state;
    if (source == Presence::Unknown) return {VerifyResult::NotChecked, kCannotTell};
    const bool isDeletion = listed.kind == EntryKind::Delete;
    // The file it takes away must be gone from the source's name, unless a
    // later entry put another there.
    if (source == Presence::Exists) {
        if (!now.sourceFilledLater) return {VerifyResult::NotCarriedOut, isDeletion ? kStillThere : kSourceStillThere};
        const bool tellsApart = now.fileStamp && now.laterSourceStamp && now.fileStamp != now.laterSourceStamp;
        if (tellsApart && now.source.stamp == now.fileStamp) return {VerifyResult::NotCarriedOut, kOldFileLeft};
        if (!tellsApart || now.source.stamp != now.laterSourceStamp) return {VerifyResult::NotChecked, kCannotTellApart};
    }
    if (isDeletion || now.deletedLater) return {VerifyResult::CarriedOut, {}};

    switch (now.destination.state) {
    case Presence::Unknown: return {VerifyResult::NotChecked, kCannotTell};
    case Presence::Missing:
        return {VerifyResult::NotCarriedOut, now.movedOn ? "the name a later entry moved it on to does not exist"
                                                    : kNoDestination};
    case Presence::Exists: break;
    }
    // A destination that existed before (a replacement's) proves nothing by
    // itself: it must be the file that was the source.
    if (now.fileWasMissing) return {VerifyResult::NotCarriedOut, kSourceWasMissing};
    if (now.fileStamp && now.fileStamp != now.destination.stamp) return {VerifyResult::NotCarriedOut, kOtherFile};
    return {VerifyResult::CarriedOut, {}};
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
        operations.push_back({std::string(SourceObjectName(entry.first, entry.kind == EntryKind::Delete)),
                              std::string(DestinationObjectName(entry.second)), entry.unreached == Unreached::No,
                              ReadDestinationName(entry.second).replaces});
    const ListSimulation simulation(operations, PresenceWhenListed(listed, operations));
    // What the listing recorded of the file each name held before the list
    // ran: the first entry whose source it is.
    std::map<std::string, const PendingEntry*> recordedAt;
    for (const PendingEntry& entry : listed.entries)
        recordedAt.try_emplace(FoldName(SourceObjectName(entry.first, entry.kind == EntryKind::Delete)), &entry);
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
    std::vector<PathPresence*> answers;  // where each path's state goes
    for (std::size_t i = 0; i < listed.entries.size(); ++i) {
        const PendingEntry& entry = listed.entries[i];
        EntryNow& state = now[i];
        state.pending = pendingNow.count({entry.first, entry.second}) != 0;
        if (entry.unreached != Unreached::No || state.pending) continue;
        // The source by its path: a mark Windows set before it is no part of it.
        const std::string_view source = SourceObjectName(entry.first, entry.kind == EntryKind::Delete);
        state.volumeMissing = volumeMissing(source);
        if (state.volumeMissing.empty() && entry.kind != EntryKind::Delete) state.volumeMissing = volumeMissing(entry.second);
        if (!state.volumeMissing.empty()) continue;
        const EntryFate& fate = simulation.Fates()[i];
        if (fate.effect == EntryEffect::NoEffect && fate.cause == FateCause::Source && fate.by != kNoEntry) {
            state.sourceTakenBy = fate.by + 1;
            continue;
        }
        // Whether it acts hangs on an earlier entry in doubt, or a later one
        // in doubt decides where its file ends.
        const std::size_t doubted = fate.file == kNoEntry ? kNoEntry : simulation.DoubtedBy(fate.file);
        if (fate.effect == EntryEffect::Uncertain && fate.by != kNoEntry) {
            state.hangsOn = fate.by + 1;
            continue;
        }
        if (doubted != kNoEntry && doubted > i) {
            state.hangsOn = doubted + 1;
            continue;
        }
        // Otherwise its files tell: the file it found at its source (or the
        // record of its source, when nothing was there).
        const PendingEntry* listedFile = fate.file != kNoEntry ? recorded(fate.file) : nullptr;
        if (fate.file == kNoEntry) {
            const auto found = recordedAt.find(FoldName(source));
            if (found != recordedAt.end()) listedFile = found->second;
        }
        if (listedFile != nullptr) {
            state.fileStamp = listedFile->sourceStamp;
            state.fileWasMissing = listedFile->sourceState == Presence::Missing;
        }
        const std::size_t atSource = simulation.FinalFileAt(source);
        if (atSource != kNoEntry && atSource != fate.file) {
            state.sourceFilledLater = true;
            if (const PendingEntry* record = recorded(atSource)) state.laterSourceStamp = record->sourceStamp;
        }
        paths.push_back(SourcePathOf(entry));
        answers.push_back(&state.source);
        if (entry.kind == EntryKind::Delete) continue;
        // A rename that fails leaves its destination as it was: the files
        // there are judged as they are.
        const bool acted = fate.effect != EntryEffect::NoEffect;
        const std::optional<std::string> ends =
            acted ? simulation.FinalName(fate.file) : std::optional<std::string>(DestinationObjectName(entry.second));
        state.deletedLater = !ends;
        if (!ends) continue;
        state.movedOn = FoldName(*ends) != FoldName(DestinationObjectName(entry.second));
        paths.push_back(Win32PathOf(*ends));
        answers.push_back(&state.destination);
    }
    const std::vector<PathPresence> states = PathPresences(files, paths);
    for (std::size_t k = 0; k < states.size(); ++k) *answers[k] = states[k];

    std::vector<Verdict> verdicts;
    verdicts.reserve(listed.entries.size());
    for (std::size_t i = 0; i < listed.entries.size(); ++i) verdicts.push_back(Classify(listed.entries[i], now[i]));
    return verdicts;
}

namespace {

// The failures the start-up processing's log holds, with their times in UTC
// (pointing into log); none when there is no log, and none, with why, when
// it cannot be used.
std::vector<TimedFailure> ReadLoggedFailures(FileSystemApi& files, SystemClockApi* clock, StartupLog& log,
                                             ListingVerification& result) {
    if (clock == nullptr) return {};
    const std::string folder = clock->WindowsFolder();
    if (folder.empty()) return {};
    result.logPath = folder + "\\" + kStartupLogName;
    std::string file;
    const WinStatus status = files.ReadAll(result.logPath, file);
    if (status == kErrorFileNotFound || status == kErrorPathNotFound) return {};
    if (status != kErrorSuccess) {
        result.logAside = LogAside::Unreadable;
        result.logStatus = status;
        return {};
    }
    log = ReadStartupLog(file);
    switch (log.problem) {
    case StartupLogProblem::None: break;
    case StartupLogProblem::Empty: result.logAside = LogAside::Empty; return {};
    case StartupLogProblem::NotUtf16: result.logAside = LogAside::NotUtf16; return {};
    }
    result.logLinesSkipped = log.skippedLines;
    result.logFirstSkipped = log.firstSkipped;
    if (!result.listed.taken) {
        result.logAside = LogAside::Untimed;
        return {};
    }
    return TimeFailures(log, [&](const LocalTime& local, std::uint64_t& utc) { return clock->LocalToUtc(local, utc); });
}

}  // namespace

ListingVerification VerifySavedListing(const std::string& path, RegistryRoutines& registry, FileSystemApi& files,
                                       SystemClockApi* clock) {
    using Failure = ListingVerification::Failure;
    ListingVerification result;
    std::string file;
    const WinStatus status = files.ReadAll(path, file);
    if (status != kErrorSuccess) {
        result.failure = Failure::FileUnreadable;
        result.status = status;
        return result;
    }
    std::optional<PendingEntries> listed = ReadSavedListing(file);
    if (!listed) {
        result.failure = Failure::NotAListing;
        return result;
    }
    result.listed = std::move(*listed);
    const PendingValues read = ReadPendingValues(registry);
    for (const PendingListRead& value : read.values) {
        if (value.readable) continue;
        result.failure = Failure::ListUnreadable;
        result.status = value.status;
        return result;
    }
    const PendingEntries current = DescribeValues(read);
    result.verdicts = VerifyEntries(result.listed, current, files);
    StartupLog log;
    const std::vector<TimedFailure> logged = ReadLoggedFailures(files, clock, log, result);
    if (result.listed.taken) ApplyLoggedFailures(result.listed, logged, *result.listed.taken, result.verdicts);
    return result;
}

void ApplyLoggedFailures(const PendingEntries& listed, const std::vector<TimedFailure>& failures,
                         std::uint64_t taken, std::vector<Verdict>& verdicts) {
    if (failures.empty()) return;
    for (std::size_t i = 0; i < listed.entries.size(); ++i) {
        Verdict& verdict = verdicts[i];
        if (verdict.result == VerifyResult::NeverReached || verdict.result == VerifyResult::StillPending) continue;
        const PendingEntry& entry = listed.entries[i];
        // The log names the NT names as the start-up processing used them.
        const bool deletion = entry.kind == EntryKind::Delete;
        const LoggedFailure* failure = LatestFailureFor(failures, taken, SourceObjectName(entry.first, deletion),
                                                        DestinationObjectName(entry.second), deletion);
        if (failure == nullptr) continue;
        verdict.result = VerifyResult::NotCarriedOut;
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

}  // namespace pendrix
