// The thin seam between the main window and Windows' file drops: the
// messages a drop consists of let through to the window from programs that
// are not elevated, and the names a drop carries. The Windows build answers
// with user32 and, loaded on the first drop, shell32; tests plug in a
// stand-in that records the calls.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pendrix {

inline constexpr std::uint32_t kWmCopyGlobalData = 0x0049;  // WM_COPYGLOBALDATA: the drop's data
inline constexpr std::uint32_t kWmCopyData = 0x004A;        // WM_COPYDATA
inline constexpr std::uint32_t kWmDropFiles = 0x0233;       // WM_DROPFILES

// What an elevated window must accept from a program of a lower integrity
// level (Explorer, not elevated) for a drop to reach it; nothing more.
inline constexpr std::uint32_t kDropMessages[] = {kWmDropFiles, kWmCopyData, kWmCopyGlobalData};

class DropApi {
public:
    virtual ~DropApi() = default;
    // ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW): a Windows
    // status.
    virtual std::uint32_t AllowMessage(std::intptr_t window, std::uint32_t message) = 0;
    // The names an HDROP holds (DragQueryFileW), in its order; the drop is
    // released (DragFinish) in any case. A Windows status.
    virtual std::uint32_t TakeDroppedNames(std::intptr_t drop, std::vector<std::string>& names) = 0;
};

// Windows' own (Windows build only).
DropApi& SystemDropApi();

}  // namespace pendrix
