// The About window's layout as data, in twips from the top-left corner of
// its client area.
#pragma once

#include <span>

#include "common/twips.h"

namespace pendrix {

enum AboutControlId : int {
    kCmdOK = 1,  // IDOK: Enter; Esc (IDCANCEL) closes the window the same way
    kPicIcon = 300,
    kLblTitle,
    kLblVersion,
    kLblDescription,
    kLblDisclaimer,
};

enum class AboutKind { Button, Label, Picture };

struct AboutControlLayout {
    const char* name;
    AboutControlId id;
    AboutKind kind;
    const char* text;  // UTF-8
    TwipsRect rect;
    unsigned textColour;  // 0xRRGGBB, or kSystemTextColour
};

inline constexpr unsigned kSystemTextColour = 0xFFFFFFFFu;
inline constexpr unsigned kPicIconBackground = 0xE0E0E0;

inline constexpr TwipsRect kAboutClientTwips{4770, 3945, 5730, 3555};
inline constexpr const char* kAboutCaption = "About Pendrix";

// One line of the etched rule, in twips.
struct AboutLine {
    int x1, y1, x2, y2;
    unsigned colour;
    int width;  // pixels at 96 DPI
};

// Line1(1), the grey line, then Line1(0), the white line beneath it.
std::span<const AboutLine> AboutLines();

// The controls in creation order; cmdOK is the only one taking the focus.
std::span<const AboutControlLayout> AboutControls();

}  // namespace pendrix
