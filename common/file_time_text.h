// File times as text: a FILETIME (100-nanosecond intervals since
// 1601-01-01 UTC) written as an ISO 8601 UTC time to the full resolution,
// "2024-05-01T12:34:56.1234567Z", so that the text gives back the very
// same time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pendrix {

// The latest time a FILETIME can hold (Windows refuses larger ones).
inline constexpr std::uint64_t kLatestFileTime = 0x7FFF'FFFF'FFFF'FFFF;

// ticks must not be later than kLatestFileTime.
std::string FileTimeText(std::uint64_t ticks);

// The time FileTimeText wrote; nothing for any other text.
std::optional<std::uint64_t> FileTimeOfText(std::string_view text);

}  // namespace pendrix
