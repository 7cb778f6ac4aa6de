#include "shell/shell.h"

#include "about/acerca.h"
#include "calculators/duaspernas.h"
#include "calculators/quatropernas.h"
#include "calculators/trespernas.h"

namespace shell {

using namespace forms;

frmsplashscreen::frmsplashscreen(FormsRuntime& runtime) : Form(runtime, describe()) {}

// The splash gives way to the main menu. Unloading first stops the timer; the program does not
// end in between, since the check for loaded forms comes after the handler.
void frmsplashscreen::Timer1_Timer() {
    Unload();
    Show("frmmain");
}

frmmain::frmmain(FormsRuntime& runtime) : Form(runtime, describe()) {}

void frmmain::command1_Click() {
    Show("frmduaspernas");
    Unload();
}

void frmmain::command2_Click() {
    Show("frmtrespernas");
    Unload();
}

void frmmain::Command3_Click() {
    Show("frmquatropernas");
    Unload();
}

// The about dialog opens beside the menu; if it is open already, it only comes to the front.
void frmmain::Command6_Click() {
    Show("frmacerca");
}

void frmmain::Command5_Click() {
    Unload();
}

Form& addProgramForms(FormsRuntime& runtime) {
    Form& splash = runtime.add<frmsplashscreen>();
    runtime.add<frmmain>();
    runtime.add<calculators::frmduaspernas>();
    runtime.add<calculators::frmtrespernas>();
    runtime.add<calculators::frmquatropernas>();
    runtime.add<about::frmacerca>(about::machinePlatform());
    return splash;
}

}  // namespace shell
