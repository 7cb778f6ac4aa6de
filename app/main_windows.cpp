// pernadas.exe: the Windows desktop program. Takes no arguments, reads and writes no files.
#include "display/win32/win32host.h"
#include "shell/shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    formswin32::Win32Host host(instance);
    forms::FormsRuntime runtime(host);
    host.attach(runtime);
    forms::Form& start = shell::addProgramForms(runtime);
    runtime.start(start);
    // The program ends when no form is loaded after an event, not when a window closes.
    return host.run();
}
