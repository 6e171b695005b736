// Pendrix.exe: the program starts by creating Form1, and runs until its
// window is gone.
#include <windows.h>

#include "common/message_loop.h"
#include "app/Form1.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    pendrix::Form1 form(pendrix::SystemRegistryApi(), pendrix::SystemFileDialogApi(), pendrix::SystemShutdownApi());
    if (!form.Create(instance)) return 1;
    form.Show();
    return pendrix::RunMessageLoop();
}
