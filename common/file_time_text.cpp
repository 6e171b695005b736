#include "common/file_time_text.h"

#include <chrono>

namespace pendrix {
namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kSecondsPerDay = 86'400;
constexpr std::uint64_t kTicksPerDay = kTicksPerSecond * kSecondsPerDay;
constexpr sys_days kFileTimeEpoch = std::chrono::year{1601} / 1 / 1;

// value in exactly width decimal digits, zeros in front.
void AppendDigits(std::string& out, std::uint64_t value, int width) {
    std::string digits(static_cast<std::size_t>(width), '0');
    for (int i = width - 1; i >= 0; --i, value /= 10)
        digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
    out += digits;
}

}  // namespace

std::string FileTimeText(std::uint64_t ticks) {
    const std::uint64_t day = ticks / kTicksPerDay;
    const std::uint64_t withinDay = ticks % kTicksPerDay;
    const year_month_day date{kFileTimeEpoch + days{static_cast<days::rep>(day)}};
    const std::uint64_t seconds = withinDay / kTicksPerSecond;
    std::string text;
    const auto year = static_cast<std::uint64_t>(static_cast<int>(date.year()));
    AppendDigits(text, year, year > 9999 ? 5 : 4);
    text += '-';
    AppendDigits(text, static_cast<unsigned>(date.month()), 2);
    text += '-';
    AppendDigits(text, static_cast<unsigned>(date.day()), 2);
    text += 'T';
    AppendDigits(text, seconds / 3600, 2);
    text += ':';
    AppendDigits(text, seconds / 60 % 60, 2);
    text += ':';
    AppendDigits(text, seconds % 60, 2);
    text += '.';
    AppendDigits(text, withinDay % kTicksPerSecond, 7);
    text += 'Z';
    return text;
}

std::optional<std::uint64_t> FileTimeOfText(std::string_view text) {
    // "YYYY-MM-DDThh:mm:ss.fffffffZ", the year of four or five digits.
    const std::size_t yearDigits = text.find('-');
    if (yearDigits != 4 && yearDigits != 5) return std::nullopt;
    constexpr std::string_view kShape = "-00-00T00:00:00.0000000Z";
    if (text.size() != yearDigits + kShape.size()) return std::nullopt;
    std::uint64_t fields[7] = {};  // year, month, day, hour, minute, second, fraction
    std::size_t field = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char shape = i < yearDigits ? '0' : kShape[i - yearDigits];
        const char c = text[i];
        if (shape != '0') {
            if (c != shape) return std::nullopt;
            ++field;
        } else {
            if (c < '0' || c > '9') return std::nullopt;
            fields[field] = fields[field] * 10 + static_cast<std::uint64_t>(c - '0');
        }
    }
    const year_month_day date{std::chrono::year{static_cast<int>(fields[0])},
                              std::chrono::month{static_cast<unsigned>(fields[1])},
                              std::chrono::day{static_cast<unsigned>(fields[2])}};
    if (!date.ok() || fields[0] < 1601 || fields[3] > 23 || fields[4] > 59 || fields[5] > 59) return std::nullopt;
    const auto day = static_cast<std::uint64_t>((sys_days{date} - kFileTimeEpoch).count());
    if (day > kLatestFileTime / kTicksPerDay) return std::nullopt;
    const std::uint64_t ticks =
        day * kTicksPerDay + ((fields[3] * 60 + fields[4]) * 60 + fields[5]) * kTicksPerSecond + fields[6];
    if (ticks > kLatestFileTime || FileTimeText(ticks) != text) return std::nullopt;
    return ticks;
}

}  // namespace pendrix
