// The message shown when Windows refuses to restart.
#pragma once

#include <cstdint>
#include <string>

namespace pendrix {

// "Windows refused to restart the computer." with the system's text for
// error and its number.
std::string RestartRefusedMessage(std::uint32_t error);

}  // namespace pendrix
