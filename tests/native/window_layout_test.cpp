// The windows' layout tables as data: the twips conversion, and what every
// edit of a table must keep (ids unique, controls inside what holds them).
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "about/about_layout.h"
#include "app/form1_layout.h"
#include "common/screen_area.h"

namespace pendrix {
namespace {

TEST(Twips, FifteenToAPixelAt96DpiAndRoundedAsMulDivAtOthers) {
    struct Case { int twips, dpi, pixels; };
    for (const Case c : {Case{6000, 96, 400}, Case{4500, 96, 300}, Case{855, 144, 86}, Case{4245, 144, 425},
                         Case{5654, 96, 377}, Case{7, 96, 0}, Case{8, 96, 1}, Case{-855, 144, -86},
                         Case{6000, 192, 800}}) {
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
    }
    // A rectangle: each side on its own, not its right edge less its left.
    EXPECT_EQ(RectToPixels({855, 4245, 855, 4245}, 144), (PixelRect{86, 425, 86, 425}));
}

bool Inside(const TwipsRect& inner, const TwipsRect& outer) {
    return inner.left >= 0 && inner.top >= 0 && inner.left + inner.width <= outer.width &&
           inner.top + inner.height <= outer.height;
}

TEST(Form1Layout, IdsAreUniqueAndEveryControlLiesInsideWhatHoldsIt) {
    std::set<int> ids;
    for (const ControlLayout& control : Form1Controls()) {
        SCOPED_TRACE(control.name);
        EXPECT_TRUE(ids.insert(control.id).second);
        EXPECT_GT(control.id, 2) << "not IDOK or IDCANCEL";
        EXPECT_EQ(FindForm1Control(control.id), &control);
        const bool text3 = control.id == kText3;
        const TwipsRect& holder = control.container == Container::Window ? kForm1ClientTwips
                                  : control.container == Container::Frame1 ? FindForm1Control(kFrame1)->rect
                                                                           : FindForm1Control(kFrame2)->rect;
        // Text3 is the one control kept outside the client area on purpose.
        EXPECT_EQ(Inside(control.rect, holder), !text3);
        const bool takesFocus = control.kind != ControlKind::Label && control.kind != ControlKind::Frame &&
                                control.kind != ControlKind::Image && !text3;
        EXPECT_EQ(control.tabStop, takesFocus);
    }
    // A mnemonic on every button, check box and box label ("..." has no
    // letter), each letter once and none the menu bar's F.
    std::set<char> letters{'F'};
    for (const ControlLayout& c : Form1Controls()) {
        const std::string text = c.text;
        const std::size_t mark = text.find('&');
        const bool named = c.kind != ControlKind::TextBox && c.kind != ControlKind::Frame &&
                           c.kind != ControlKind::Image && c.id != kLabel1Index1 && c.id != kLabel1Index2;
        EXPECT_EQ(mark != std::string::npos, named && text != "...") << c.name;
        EXPECT_TRUE(mark == std::string::npos || letters.insert(static_cast<char>(std::toupper(text[mark + 1]))).second)
            << c.name;
    }
    // Every control the window names has its row.
    for (int id = kFrame1; id <= kLabel1Index3; ++id)
        EXPECT_NE(FindForm1Control(static_cast<Form1ControlId>(id)), nullptr) << id;
}

TEST(AboutLayout, ControlsAndTheRuleLieInsideTheClientArea) {
    std::set<int> ids;
    for (const AboutControlLayout& control : AboutControls()) {
        EXPECT_TRUE(ids.insert(control.id).second) << control.name;
        EXPECT_TRUE(Inside(control.rect, kAboutClientTwips)) << control.name;
    }
    for (const AboutLine& line : AboutLines()) {
        EXPECT_LE(line.x2, kAboutClientTwips.width);
        EXPECT_LE(line.y1, kAboutClientTwips.height);
    }
}

}  // namespace
}  // namespace pendrix

namespace pendrix {
namespace {

// A window goes just as far as needed into the work area (here 1024 x 728
// below a 40-pixel bar), never resized; one too big keeps its top-left
// corner in it.
TEST(ScreenArea, AWindowIsMovedJustIntoTheWorkArea) {
    const ScreenRect work{0, 40, 1024, 768};
    const struct {
        const char* name;
        ScreenRect window;
        ScreenRect placed;
    } cases[] = {
        {"within", {100, 100, 500, 400}, {100, 100, 500, 400}},
        {"touching every edge", {0, 40, 1024, 768}, {0, 40, 1024, 768}},
        {"past the right edge", {477, 394, 1053, 683}, {448, 394, 1024, 683}},
        {"past the bottom", {10, 600, 410, 900}, {10, 468, 410, 768}},
        {"above and left", {-30, 0, 370, 300}, {0, 40, 400, 340}},
        {"wider and taller", {-50, 20, 1100, 900}, {0, 40, 1150, 920}},
    };
    for (const auto& c : cases) EXPECT_EQ(MovedWithin(c.window, work), c.placed) << c.name;
    // Centred, the odd pixel to the right and below; one larger than the area keeps
    // its top-left corner in it.
    EXPECT_EQ(CentredWithin(401, 301, work), (ScreenRect{311, 253, 712, 554}));
    EXPECT_EQ(CentredWithin(1100, 800, work), (ScreenRect{0, 40, 1100, 840}));
}

}  // namespace
}  // namespace pendrix
