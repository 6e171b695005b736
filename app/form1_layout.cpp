#include "app/form1_layout.h"

#include <array>

namespace pendrix {
namespace {

constexpr const char* kDescription1 =
    "Have you ever received the message that a particular file on your computer is corrupt, but when you try "
    "to replace it, you receive a \"file in use\" error? problem solved with Pendrix.";
constexpr const char* kDescription2 =
    "Have you ever wanted to delete a file, but received the message that a particular file on your computer "
    "is in use and can not be deleted? problem solved with Pendrix.";

using K = ControlKind;
using C = Container;
constexpr ControlFont kSans = ControlFont::SansSerif975;
constexpr ControlFont kDefault = ControlFont::Default;

// Focus order: the replace page, the bottom row, the delete page, the start
// page. Frames come before their controls; labels and images take no focus,
// and each label comes right before its box. Mnemonics: I C R X on the
// bottom row, P D on the start page, S T W A on the replace page, O M Y on
// the delete page.
// Text3 lies outside the client area and takes no part in the focus order,
// so the focus never starts in a box nobody can see.
constexpr std::array kControls{
    ControlLayout{"Frame1", kFrame1, K::Frame, C::Window, "", nullptr, {120, 960, 5775, 2040}, kDefault, false},
    ControlLayout{"Image1", kImage1, K::Image, C::Frame1, "", nullptr, {225, 225, 480, 480}, kDefault, false},
    ControlLayout{"Label1(1)", kLabel1Index1, K::Label, C::Frame1, kDescription1, nullptr, {900, 135, 4275, 600},
                  kDefault, false},
    ControlLayout{"Label2", kLabel2, K::Label, C::Frame1, "Des&tination", "File to be replaced",
                  {315, 1260, 1050, 285}, kSans, false},
    ControlLayout{"Text2", kText2, K::TextBox, C::Frame1, "", nullptr, {1485, 1200, 3420, 285}},
    ControlLayout{"Label1(0)", kLabel1Index0, K::Label, C::Frame1, "&Source File", "Source file to replace old file",
                  {315, 855, 1095, 285}, kSans, false},
    ControlLayout{"Text1", kText1, K::TextBox, C::Frame1, "", nullptr, {1485, 810, 3420, 285}},
    ControlLayout{"Check1", kCheck1, K::CheckBox, C::Frame1, "Attempt forced replace &without reboot.",
                  "Attempts to force the file replace while Windows is running. No danger if failure.",
                  {360, 1710, 3105, 195}},
    ControlLayout{"Command2", kCommand2, K::Button, C::Frame1, "...", nullptr, {5040, 840, 375, 285}},
    ControlLayout{"Command3", kCommand3, K::Button, C::Frame1, "...", nullptr, {5040, 1200, 375, 285}},
    ControlLayout{"Command1", kCommand1, K::Button, C::Frame1, "&Apply", "Set file replace to occur at system reboot",
                  {3840, 1560, 915, 330}},
    ControlLayout{"Command6", kCommand6, K::Button, C::Window, "&Info", "About", {240, 3360, 1260, 330}},
    ControlLayout{"chameleonButton1", kChameleonButton1, K::Button, C::Window, "&Cancel All",
                  "Undo all changes made in this session", {1680, 3360, 1260, 330}},
    ControlLayout{"Command5", kCommand5, K::Button, C::Window, "&Restart", "Restart computer to apply changes",
                  {3120, 3360, 1260, 330}},
    ControlLayout{"Command4", kCommand4, K::Button, C::Window, "E&xit", nullptr, {4560, 3360, 1140, 330}},
    ControlLayout{"Frame2", kFrame2, K::Frame, C::Window, "", nullptr, {120, 1080, 5775, 2040}, kDefault, false},
    ControlLayout{"Image2", kImage2, K::Image, C::Frame2, "", nullptr, {225, 120, 480, 480}, kDefault, false},
    ControlLayout{"Label1(2)", kLabel1Index2, K::Label, C::Frame2, kDescription2, nullptr, {900, 0, 4275, 600},
                  kDefault, false},
    ControlLayout{"Command7", kCommand7, K::Button, C::Frame2, "Appl&y", "Set file deletion to occur at system reboot",
                  {3840, 1440, 915, 330}},
    ControlLayout{"Command9", kCommand9, K::Button, C::Frame2, "...", nullptr, {5160, 960, 375, 285}},
    ControlLayout{"Check2", kCheck2, K::CheckBox, C::Frame2, "Atte&mpt forced delete without reboot.",
                  "Attempts to delete the file while Windows is running. No danger if failure.",
                  {360, 1560, 3105, 195}},
    ControlLayout{"Label1(3)", kLabel1Index3, K::Label, C::Frame2, "File T&o Delete:", "File to be deleted",
                  {120, 960, 1335, 285}, kSans, false},
    ControlLayout{"Text4", kText4, K::TextBox, C::Frame2, "", nullptr, {1485, 960, 3540, 285}},
    ControlLayout{"Command8", kCommand8, K::FaceButton, C::Window, "Re&place A File", nullptr, {360, 2040, 2295, 375}},
    ControlLayout{"Command10", kCommand10, K::FaceButton, C::Window, "&Delete A File", nullptr,
                  {3000, 2040, 2535, 375}},
    ControlLayout{"Text3", kText3, K::TextBox, C::Window, "", nullptr, {7920, 2430, 3120, 240}, kDefault, false},
};

}  // namespace

std::span<const ControlLayout> Form1Controls() { return kControls; }

const ControlLayout* FindForm1Control(Form1ControlId id) {
    for (const ControlLayout& control : kControls) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

}  // namespace pendrix
