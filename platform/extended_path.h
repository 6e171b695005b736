// Full names in the form a Win32 file call takes at any length. The plain
// form ("C:\dir\file") ends at MAX_PATH; the verbatim form ("\\?\C:\dir\file",
// "\\?\UNC\server\share\file") reaches every name Windows can hold.
#pragma once

#include <string>
#include <string_view>

namespace pendrix {

// A plain full name too long for the plain form becomes its verbatim form;
// anything else stays as it is.
std::string ExtendedPath(std::string_view path);

}  // namespace pendrix
