#include "pending_list/verification.h"

#include <optional>
#include <set>
#include <string>
#include <utility>

#include "pending_list/pending_rename_list.h"
#include "pending_list/saved_listing.h"

namespace pendrix {
namespace {

constexpr char kStillThere[] = "it still exists";
constexpr char kSourceStillThere[] = "the source still exists";
constexpr char kNoDestination[] = "the destination does not exist";
constexpr char kSourceWasMissing[] = "the source did not exist when it was listed";
constexpr char kOtherFile[] =
    "the destination is not the source's file: its size or last-write time differs from the source's when listed";
constexpr char kCannotTell[] = "the file system cannot say whether its files exist";

// The name a rename gives its source, as Win32 calls take it.
std::string DestinationPath(const PendingEntry& entry) {
    std::string_view name = entry.second;
    if (entry.kind == EntryKind::Replace) name.remove_prefix(kReplaceExistingMarker.size());
    return Win32PathOf(name);
}

}  // namespace

Verdict Classify(const PendingEntry& listed, const EntryNow& now) {
    if (listed.unreached != Unreached::No) return {EntryFate::NeverReached};
    if (now.pending) return {EntryFate::StillPending};
    const Presence source = now.source.state;
    if (source == Presence::Unknown) return {EntryFate::NotChecked, kCannotTell};
    if (listed.kind == EntryKind::Delete) {
        if (source == Presence::Missing) return {EntryFate::CarriedOut};
        return {EntryFate::NotCarriedOut, kStillThere};
    }

    if (source == Presence::Exists) return {EntryFate::NotCarriedOut, kSourceStillThere};
    switch (now.destination.state) {
    case Presence::Unknown: return {EntryFate::NotChecked, kCannotTell};
    case Presence::Missing: return {EntryFate::NotCarriedOut, kNoDestination};
    case Presence::Exists: break;
    }
    // A destination that existed before (a replacement's) proves nothing by
    // itself: it must be the file that was the source.
    if (listed.sourceState == Presence::Missing) return {EntryFate::NotCarriedOut, kSourceWasMissing};
    if (listed.sourceStamp && listed.sourceStamp != now.destination.stamp) return {EntryFate::NotCarriedOut, kOtherFile};
    return {EntryFate::CarriedOut};
}

std::vector<Verdict> VerifyEntries(const PendingEntries& listed, const PendingEntries& current, FileSystemApi& files) {
    std::set<std::pair<std::string_view, std::string_view>> pendingNow;
    for (const PendingEntry& entry : current.entries) pendingNow.emplace(entry.first, entry.second);

    // The files of the entries that the files decide, asked about at once.
    std::vector<EntryNow> now(listed.entries.size());
    std::vector<std::string> paths;
    std::vector<PathPresence*> answers;  // where each path's state goes
    for (std::size_t i = 0; i < listed.entries.size(); ++i) {
        const PendingEntry& entry = listed.entries[i];
        now[i].pending = pendingNow.count({entry.first, entry.second}) != 0;
        if (entry.unreached != Unreached::No || now[i].pending) continue;
        paths.push_back(Win32PathOf(entry.first));
        answers.push_back(&now[i].source);
        if (entry.kind == EntryKind::Delete) continue;
        paths.push_back(DestinationPath(entry));
        answers.push_back(&now[i].destination);
    }
    const std::vector<PathPresence> states = PathPresences(files, paths);
    for (std::size_t k = 0; k < states.size(); ++k) *answers[k] = states[k];

    std::vector<Verdict> verdicts;
    verdicts.reserve(listed.entries.size());
    for (std::size_t i = 0; i < listed.entries.size(); ++i) verdicts.push_back(Classify(listed.entries[i], now[i]));
    return verdicts;
}

ListingVerification VerifySavedListing(const std::string& path, PendingRenameList& list, FileSystemApi& files) {
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
    const PendingListRead read = list.Read();
    if (!read.readable) {
        result.failure = Failure::ListUnreadable;
        result.status = read.status;
        return result;
    }
    const PendingEntries current = DescribeEntries(read.stored, read.exists);
    result.verdicts = VerifyEntries(result.listed, current, files);
    return result;
}

}  // namespace pendrix
