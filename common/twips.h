// Layout units: twips (1/1440 inch) to pixels at a given DPI, rounded to the
// nearest pixel as MulDiv rounds. At 96 DPI, 15 twips make exactly a pixel.
#pragma once

namespace pendrix {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kDefaultDpi = 96;

constexpr int TwipsToPixels(int twips, int dpi) noexcept {
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch : -((-scaled + half) / kTwipsPerInch));
}

// A rectangle in twips, from the top-left corner of its container.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

}  // namespace pendrix
