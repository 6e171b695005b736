// The security calls of the file-system seam on Windows: who owns a file,
// giving a new file another's rules, and whether ordinary users may change
// what a folder holds. Paths as the seam takes them (the program's 8-bit
// text, any length).
#pragma once

#include <cstdint>
#include <string>

namespace pendrix {

std::uint32_t FileOwnerName(const std::string& path, std::string& owner);
std::uint32_t GiveSecurityOf(const std::string& model, const std::string& target);
std::uint32_t OrdinaryUsersMayChange(const std::string& folder, bool& may);

}  // namespace pendrix
