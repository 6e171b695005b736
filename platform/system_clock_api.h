// The seam to the computer's clock, its time zone and its Windows folder:
// what the console tool needs to say when a listing was taken and to read
// the times of the log the start-up processing writes. The Windows build
// answers with kernel32; native tests plug in a stand-in.
#pragma once

#include <cstdint>
#include <string>

namespace pendrix {

// A wall-clock time in the computer's time zone, as a log writes it.
struct LocalTime {
    int year = 0;
    int month = 0;   // 1 to 12
    int day = 0;     // 1 to the month's last
    int hour = 0;    // 0 to 23
    int minute = 0;
    int second = 0;
    friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

class SystemClockApi {
public:
    virtual ~SystemClockApi() = default;
    // Now, in UTC (FILETIME ticks: 100 ns since 1601-01-01).
    virtual std::uint64_t NowUtc() = 0;
    // local in UTC with the time-zone rules in force for that date
    // (TzSpecificLocalTimeToSystemTime); false when there is no such time.
    virtual bool LocalToUtc(const LocalTime& local, std::uint64_t& utc) = 0;
    // The Windows folder, "C:\Windows" (GetWindowsDirectoryW).
    virtual std::string WindowsFolder() = 0;
};

#if defined(_WIN32)
SystemClockApi& SystemClock();
#endif

}  // namespace pendrix
