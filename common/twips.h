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

// A rectangle of the layout in pixels at dpi, each side rounded on its own
// as the controls are placed.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

constexpr PixelRect RectToPixels(const TwipsRect& rect, int dpi) noexcept {
    return {TwipsToPixels(rect.left, dpi), TwipsToPixels(rect.top, dpi), TwipsToPixels(rect.width, dpi),
            TwipsToPixels(rect.height, dpi)};
}

}  // namespace pendrix
