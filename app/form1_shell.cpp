// Form1's part in Explorer: the page its command line opens, and files
// dropped on its name boxes.
#include "app/Form1.h"

#include <commctrl.h>

#include <exception>

#include "app/dropped_files.h"

namespace pendrix {
namespace {

// The boxes that take a dropped file, with their labels as the messages
// name them.
struct DropBox {
    Form1ControlId id;
    const char* label;
};

constexpr DropBox kDropBoxes[] = {
    {kText1, "Source File"},
    {kText2, "Destination"},
    {kText4, "File To Delete"},
};

}  // namespace

void Form1::OpenFromCommandLine(const WindowArguments& arguments) {
    if (!arguments.refusal.empty()) {
        ShowMessage(arguments.refusal);
        return;
    }
    if (arguments.page == StartPage::Start) return;
    // The page's controls now, before the first message is handled.
    CompleteWindow();
    if (arguments.page == StartPage::Replace) {
        Replace_Click();
        Text(kText2, arguments.path);
        // The file to replace is given: what is left to name is its source.
        GiveFocus(kText1);
    } else {
        Delete_Click();
        Text(kText4, arguments.path);
        GiveFocus(kText4);
    }
}

void Form1::AcceptDroppedFiles() {
    for (const DropBox& box : kDropBoxes) {
        const HWND control = Control(box.id);
        if (control == nullptr) continue;
        // What DragAcceptFiles does, without loading shell32 at start.
        SetWindowLongPtrW(control, GWL_EXSTYLE, GetWindowLongPtrW(control, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
        SetWindowSubclass(control, DropBoxProc, static_cast<UINT_PTR>(box.id), reinterpret_cast<DWORD_PTR>(this));
        // An elevated window hears a drop from Explorer, which is not
        // elevated, only when it lets these messages through; no others.
        for (const std::uint32_t message : kDropMessages)
            dropApi_.AllowMessage(reinterpret_cast<std::intptr_t>(control), message);
    }
}

LRESULT CALLBACK Form1::DropBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR form) noexcept {
    if (message == WM_DROPFILES) {
        try {
            reinterpret_cast<Form1*>(form)->OnDropFiles(static_cast<Form1ControlId>(id),
                                                        static_cast<std::intptr_t>(wParam));
        } catch (const std::exception&) {
            // The drop is skipped; the box stays as it was.
        }
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(box, DropBoxProc, id);
    return DefSubclassProc(box, message, wParam, lParam);
}

void Form1::OnDropFiles(Form1ControlId box, std::intptr_t drop) {
    std::vector<std::string> names;
    dropApi_.TakeDroppedNames(drop, names);
    const char* label = "";
    for (const DropBox& candidate : kDropBoxes)
        if (candidate.id == box) label = candidate.label;
    // The drop is taken (and released) even for a hidden box, which then
    // stays as it was.
    const DroppedName chosen = ChooseDroppedName(names, label, IsWindowVisible(Control(box)) != FALSE);
    if (chosen.name.empty()) return;
    Text(box, chosen.name);
    GiveFocus(box);
    if (!chosen.message.empty()) ShowMessage(chosen.message);
}

}  // namespace pendrix
