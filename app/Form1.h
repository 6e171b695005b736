// Form1: the main window and the whole life of the program. It owns the
// registry object and the file dialog, takes the snapshot of the pending
// rename list at load, shows one of three pages, and ends the program.
#pragma once

// First, so that winuser.h's ExitWindows macro stays removed.
#include "platform/cls_exitWindows.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "window/gdi_handles.h"
#include "window/window_instance.h"
#include "platform/cFileDialog.h"
#include "platform/drop_api.h"
#include "platform/file_dialog_api.h"
#include "platform/shutdown_api.h"
#include "registry/RegistryRoutines.h"
#include "registry/registry_api.h"
#include "registry/registry_constants.h"
#include "registry/registry_data.h"
#include "app/form1_layout.h"
#include "app/command_messages.h"
#include "app/window_arguments.h"
#include "scheduler/file_commands.h"
#include "scheduler/trusted_list_lock.h"
#include "platform/file_system_api.h"
#include "pending_list/pending_rename_list.h"

namespace pendrix {

// The caption of every message box of the program.
inline constexpr const char* kMessageCaption = "Pendrix";

class Form1 {
public:
    Form1(RegistryApi& registryApi, FileDialogApi& fileDialogApi, ShutdownApi& shutdownApi,
          FileSystemApi& fileSystemApi = SystemFileSystemApi(), DropApi& dropApi = SystemDropApi());
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Creates the window, still hidden, with its controls; Form_Load runs;
    // the window is sized for its DPI and centred on the screen. False when
    // the window could not be created.
    bool Create(HINSTANCE instance);
    // Shows the window on its start page with the focus on Command6.
    void Show();
    // After Show: the page the command line asks for, with its name in the
    // box, or the start page and a message saying what was not understood.
    // Nothing is done until Apply is pressed.
    void OpenFromCommandLine(const WindowArguments& arguments);

    HWND Window() const noexcept { return hwnd_; }
    HWND Control(Form1ControlId id) const;

    // The controls as the commands use them. Texts are the program's 8-bit
    // text; a text box keeps only what comes before the first NUL.
    std::string Text(Form1ControlId box) const;
    void Text(Form1ControlId box, std::string_view text);
    bool Ticked(Form1ControlId checkBox) const;
    void GiveFocus(Form1ControlId control);
    // Every message of the program: modal to this window, caption "Pendrix",
    // one OK button, no icon.
    void ShowMessage(std::string_view text);
    // A question with Yes and No, No the default; whether Yes was chosen.
    bool AskYesNo(std::string_view question);

    // Whether m_FileDialog is held: from load to unload.
    bool FileDialogLoaded() const noexcept { return m_FileDialog != nullptr; }
    const PendingListRead& PendingAtLaunch() const noexcept { return m_PendingAtLaunch; }

    // Session, pages and exits.
    void Form_Load();
    void Form_Unload();
    void Replace_Click();    // the menu item "Replace A File"
    void Delete_Click();     // the menu item "Delete A File"
    void Command8_Click();   // "Replace A File" on the start page
    void Command10_Click();  // "Delete A File" on the start page
    void Command4_Click();   // "Exit"
    void Exit_Click();       // the menu item "Exit"
    // Restart and Info.
    void Command5_Click();   // "Restart"
    void Command6_Click();   // "Info"
    // Apply, Cancel All and the "..." buttons.
    void Command1_Click();   // "Apply" on the replace page
    void Command7_Click();   // "Apply" on the delete page
    void chameleonButton1_Click();  // "Cancel All"
    void Command2_Click();   // "..." beside Source File (Text1)
    void Command3_Click();   // "..." beside Destination (Text2)
    void Command9_Click();   // "..." beside File To Delete (Text4)

private:
    template <typename Window>
    friend LRESULT CALLBACK InstanceWindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    void Attach(HWND window) noexcept;
    void Detach() noexcept;
    static LRESULT CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static void RegisterClasses(HINSTANCE instance);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs the command of a control or menu item; an exception it throws
    // becomes one message.
    // code: the notification (BN_CLICKED, EN_SETFOCUS, ...).
    void OnCommand(int id, int code);
    void RunCommand(int id);
    void OnActivate(WPARAM wParam);
    // The button Enter presses: the focused button, else the shown page's
    // Apply; 0 on the start page away from its buttons.
    Form1ControlId DefaultButton() const;
    // Gives the default-button frame to DefaultButton only.
    void ShowDefaultButton();
    // WM_NEXTDLGCTL: the focus to wParam (given), or to the next or previous
    // control that takes it.
    void OnNextControl(WPARAM wParam, bool given);
    // WM_ENDSESSION: ending is false when the session goes on after all.
    void OnEndSession(bool ending);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    LRESULT OnControlColour(HDC dc, HWND control);
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    void PaintBackground(HDC dc) const;

    // Fills box with the file chosen in the open dialog; a cancel leaves it
    // as it was.
    void BrowseInto(Form1ControlId box);
    // Says so, and gives it the focus, when box holds more than the longest
    // name Windows accepts; true then.
    bool RefuseTooLong(CommandKind kind, Form1ControlId box, const char* label);
    // Shows what a replace or delete command did, and clears what a
    // scheduling clears.
    void ShowCommandResult(CommandKind kind, const CommandResult& result, Form1ControlId focusAfterScheduling);

    // The menu bar, for the window to be made with.
    HMENU CreateMenuBar();
    // The controls that sit on the window itself, or those inside the two
    // pages.
    void CreateControls(bool pageControls);
    // The pages' controls and the tooltips, once the window shows.
    void CompleteWindow();
    // Lets the three name boxes take files dropped on them (form1_shell.cpp).
    void AcceptDroppedFiles();
    static LRESULT CALLBACK DropBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR form) noexcept;
    // Puts the name dropped on box into it; several dropped: the first, and says so.
    void OnDropFiles(Form1ControlId box, std::intptr_t drop);
    void CreateTooltips();
    void AddTooltip(HWND control, const char* text);
    // The two fonts for dpi, which becomes the window's.
    void CreateFonts(UINT dpi);
    HFONT FontOf(const ControlLayout& layout) const;
    // The window's size for its client area at the window's dpi.
    void SizeWindow();
    // Fonts, control rectangles and window size for a new dpi.
    void ApplyDpi(UINT dpi);
    void CentreOnScreen();
    void SetVisible(Form1ControlId id, bool visible);
    HWND ContainerWindow(Container container) const;

    RegistryApi& registryApi_;
    FileDialogApi& fileDialogApi_;
    ShutdownApi& shutdownApi_;
    FileSystemApi& fileSystemApi_;
    DropApi& dropApi_;
    // The list's mutex, waited on only when SYSTEM or the administrators own it.
    TrustedListLock listLock_{SystemListLock()};

    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND lastFocus_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    // A restart was asked for and Windows accepted the request.
    bool restartRequested_ = false;
    struct CreatedControl {
        Form1ControlId id;
        HWND window;
    };
    std::vector<CreatedControl> controls_;

    UniqueFont defaultFont_;
    UniqueFont sansSerifFont_;
    UniqueBrush windowBrush_;
    UniqueBrush frameBrush_;
    UniqueBrush faceBrush_;
    UniqueBitmap background_;
    UniqueIcon pageIcon_;

    // The session's state.
    std::unique_ptr<RegistryRoutines> m_Registry;
    std::unique_ptr<cFileDialog> m_FileDialog;
    PendingListRead m_PendingAtLaunch;
    // The replace, delete and undo commands of this session.
    std::unique_ptr<FileCommands> m_Commands;
};

}  // namespace pendrix
