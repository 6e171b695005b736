// Files dropped on a box of the main window: the box takes one name, the
// first when several were dropped, and says so then.
#pragma once

#include <string>
#include <vector>

namespace pendrix {

struct DroppedName {
    std::string name;     // empty: nothing to put in the box
    std::string message;  // not empty: to be shown, as several were dropped
};

// names: the dropped files and folders, in the order the drop gives them;
// boxLabel: the box as the window labels it; shown: whether the box is on
// the screen. A box nobody sees takes nothing: the next keys would go into
// it unseen.
DroppedName ChooseDroppedName(const std::vector<std::string>& names, const char* boxLabel, bool shown);

}  // namespace pendrix
