// The security calls of the file-system seam on Windows: who owns a file,
// giving a new file another's rules, and whether ordinary users may change
// what a folder holds. Paths as the seam takes them (the program's 8-bit
// text, any length).
#pragma once

#include <cstdint>
#include <string>

#include "common/windows_codes.h"
#include "platform/file_system_api.h"

namespace pendrix {

WinStatus FileOwnerName(const std::string& path, std::string& owner);
WinStatus GiveSecurityOf(const std::string& model, const std::string& target);
WinStatus OrdinaryUsersMayChange(const std::string& folder, bool& may);
WinStatus FileRules(const std::string& path, AccessRules& rules);

}  // namespace pendrix
