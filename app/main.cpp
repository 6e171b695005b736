// Pendrix.exe: the program starts by creating Form1, and runs until its
// window is gone.
#include <windows.h>

#include "app/Form1.h"
#include "window/message_loop.h"
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
    pendrix::Form1 form(pendrix::SystemRegistryApi(), pendrix::SystemFileDialogApi(), pendrix::SystemShutdownApi());
    if (!form.Create(instance)) return 1;
    form.Show();
    return pendrix::RunMessageLoop();
}
