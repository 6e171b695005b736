// The Windows side of a staged copy: a new file that holds another's bytes
// and has its final owner, rules and integrity label from the moment it is
// created, so that no handle opened before it is secured can change it.
#pragma once

#include <cstdint>
#include <string>

#include "common/windows_codes.h"

namespace pendrix {

// As FileSystemApi::CreateStagedCopy: paths in the program's 8-bit text, any length.
WinStatus CreateSecuredCopy(const std::string& source, const std::string& target, const std::string& model,
                            std::uint32_t attributes);

}  // namespace pendrix
