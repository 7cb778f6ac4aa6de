// The splash window: its controls, front to back within each container, with the handlers they
// run.
#include "forms/fonts.h"
#include "shell/shell.h"

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

}  // namespace

const FormDesc& frmsplashscreen::describe() {
    return kSplash;
}

}  // namespace shell
