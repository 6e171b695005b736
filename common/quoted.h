// Names in the messages of both programs: in double quotes, as Windows
// shows a path that may hold blanks. A name comes from the user, a plan or
// another program's list, so what would break or hide a line when printed
// (a C0 or C1 control, DEL, the line and paragraph separators) and a lone
// surrogate show as <U+XXXX>: one message line stays one line, and < > never
// occur in a Windows name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pendrix {

// "name"
std::string Quoted(std::string_view name);

// "a", "b", "c"
inline std::string QuotedList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list.append(list.empty() ? "" : ", ").append(Quoted(name));
    return list;
}

}  // namespace pendrix
