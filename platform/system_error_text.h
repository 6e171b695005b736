// The system's own words for a Windows error code.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/windows_codes.h"

namespace pendrix {

// FormatMessage's text for error, without its line break; empty when the
// system has none.
std::string SystemErrorText(WinStatus error);

// A source of descriptions of Windows error codes: SystemErrorText, or a
// stand-in in tests.
using ErrorTextFunction = std::function<std::string(WinStatus)>;

}  // namespace pendrix
