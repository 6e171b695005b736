#include "app/window_arguments.h"

#include <string_view>

namespace pendrix {
namespace {

constexpr const char* kRefusalEnd =
    " Pendrix opens on its start page; \"Pendrix.exe /?\" shows the command line it understands.";

struct PageSwitch {
    const char* name;  // without its "/" or "-"
    StartPage page;
};

constexpr PageSwitch kPageSwitches[] = {
    {"replace", StartPage::Replace},
    {"delete", StartPage::Delete},
};

bool IsSwitchStart(char c) { return c == '/' || c == '-'; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool IsUsageSwitch(const std::string& argument) {
    return argument.size() == 2 && IsSwitchStart(argument[0]) && argument[1] == '?';
}

const PageSwitch* FindPageSwitch(const std::string& argument) {
    if (argument.empty() || !IsSwitchStart(argument[0])) return nullptr;
    for (const PageSwitch& candidate : kPageSwitches)
        if (EqualIgnoringCase(std::string_view(argument).substr(1), candidate.name)) return &candidate;
    return nullptr;
}

WindowArguments Refuse(std::string what) {
    WindowArguments refused;
    refused.refusal = std::move(what) + kRefusalEnd;
    return refused;
}

std::string Quoted(const std::string& text) {
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    return quoted;
}

}  // namespace

WindowArguments ParseWindowArguments(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (IsUsageSwitch(argument)) {
            WindowArguments usage;
            usage.usage = true;
            return usage;
        }
    }
    if (arguments.empty()) return {};

    const PageSwitch* page = FindPageSwitch(arguments[0]);
    if (page == nullptr) return Refuse("Pendrix did not understand " + Quoted(arguments[0]) + " on its command line.");
    if (arguments.size() == 1)
        return Refuse(Quoted(arguments[0]) + " needs the name of a file after it.");
    if (arguments[1].empty()) return Refuse(Quoted(arguments[0]) + " is followed by an empty name.");
    if (arguments.size() > 2) {
        std::string rest;
        for (std::size_t i = 2; i < arguments.size(); ++i) {
            if (i > 2) rest += ' ';
            rest += Quoted(arguments[i]);
        }
        return Refuse("Pendrix did not understand " + rest + " after " + Quoted(arguments[1]) +
                      " on its command line (a name with blanks needs quotation marks around it).");
    }
    WindowArguments opened;
    opened.page = page->page;
    opened.path = arguments[1];
    return opened;
}

const char* WindowUsageText() {
    return "Usage: Pendrix.exe [/replace FILE | /delete FILE]\r\n"
           "\r\n"
           "/replace FILE\topens the replace page with FILE as the Destination, the file to replace.\r\n"
           "/delete FILE\topens the delete page with FILE as the File To Delete.\r\n"
           "/?\t\tshows this text.\r\n"
           "\r\n"
           "Without them Pendrix opens on its start page. Nothing is replaced or deleted until you press "
           "Apply. A name with blanks needs quotation marks around it.";
}

}  // namespace pendrix
