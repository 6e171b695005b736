// What Pendrix.exe's command line asks of the window: nothing (the start
// page), a page opened with a name in its box, or the usage. Nothing is
// replaced or deleted from the command line: the user presses Apply as
// when the box was typed. What is not understood opens the start page with
// one message saying what it was.
#pragma once

#include <string>
#include <vector>

namespace pendrix {

enum class StartPage { Start, Replace, Delete };

struct WindowArguments {
    StartPage page = StartPage::Start;
    std::string path;        // Replace: the Destination; Delete: the File To Delete
    bool usage = false;      // /?: show the usage, and open no window
    std::string refusal;     // not empty: what was not understood, as the message says it
};

// arguments: the command line's arguments after the program's name
// (common/command_line.h). Switches begin with "/" or "-", in any letter
// case.
WindowArguments ParseWindowArguments(const std::vector<std::string>& arguments);

// The usage, as /? shows it.
const char* WindowUsageText();

}  // namespace pendrix
