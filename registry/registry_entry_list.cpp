#include "registry/registry_entry_list.h"

namespace pendrix {

std::string FoldEntryKey(std::string_view key) {
    std::string folded(key);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

}  // namespace pendrix
