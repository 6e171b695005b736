// The message shown when Windows refuses to restart.
#pragma once

#include <cstdint>
#include <string>

#include "common/windows_codes.h"

namespace pendrix {

// "Windows refused to restart the computer." with the system's text for
// error and its number.
std::string RestartRefusedMessage(WinStatus error);

}  // namespace pendrix
