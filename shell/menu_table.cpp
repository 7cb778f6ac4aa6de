// The main menu's window: its controls, front to back within each container, with the handlers they
// run.
#include "forms/fonts.h"
#include "shell/shell.h"

namespace shell {

using namespace forms;

namespace {

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
     .closes = true,
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

const FormDesc& frmmain::describe() {
    return kMenu;
}

}  // namespace shell
