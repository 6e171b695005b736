// Pendrix.exe: the program starts by creating Form1, and runs until its
// window is gone.
#include <windows.h>

#include "app/Form1.h"
#include "app/window_arguments.h"
#include "common/command_line.h"
#include "common/wide_text.h"
#include "common/message_loop.h"
#include "platform/system_dlls_only.h"

// The C runtime's entry point, which runs WinMain.
extern "C" int WinMainCRTStartup();

// The program's entry point (the linker's, app/CMakeLists.txt): from its
// first instruction no DLL is looked for beside the program; then the C
// runtime starts.
extern "C" int PendrixEntry() {
    pendrix::LoadDllsFromSystemFolderOnly();
    return WinMainCRTStartup();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The whole command line, in UTF-16: split as Windows splits it, the
    // program's name dropped.
    std::vector<std::string> arguments = pendrix::SplitCommandLine(pendrix::TextOfWide(GetCommandLineW()));
    arguments.erase(arguments.begin());
    const pendrix::WindowArguments asked = pendrix::ParseWindowArguments(arguments);
    if (asked.usage) {
        MessageBoxW(nullptr, pendrix::WideText(pendrix::WindowUsageText()).c_str(),
                    pendrix::WideText(pendrix::kMessageCaption).c_str(), MB_OK);
        return 0;
    }
    pendrix::Form1 form(pendrix::SystemRegistryApi(), pendrix::SystemFileDialogApi(), pendrix::SystemShutdownApi());
    if (!form.Create(instance)) return 1;
    form.Show();
    form.OpenFromCommandLine(asked);
    return pendrix::RunMessageLoop();
}
