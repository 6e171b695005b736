// Where a window goes on the screen: within the area it may cover (the work
// area of its monitor, without the taskbar), as a rectangle in pixels.
#pragma once

namespace pendrix {

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// rect moved, not resized, just so far that it lies within area. One wider
// or taller than area keeps its left or top edge on area's, so that its
// caption and its first controls stay reachable.
ScreenRect MovedWithin(const ScreenRect& rect, const ScreenRect& area);

// A rect of width x height centred in area, and moved within it as above.
ScreenRect CentredWithin(int width, int height, const ScreenRect& area);

}  // namespace pendrix
