#include "common/screen_area.h"

namespace pendrix {
namespace {

// The start of a span of length moved into [low, high), the low end first.
int StartWithin(int start, int length, int low, int high) {
    if (start + length > high) start = high - length;
    if (start < low) start = low;
    return start;
}

}  // namespace

ScreenRect MovedWithin(const ScreenRect& rect, const ScreenRect& area) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int left = StartWithin(rect.left, width, area.left, area.right);
    const int top = StartWithin(rect.top, height, area.top, area.bottom);
    return {left, top, left + width, top + height};
}

ScreenRect CentredWithin(int width, int height, const ScreenRect& area) {
    const int left = area.left + (area.right - area.left - width) / 2;
    const int top = area.top + (area.bottom - area.top - height) / 2;
    return MovedWithin({left, top, left + width, top + height}, area);
}

}  // namespace pendrix
