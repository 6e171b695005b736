#include "scheduler/pending_rename_list.h"

#include <algorithm>
#include <utility>

#include "registry/registry_constants.h"

namespace pendrix {

RenamePair ReplacementPair(std::string_view source, std::string_view destination) {
    RenamePair pair;
    pair.first.append(kObjectPathPrefix).append(source);
    pair.second.append(kReplaceExistingMarker).append(kObjectPathPrefix).append(destination);
    return pair;
}

RenamePair DeletionPair(std::string_view path) {
    RenamePair pair;
    pair.first.append(kObjectPathPrefix).append(path);
    return pair;
}

std::size_t CountListStrings(std::string_view listText) {
    if (listText.empty()) return 0;
    return static_cast<std::size_t>(std::count(listText.begin(), listText.end(), '\0')) + 1;
}

std::string AppendPair(std::string_view listText, const RenamePair& pair) {
    std::string data;
    data.reserve(listText.size() + pair.first.size() + pair.second.size() + 5);
    data.append(listText);
    if (!listText.empty()) {
        data.push_back('\0');  // ends the last old string
        if (CountListStrings(listText) % 2 == 1) data.push_back('\0');  // empty string completing its pair
    }
    data.append(pair.first).push_back('\0');
    data.append(pair.second).push_back('\0');
    data.push_back('\0');  // closes the list
    return data;
}

std::string RestoreData(std::string_view snapshot) {
    std::string data(snapshot);
    if (!data.empty()) data.append(2, '\0');
    return data;
}

void PendingRenameList::AimAtSessionManager() {
    registry_.hkey(kHkeyLocalMachine);
    registry_.KeyRoot(kSessionManagerKeyRoot);
    registry_.Subkey(kSessionManagerSubkey);
}

PendingListRead PendingRenameList::Read() {
    AimAtSessionManager();
    RegistryValueRead read = registry_.ReadRegistryValue(kPendingValueName, RegistryData(""));
    PendingListRead result;
    result.status = read.status;
    // A missing key or value is an empty list; any other failure leaves the
    // list unknown.
    result.readable = read.status == kErrorSuccess || read.status == kErrorFileNotFound;
    if (result.readable) result.listText = std::move(read.value).ToText();
    result.exists = read.status == kErrorSuccess;
    if (result.exists) result.stored = RestoreData(result.listText);
    return result;
}

bool PendingRenameList::Append(const PendingListRead& current, const RenamePair& pair) {
    if (!current.readable) return false;
    AimAtSessionManager();
    if (!registry_.KeyExists()) registry_.CreateKey();
    return registry_.SetRegistryValue(kPendingValueName, RegistryData(AppendPair(current.listText, pair)),
                                      static_cast<std::int32_t>(kRegMultiSz));
}

std::string AppendPairToStored(std::string_view stored, const RenamePair& pair) {
    return AppendPair(stored.size() >= 2 ? stored.substr(0, stored.size() - 2) : stored, pair);
}

std::int32_t PendingRenameList::Store(std::string_view data) {
    AimAtSessionManager();
    if (!registry_.KeyExists()) registry_.CreateKey();
    return registry_.WriteRegistryValue(kPendingValueName, RegistryData(std::string(data)),
                                        static_cast<std::int32_t>(kRegMultiSz));
}

bool PendingRenameList::Restore(std::string_view snapshot) {
    AimAtSessionManager();
    return registry_.SetRegistryValue(kPendingValueName, RegistryData(RestoreData(snapshot)),
                                      static_cast<std::int32_t>(kRegMultiSz));
}

}  // namespace pendrix
