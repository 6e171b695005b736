#include "about/about_layout.h"

#include <array>

#include "common/version.h"

namespace pendrix {
namespace {

constexpr const char* kTitle =
    "Korvane Pendrix - Be very Careful. File deletions made by this utility can not be undone.";
constexpr const char* kDescription =
    "This utility allows the user to replace, or delete files that are in use by the system, and can't be "
    "replaced, or deleted normally, such as corrupt system files. Can also be used to delete Trojan Virii that "
    "are locked by the system. Changes occur at system reboot..";
// Microsoft's own catalogue of Windows updates: the official source of
// Windows system files and libraries.
constexpr const char* kDisclaimer =
    "Many system and dll files can be downloaded free from https://www.catalog.update.microsoft.com";

constexpr std::array kControls{
    AboutControlLayout{"picIcon", kPicIcon, AboutKind::Picture, "", {240, 240, 480, 480}, kSystemTextColour},
    AboutControlLayout{"lblTitle", kLblTitle, AboutKind::Label, kTitle, {960, 240, 4125, 480}, 0x000000},
    AboutControlLayout{"lblVersion", kLblVersion, AboutKind::Label, PENDRIX_VERSION_SHOWN, {960, 780, 4125, 225},
                       kSystemTextColour},
    AboutControlLayout{"lblDescription", kLblDescription, AboutKind::Label, kDescription, {840, 1125, 4125, 1170},
                       0x000000},
    AboutControlLayout{"lblDisclaimer", kLblDisclaimer, AboutKind::Label, kDisclaimer, {255, 2760, 3870, 705},
                       0x000000},
    AboutControlLayout{"cmdOK", kCmdOK, AboutKind::Button, "OK", {4245, 2880, 1260, 345}, kSystemTextColour},
};

constexpr std::array kLines{
    AboutLine{90, 2445, 5654, 2445, 0x808080, 1},
    AboutLine{105, 2460, 5654, 2460, 0xFFFFFF, 2},
};

}  // namespace

std::span<const AboutLine> AboutLines() { return kLines; }

std::span<const AboutControlLayout> AboutControls() { return kControls; }

}  // namespace pendrix
