#include "tests/wine/dialog_driver.h"

#include <commdlg.h>
#include <dlgs.h>

#include <thread>
#include "common/wide_text.h"

namespace pendrix::wine {
namespace {

constexpr DWORD kPollIntervalMs = 20;
constexpr char kDialogClass[] = "#32770";
// The id of a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

bool HasClass(HWND window, const char* className) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return lstrcmpiA(name, className) == 0;
}

BOOL CALLBACK FindOwnDialog(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && HasClass(window, kDialogClass)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM search) {
    auto& owned = *reinterpret_cast<OwnedSearch*>(search);
    if (GetWindow(window, GW_OWNER) != owned.owner || !IsWindowVisible(window) || !HasClass(window, kDialogClass))
        return TRUE;
    owned.found = window;
    return FALSE;
}

BOOL CALLBACK FindEdit(HWND window, LPARAM found) {
    if (!HasClass(window, "Edit")) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

struct ProcessWindowSearch {
    const wchar_t* className;
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindWindowOfProcess(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<ProcessWindowSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (process != search.process || !IsWindowVisible(window) || lstrcmpiW(name, search.className) != 0) return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

HWND FindProcessWindow(const wchar_t* className, DWORD process) {
    ProcessWindowSearch search{className, process, nullptr};
    EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > deadline) return false;
        Sleep(kPollIntervalMs);
    }
    return true;
}

HWND FileNameEdit(HWND dialog) {
    HWND edit = nullptr;
    EnumChildWindows(GetDlgItem(dialog, cmb13), FindEdit, reinterpret_cast<LPARAM>(&edit));
    return edit;
}

HWND FileTypeCombo(HWND dialog) { return GetDlgItem(dialog, cmb1); }

HWND FindControl(HWND window, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            if (GetDlgCtrlID(child) != s.id) return TRUE;
            s.found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string CurrentFolder(HWND dialog) {
    // The dialog's own messages are not converted between A and W: the
    // program's dialogs are W dialogs and answer in UTF-16.
    std::wstring folder(MAX_PATH, L'\0');
    const LRESULT length = SendMessageW(dialog, CDM_GETFOLDERPATH, folder.size(), reinterpret_cast<LPARAM>(folder.data()));
    folder.resize(length > 0 ? static_cast<std::size_t>(length) - 1 : 0);  // the length counts the NUL
    return TextOfWide(folder);
}

void TypeFileName(HWND dialog, const std::string& text) {
    SendMessageA(FileNameEdit(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::vector<std::string> FileTypes(HWND dialog) {
    const HWND combo = FileTypeCombo(dialog);
    std::vector<std::string> types;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        std::string text(static_cast<std::size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, index, 0)) + 1, '\0');
        text.resize(static_cast<std::size_t>(
            SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
        types.push_back(text);
    }
    return types;
}

void PickFileType(HWND dialog, int index) {
    const HWND combo = FileTypeCombo(dialog);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // What the list tells its dialog when the user picks an entry.
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
}

HWND FindMessageBox(HWND owner) {
    OwnedSearch search{owner, nullptr};
    EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForPopup(HWND owner, DWORD timeoutMs) {
    HWND popup = nullptr;
    WaitUntil([&] { return (popup = FindMessageBox(owner)) != nullptr; }, timeoutMs);
    return popup;
}

MessageBoxSeen ReadMessageBox(HWND box) {
    MessageBoxSeen seen;
    seen.caption = TextOf(box);
    seen.text = TextOf(GetDlgItem(box, kMessageBoxTextId));
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        if (HasClass(child, "Button")) {
            ++seen.buttons;
            seen.buttonIds.push_back(GetDlgCtrlID(child));
            if ((GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                seen.defaultButton = GetDlgCtrlID(child);
        }
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (HasClass(child, "Static") && (style & SS_TYPEMASK) == SS_ICON && SendMessageW(child, STM_GETICON, 0, 0) != 0)
            seen.icon = true;
    }
    return seen;
}

std::vector<MessageBoxSeen> AnswerMessageBoxes(HWND owner, const std::function<void()>& action) {
    return AnswerMessageBoxes(owner, action, [](const MessageBoxSeen&) { return IDOK; });
}

std::vector<MessageBoxSeen> AnswerMessageBoxes(HWND owner, const std::function<void()>& action,
                                               const std::function<int(const MessageBoxSeen&)>& answer) {
    std::vector<MessageBoxSeen> seen;
    std::atomic<bool> actionReturned{false};
    std::thread user([&] {
        for (;;) {
            HWND box = nullptr;
            // A box keeps the action from returning until it is answered,
            // and the action's return ends the watch.
            if (!WaitUntil([&] { return (box = FindMessageBox(owner)) != nullptr || actionReturned; },
                           kDialogDeadlineMs)) {
                // Neither: a box of another owner may hold the action.
                box = FindProcessWindow(L"#32770");
                if (box == nullptr) continue;
                MessageBoxSeen stray = ReadMessageBox(box);
                stray.caption = L"(not owner's) " + stray.caption;
                seen.push_back(stray);
                Press(box, IDOK);
                WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
                continue;
            }
            if (box == nullptr) return;
            seen.push_back(ReadMessageBox(box));
            Press(box, answer(seen.back()));
            WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
        }
    });
    action();
    actionReturned = true;
    user.join();
    return seen;
}

DialogDriver::DialogDriver(Script script) : thread_([this, script] { Run(script); }) {}

DialogDriver::~DialogDriver() { Finish(); }

void DialogDriver::Finish() {
    shown_ = true;
    if (thread_.joinable()) thread_.join();
}

void DialogDriver::Run(const Script& script) {
    HWND dialog = nullptr;
    // The dialog is looked for while the call that shows it runs.
    const bool settled = WaitUntil(
        [&] {
            EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&dialog));
            return (dialog != nullptr && FileNameEdit(dialog) != nullptr) || shown_;
        },
        kDialogDeadlineMs);
    found_ = dialog != nullptr && FileNameEdit(dialog) != nullptr;
    if (!found_) {
        // A dialog without the file-name box (or none) holds the call: it is
        // cancelled, so that the call returns and the test fails.
        if (!settled && dialog != nullptr) Press(dialog, IDCANCEL);
        return;
    }
    dialog_ = dialog;
    script(dialog);
    closedByScript_ = WaitUntil([&] { return !IsWindow(dialog); });
    if (closedByScript_) return;
    // The script left the dialog open: close whatever it shows and cancel it.
    for (HWND popup = FindMessageBox(dialog); popup != nullptr; popup = FindMessageBox(dialog)) {
        Press(popup, IDOK);
        if (!WaitUntil([&] { return !IsWindow(popup); })) break;
    }
    Press(dialog, IDCANCEL);
    WaitUntil([&] { return !IsWindow(dialog); });
}

}  // namespace pendrix::wine
