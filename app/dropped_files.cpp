#include "app/dropped_files.h"

namespace pendrix {

DroppedName ChooseDroppedName(const std::vector<std::string>& names, const char* boxLabel, bool shown) {
    DroppedName chosen;
    if (names.empty() || !shown) return chosen;
    chosen.name = names.front();
    if (names.size() > 1)
        chosen.message = std::to_string(names.size()) + " files were dropped on " + boxLabel +
                         ", which takes one name: it holds the first, \"" + chosen.name +
                         "\". Drop the others one at a time.";
    return chosen;
}

}  // namespace pendrix
