// Names in the messages of both programs: in double quotes, as Windows
// shows a path that may hold blanks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pendrix {

// "name"
inline std::string Quoted(std::string_view name) {
    std::string quoted;
    quoted.reserve(name.size() + 2);
    return quoted.append(1, '"').append(name).append(1, '"');
}

// "a", "b", "c"
inline std::string QuotedList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list.append(list.empty() ? "" : ", ").append(Quoted(name));
    return list;
}

}  // namespace pendrix
