// Small text helpers shared across the program.
#pragma once

#include <string>
#include <string_view>

namespace pendrix {

// The part of text before its first NUL, or all of it when it holds none.
inline std::string CutAtNul(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

}  // namespace pendrix
