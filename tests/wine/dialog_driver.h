// Plays the user of a common dialog that the test's own thread is about to
// show: a second thread waits for the dialog of this process, acts on its
// controls as a user would, and makes sure the dialog closes in the end, so
// that a failed step fails the test instead of hanging it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace pendrix::wine {

// Waits for condition by bounded polling; false when it did not come true.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 20000);

// The controls of the explorer-style dialog.
HWND FileNameEdit(HWND dialog);
HWND FileTypeCombo(HWND dialog);

std::string WindowText(HWND window);
// The folder the dialog shows (CDM_GETFOLDERPATH).
std::string CurrentFolder(HWND dialog);
void TypeFileName(HWND dialog, const std::string& text);
// Clicks a push button (IDOK, IDCANCEL) of a dialog or message box.
void Press(HWND dialog, int id);
// The entries the file-type list shows.
std::vector<std::string> FileTypes(HWND dialog);
// Selects entry index of the file-type list, as a click on it would.
void PickFileType(HWND dialog, int index);
// The message box the dialog brought up, or null when none came.
HWND WaitForPopup(HWND dialog, DWORD timeoutMs = 20000);

class DialogDriver {
public:
    using Script = std::function<void(HWND dialog)>;

    explicit DialogDriver(Script script);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // Joins the thread; then tells whether the dialog came up and whether it
    // closed on its own after the script, without being cancelled by force.
    void Finish();
    bool FoundDialog() const { return found_; }
    bool ClosedByScript() const { return closedByScript_; }
    HWND Dialog() const { return dialog_; }

private:
    void Run(const Script& script);

    std::thread thread_;
    HWND dialog_ = nullptr;
    bool found_ = false;
    bool closedByScript_ = false;
};

}  // namespace pendrix::wine
