#include "shell/shell.h"

#include "about/acerca.h"
#include "calculators/duaspernas.h"
#include "calculators/quatropernas.h"
#include "calculators/trespernas.h"
#include "forms/fonts.h"

namespace shell {

using namespace forms;

namespace {

using Splash = frmsplashscreen;

constexpr ControlDesc kSplashControls[] = {
    {.name = "Frame1", .kind = Kind::Frame, .left = 120, .top = 0, .width = 6255, .height = 3735},
    {.name = "Frame2",
     .kind = Kind::Frame,
     .container = "Frame1",
     .left = 705,
     .top = 1830,
     .width = 4965,
     .height = 675},
    {.name = "C",
     .kind = Kind::Label,
     .container = "Frame2",
     .left = 225,
     .top = 120,
     .width = 4590,
     .height = 510,
     .caption = "Cálculo de Comprimento",
     .font = kHeading},
    {.name = "Label1",
     .kind = Kind::Label,
     .container = "Frame1",
     .left = 1890,
     .top = 840,
     .width = 3075,
     .height = 495,
     .caption = "RIBEIRA",
     .font = kTitling,
     .fore = 0x0000FF},
    {.name = "Label2",
     .kind = Kind::Label,
     .container = "Frame1",
     .left = 1920,
     .top = 1320,
     .width = 4095,
     .height = 375,
     .caption = "Lingas Ribeira, Equipamentos de Elevação, Lda.",
     .font = kSansBold,
     .fore = 0x0000FF},
    {.name = "Label4",
     .kind = Kind::Label,
     .container = "Frame1",
     .left = 4680,
     .top = 2880,
     .width = 1215,
     .height = 255,
     .caption = "Versão " PERNADAS_VERSION,
     .font = kSansLarge},
    {.name = "Label5",
     .kind = Kind::Label,
     .container = "Frame1",
     .left = 4560,
     .top = 3240,
     .width = 1575,
     .height = 255,
     .caption = "por Marta Ribeiro",
     .font = kSansBold},
    {.name = "Image1",
     .kind = Kind::Image,
     .container = "Frame1",
     .left = 240,
     .top = 480,
     .width = 1440,
     .height = 1125,
     .accessibleName = "Emblema da Lingas Ribeira",
     .picture = "emblem"},
    {.name = Splash::kTimer,
     .kind = Kind::Timer,
     .interval = 4000,
     .handler = handler<&Splash::Timer1_Timer>},
};

constexpr FormDesc kSplash{.name = "frmsplashscreen",
                           .accessibleName = "Pernadas, versão 2.2: a abrir",
                           .style = WindowStyle::Bare,
                           .clientWidth = 6495,
                           .clientHeight = 3900,
                           .font = kSans,
                           .controls = kSplashControls};

using Menu = frmmain;

constexpr ControlDesc kMenuControls[] = {
    {.name = Menu::kTwoLegsButton,
     .kind = Kind::Button,
     .left = 840,
     .top = 240,
     .width = 1455,
     .height = 615,
     .tabIndex = 1,
     .caption = "2 Pernadas",
     .font = kSansMediumBold,
     .back = 0x008080,
     .handler = handler<&Menu::command1_Click>},
    {.name = Menu::kThreeLegsButton,
     .kind = Kind::Button,
     .left = 840,
     .top = 1200,
     .width = 1455,
     .height = 615,
     .tabIndex = 2,
     .caption = "3 Pernadas",
     .font = kSansMediumBold,
     .back = 0x008080,
     .handler = handler<&Menu::command2_Click>},
    {.name = Menu::kFourLegsButton,
     .kind = Kind::Button,
     .left = 840,
     .top = 2160,
     .width = 1455,
     .height = 615,
     .tabIndex = 3,
     .caption = "4 Pernadas",
     .font = kSansMediumBold,
     .back = 0x008080,
     .handler = handler<&Menu::Command3_Click>},
    {.name = Menu::kAboutButton,
     .kind = Kind::Button,
     .left = 3030,
     .top = 2490,
     .width = 1095,
     .height = 375,
     .tabIndex = 4,
     .caption = "Acerca",
     .font = kSansBold,
     .back = kInactiveTitleText,
     .handler = handler<&Menu::Command6_Click>},
    {.name = Menu::kQuitButton,
     .kind = Kind::Button,
     .left = 3045,
     .top = 3000,
     .width = 1095,
     .height = 375,
     .tabIndex = 0,
     .caption = "Terminar",
     .font = kSansBold,
     .back = kInactiveTitleText,
     .handler = handler<&Menu::Command5_Click>},
};

constexpr FormDesc kMenu{.name = "frmmain",
                         .accessibleName = "Pernadas: menu principal",
                         .style = WindowStyle::Bare,
                         .clientWidth = 4575,
                         .clientHeight = 3510,
                         .font = kSans,
                         .back = 0x808080,
                         .picture = "menu-background",
                         .pictureWidth = 6820,
                         .pictureHeight = 4070,
                         .controls = kMenuControls};

}  // namespace

frmsplashscreen::frmsplashscreen(FormsRuntime& runtime) : Form(runtime, kSplash) {}
const FormDesc& frmsplashscreen::describe() {
    return kSplash;
}

// The splash gives way to the main menu. Unloading first stops the timer; the program does not
// end in between, since the check for loaded forms comes after the handler.
void frmsplashscreen::Timer1_Timer() {
    Unload();
    Show("frmmain");
}

frmmain::frmmain(FormsRuntime& runtime) : Form(runtime, kMenu) {}
const FormDesc& frmmain::describe() {
    return kMenu;
}

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
