// SystemClockApi over kernel32.
#include <windows.h>

#include <string>

#include "common/wide_text.h"
#include "platform/system_clock_api.h"

namespace pendrix {
namespace {

std::uint64_t TicksOf(const FILETIME& time) {
    return std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime;
}

class Win32SystemClock final : public SystemClockApi {
public:
    std::uint64_t NowUtc() override {
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        return TicksOf(now);
    }

    bool LocalToUtc(const LocalTime& local, std::uint64_t& utc) override {
        SYSTEMTIME wall{};
        wall.wYear = static_cast<WORD>(local.year);
        wall.wMonth = static_cast<WORD>(local.month);
        wall.wDay = static_cast<WORD>(local.day);
        wall.wHour = static_cast<WORD>(local.hour);
        wall.wMinute = static_cast<WORD>(local.minute);
        wall.wSecond = static_cast<WORD>(local.second);
        SYSTEMTIME universal{};
        FILETIME ticks{};
        // No zone given: the computer's current zone, with its rules for that date.
        if (!TzSpecificLocalTimeToSystemTime(nullptr, &wall, &universal) || !SystemTimeToFileTime(&universal, &ticks))
            return false;
        utc = TicksOf(ticks);
        return true;
    }

    std::string WindowsFolder() override {
        wchar_t folder[MAX_PATH + 1] = {};
        const UINT length = GetWindowsDirectoryW(folder, MAX_PATH + 1);
        if (length == 0 || length > MAX_PATH) return std::string();
        return TextOfWide(std::wstring(folder, length));
    }
};

}  // namespace

SystemClockApi& SystemClock() {
    static Win32SystemClock clock;
    return clock;
}

}  // namespace pendrix
