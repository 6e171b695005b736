// The main window's layout as data: the window's client size, and every
// control with its name, kind, container, text, tooltip and rectangle in
// twips. The controls are listed in keyboard focus order, which is also the
// order they are created in (Tab follows creation order).
#pragma once

#include <span>

#include "common/twips.h"

namespace pendrix {

// Control ids. None is IDOK (1) or IDCANCEL (2): Enter and Esc in a text
// box send those, and the main window has no default or cancel button.
enum Form1ControlId : int {
    kFrame1 = 100,
    kFrame2,
    kText2,
    kText1,
    kCheck1,
    kCommand2,
    kCommand3,
    kCommand1,
    kCommand6,
    kChameleonButton1,
    kCommand5,
    kCommand4,
    kCommand7,
    kCommand9,
    kCheck2,
    kText4,
    kCommand8,
    kCommand10,
    kText3,
    kImage1,
    kLabel1Index1,
    kLabel1Index0,
    kLabel2,
    kImage2,
    kLabel1Index2,
    kLabel1Index3,
};

// Menu item ids.
enum Form1MenuId : int {
    kMenuReplace = 200,
    kMenuDelete,
    kMenuExit,
};

enum class ControlKind {
    Button,      // push button
    FaceButton,  // push button with its own face colour, drawn by the window
    TextBox,     // single-line edit box
    CheckBox,
    Label,       // transparent static text
    Frame,       // caption-less page holding controls
    Image,       // the page icon at its own size
};

enum class Container { Window, Frame1, Frame2 };

enum class ControlFont {
    Default,        // the window's default font
    SansSerif975,   // MS Sans Serif, 9.75 pt, regular
};

struct ControlLayout {
    const char* name;
    Form1ControlId id;
    ControlKind kind;
    Container container;
    const char* text;     // UTF-8
    const char* tooltip;  // null: none
    TwipsRect rect;
    ControlFont font = ControlFont::Default;
    bool tabStop = true;
};

inline constexpr TwipsRect kForm1ClientTwips{0, 0, 6000, 4500};

// Colours, 0xRRGGBB.
inline constexpr unsigned kForm1Background = 0xFFFFFF;
inline constexpr unsigned kFrameBackground = 0xE0E0E0;
inline constexpr unsigned kFaceButtonColour = 0x808080;
inline constexpr unsigned kFaceButtonTextColour = 0xFFFFFF;
inline constexpr unsigned kLabelTextColour = 0x404040;

inline constexpr const char* kForm1Caption = "Korvane Pendrix";
// Captions carry their mnemonic as "&" before its letter; the letters of
// the controls that show together are all different, and none is F (the
// menu bar's File).
inline constexpr const char* kMenuFileCaption = "&File";
inline constexpr const char* kMenuReplaceCaption = "&Replace A File";
inline constexpr const char* kMenuDeleteCaption = "&Delete A File";
inline constexpr const char* kMenuExitCaption = "E&xit";

// Every control of the main window, in focus order; a label comes right
// before the box it names, so that its mnemonic moves the focus there.
std::span<const ControlLayout> Form1Controls();

// The control with this id, or null.
const ControlLayout* FindForm1Control(Form1ControlId id);

}  // namespace pendrix
