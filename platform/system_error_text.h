// The system's own words for a Windows error code.
#pragma once

#include <cstdint>
#include <string>

namespace pendrix {

// FormatMessage's text for error, without its line break; empty when the
// system has none.
std::string SystemErrorText(std::int32_t error);

}  // namespace pendrix
