#include "about/acerca.h"

#include "about/sysinfo.h"

namespace about {

using namespace forms;

namespace {

constexpr Colour kGrey = 0xC0C0C0;
constexpr Font kContactFont{"MS Sans Serif", 9.75, false};
constexpr Font kContactBoldFont{"MS Sans Serif", 9.75, true};

using F = frmacerca;

// The contact texts are borderless text boxes on the form's grey: they read like labels, but the
// user can select and change them. Nothing reads them back, and loading the form again restores
// them. The two buttons and the other program's name lie far off to the left, out of sight; the
// buttons are reached only from the keyboard.
constexpr ControlDesc kControls[] = {
    {.name = "cmdSysinfo",
     .kind = Kind::Button,
     .left = -71160,
     .top = 4200,
     .width = 1455,
     .height = 375,
     .tabIndex = 1,
     .caption = "&Sistema Info...",
     .handler = handler<&F::cmdSysinfo_Click>},
    {.name = "cmdOk",
     .kind = Kind::Button,
     .left = -71160,
     .top = 4680,
     .width = 1455,
     .height = 375,
     .tabIndex = 2,
     .caption = "&Ok",
     .handler = handler<&F::cmdOk_Click>},
    {.name = "Text12",
     .kind = Kind::TextBox,
     .left = -73080,
     .top = 1540,
     .width = 1455,
     .height = 495,
     .tabIndex = 3,
     .caption = "Versão 1.4",
     .font = {"MS Sans Serif", 13.5, false},
     .back = kGrey},
    {.name = "Text11",
     .kind = Kind::TextBox,
     .left = -73440,
     .top = 840,
     .width = 2655,
     .height = 615,
     .tabIndex = 4,
     .caption = "Tabelas de Carga",
     .font = {"MS Sans Serif", 24, false},
     .back = kGrey},
    {.name = "Picture1",
     .kind = Kind::Picture,
     .left = 480,
     .top = 460,
     .width = 4695,
     .height = 975,
     .tabIndex = 15,
     .back = kGrey,
     .picture = "logo"},
    {.name = "Text1",
     .kind = Kind::TextBox,
     .left = 600,
     .top = 1660,
     .width = 3375,
     .height = 375,
     .tabIndex = 14,
     .caption = "Rua das Correntes, 27",
     .font = kContactFont,
     .back = kGrey},
    {.name = "Text2",
     .kind = Kind::TextBox,
     .left = 600,
     .top = 2020,
     .width = 2055,
     .height = 375,
     .tabIndex = 13,
     .caption = "Apartado 118",
     .font = kContactFont,
     .back = kGrey},
    {.name = "Text3",
     .kind = Kind::TextBox,
     .left = 600,
     .top = 2380,
     .width = 2415,
     .height = 255,
     .tabIndex = 12,
     .caption = "4795-023 Vale do Ferro",
     .font = kContactFont,
     .back = kGrey},
    {.name = "Text4",
     .kind = Kind::TextBox,
     .left = 600,
     .top = 2740,
     .width = 1215,
     .height = 255,
     .tabIndex = 11,
     .caption = "Portugal",
     .font = kContactFont,
     .back = kGrey},
    {.name = "Text5",
     .kind = Kind::TextBox,
     .left = 2400,
     .top = 2880,
     .width = 855,
     .height = 270,
     .tabIndex = 10,
     .caption = "Telefone ",
     .font = kContactFont,
     .back = kGrey},
    {.name = "Text8",
     .kind = Kind::TextBox,
     .left = 2040,
     .top = 3120,
     .width = 1575,
     .height = 285,
     .tabIndex = 7,
     .caption = "252 900 010",
     .font = kContactBoldFont,
     .back = kGrey},
    {.name = "Text9",
     .kind = Kind::TextBox,
     .left = 2625,
     .top = 3480,
     .width = 375,
     .height = 285,
     .tabIndex = 6,
     .caption = "Fax",
     .font = kContactFont,
     .back = kGrey},
    {.name = "Text6",
     .kind = Kind::TextBox,
     .left = 2040,
     .top = 3720,
     .width = 1575,
     .height = 240,
     .tabIndex = 9,
     .caption = "252 900 019",
     .font = kContactBoldFont,
     .back = kGrey},
    {.name = "Text10",
     .kind = Kind::TextBox,
     .left = 2490,
     .top = 4080,
     .width = 615,
     .height = 285,
     .tabIndex = 5,
     .caption = "E-mail",
     .font = kContactFont,
     .back = kGrey},
    {.name = "Text7",
     .kind = Kind::TextBox,
     .left = 1560,
     .top = 4320,
     .width = 2535,
     .height = 255,
     .tabIndex = 8,
     .caption = "geral@ribeira.example",
     .font = kContactBoldFont,
     .back = kGrey},
    {.name = "Text13",
     .kind = Kind::TextBox,
     .left = 2556,
     .top = 4710,
     .width = 495,
     .height = 285,
     .tabIndex = 26,
     .caption = "Web",
     .back = kGrey},
    {.name = "Text14",
     .kind = Kind::TextBox,
     .left = 1725,
     .top = 4920,
     .width = 2175,
     .height = 375,
     .tabIndex = 27,
     .caption = "www.ribeira.example",
     .font = kContactBoldFont,
     .back = kGrey},
    {.name = "Picture2",
     .kind = Kind::Picture,
     .left = 4680,
     .top = 1560,
     .width = 975,
     .height = 1215,
     .tabIndex = 16,
     .picture = "badge1"},
    {.name = "Image1",
     .kind = Kind::Image,
     .left = 4680,
     .top = 2880,
     .width = 975,
     .height = 1215,
     .picture = "badge2"},
    {.name = "Image2",
     .kind = Kind::Image,
     .left = 4680,
     .top = 4200,
     .width = 975,
     .height = 1215,
     .picture = "badge3"},
};

constexpr FormDesc kForm{.name = "frmacerca",
                         .caption = "Acerca",
                         .style = WindowStyle::Dialog,
                         .clientWidth = 5910,
                         .clientHeight = 5550,
                         .back = kGrey,
                         .controls = kControls};

}  // namespace

frmacerca::frmacerca(FormsRuntime& runtime, Platform& platform)
    : Form(runtime, kForm), platform_(platform) {}

const FormDesc& frmacerca::describe() {
    return kForm;
}

void frmacerca::cmdOk_Click() {
    Unload();
}

void frmacerca::cmdSysinfo_Click() {
    StartSysInfo();
}

void frmacerca::StartSysInfo() {
    about::StartSysInfo(platform_, runtime());
}

bool frmacerca::GetKeyValue(std::uint32_t rootKey, std::string_view keyPath,
                            std::string_view valueName, std::string& result) {
    return about::GetKeyValue(platform_, rootKey, keyPath, valueName, result);
}

}  // namespace about
