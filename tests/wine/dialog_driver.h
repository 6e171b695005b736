// Plays the user of a common dialog that the test's own thread is about to
// show: a second thread waits for the dialog of this process, acts on its
// controls as a user would, and makes sure the dialog closes in the end, so
// that a failed step fails the test instead of hanging it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace pendrix::wine {

// How long a test waits for a dialog or message box to come.
inline constexpr DWORD kDialogDeadlineMs = 60000;

// Waits for condition by bounded polling; false when it did not come true.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 20000);

// The controls of the explorer-style dialog.
HWND FileNameEdit(HWND dialog);
HWND FileTypeCombo(HWND dialog);

// A window's text, read whole with the W function.
std::wstring TextOf(HWND window);

// The visible top-level window of class className that process owns (by
// default this one), or null: never another program's window of the class.
HWND FindProcessWindow(const wchar_t* className, DWORD process = GetCurrentProcessId());

// The child (at any depth) of window whose control id is id; null when none.
HWND FindControl(HWND window, int id);
// The folder the dialog shows (CDM_GETFOLDERPATH).
std::string CurrentFolder(HWND dialog);
void TypeFileName(HWND dialog, const std::string& text);
// Clicks a push button (IDOK, IDCANCEL) of a dialog or message box.
void Press(HWND dialog, int id);
// The entries the file-type list shows.
std::vector<std::string> FileTypes(HWND dialog);
// Selects entry index of the file-type list, as a click on it would.
void PickFileType(HWND dialog, int index);
// A message box that owner brought up and shows now (a dialog of class
// #32770 that owner owns), or null. Wine's GetWindow with GW_ENABLEDPOPUP
// does not find a common dialog's message boxes.
HWND FindMessageBox(HWND owner);
// The message box owner brought up, or null when none came in time.
HWND WaitForPopup(HWND owner, DWORD timeoutMs = 20000);

// What a message box showed: its caption and text, how many buttons, and
// whether it showed an icon.
struct MessageBoxSeen {
    std::wstring caption;
    std::wstring text;
    int buttons = 0;
    std::vector<int> buttonIds;  // in the box's order (IDOK, IDYES, IDNO, ...)
    int defaultButton = 0;       // the id of the default push button
    bool icon = false;
};
MessageBoxSeen ReadMessageBox(HWND box);

// Runs action on this thread while a second thread plays the user of every
// message box that owner brings up meanwhile: reads it and presses OK. A
// message box is modal, so none can come after action has returned: that
// ends the watch, without a guessed wait. The boxes, in the order shown. A
// box of this process that another window owns, seen when the action has
// not returned within kDialogDeadlineMs, is answered too and listed with
// its caption after "(not owner's) ", so that the test fails instead of
// hanging.
std::vector<MessageBoxSeen> AnswerMessageBoxes(HWND owner, const std::function<void()>& action);
// The same, pressing the button answer chooses for each box (its id).
std::vector<MessageBoxSeen> AnswerMessageBoxes(HWND owner, const std::function<void()>& action,
                                               const std::function<int(const MessageBoxSeen&)>& answer);

class DialogDriver {
public:
    using Script = std::function<void(HWND dialog)>;

    explicit DialogDriver(Script script);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // Call once the call that shows the dialog has returned: until then the
    // thread watches for the dialog, however late it comes. Joins the
    // thread; then tells whether the dialog came up and whether it closed on
    // its own after the script, without being cancelled by force.
    void Finish();
    bool FoundDialog() const { return found_; }
    bool ClosedByScript() const { return closedByScript_; }
    HWND Dialog() const { return dialog_; }

private:
    void Run(const Script& script);

    std::atomic<bool> shown_{false};  // the call showing the dialog returned
    HWND dialog_ = nullptr;
    bool found_ = false;
    bool closedByScript_ = false;
    std::thread thread_;  // last: it starts once the members above are set
};

}  // namespace pendrix::wine
