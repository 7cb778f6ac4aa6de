#include "calculators/quatropernas.h"

#include "calculators/fonts.h"

namespace calculators {

using namespace forms;

namespace {

constexpr std::string_view kLoadPrompt =
    "Introduza, em primeiro lugar, através do cursor, as medidas da carga!";

using F = frmquatropernas;

constexpr ControlDesc kControls[] = {
    {.name = "Frame1", .kind = Kind::Frame, .left = 5040, .top = 120, .width = 3495,
     .height = 3375, .back = 0xC0C0C0},
    {.name = "Command4", .kind = Kind::Button, .left = 2520, .top = 3600, .width = 1200,
     .height = 495, .tabIndex = 37, .caption = "Calcular a 90 Graus", .font = kButtonFont,
     .handler = handler<&F::Command4_Click>},
    {.name = "Command3", .kind = Kind::Button, .left = 7200, .top = 3840, .width = 1215,
     .height = 495, .tabIndex = 0, .caption = "Cancelar", .font = kButtonFont, .cancel = true,
     .handler = handler<&F::Command3_Click>},
    {.name = "hsbccarga", .kind = Kind::Slider, .left = 240, .top = 2040, .width = 3135,
     .height = 255, .tabIndex = 22, .accessibleName = "Comprimento", .min = 100, .max = 1200,
     .value = 100, .largeChange = 10, .handler = handler<&F::hsbccarga_Change>},
    {.name = "hsblcarga", .kind = Kind::Slider, .left = 240, .top = 2640, .width = 3135,
     .height = 255, .tabIndex = 9, .accessibleName = "Largura", .min = 100, .max = 1200,
     .value = 100, .largeChange = 10, .handler = handler<&F::hsblcarga_Change>},
    {.name = "hsbperna", .kind = Kind::Slider, .left = 240, .top = 360, .width = 3135,
     .height = 255, .tabIndex = 8, .accessibleName = "Comprimento da Pernada", .min = 50,
     .max = 2000, .value = 101, .largeChange = 10, .handler = handler<&F::hsbperna_Change>},
    {.name = "hsbaltura", .kind = Kind::Slider, .left = 240, .top = 720, .width = 3135,
     .height = 255, .tabIndex = 7, .accessibleName = "Altura  Argolão/Carga", .visible = false,
     .min = 49, .max = 2000, .value = 88, .largeChange = 10,
     .handler = handler<&F::hsbaltura_Change>},
    {.name = "hsbangsup", .kind = Kind::Slider, .left = 4680, .top = 0, .width = 3135,
     .height = 255, .tabIndex = 6, .accessibleName = "Ângulo superior", .visible = false,
     .min = 1, .max = 280, .value = 1, .largeChange = 1, .handler = handler<&F::hsbangsup_Change>},
    {.name = "txtperna", .kind = Kind::Readout, .left = 3600, .top = 315, .width = 735,
     .height = 330, .tabIndex = 5, .accessibleName = "Comprimento da Pernada",
     .font = kReadoutFont, .align = Align::Centre},
    {.name = "txtaltura", .kind = Kind::Readout, .left = 3600, .top = 960, .width = 735,
     .height = 330, .tabIndex = 4, .accessibleName = "Altura  Argolão/Carga",
     .font = kReadoutFont, .align = Align::Centre},
    {.name = "txtlcarga", .kind = Kind::Readout, .left = 3600, .top = 2600, .width = 735,
     .height = 360, .tabIndex = 3, .accessibleName = "Largura", .font = kReadoutFont,
     .align = Align::Centre},
    {.name = "txtangsup", .kind = Kind::Readout, .left = 840, .top = 3720, .width = 495,
     .height = 330, .tabIndex = 2, .accessibleName = "a", .font = kReadoutFont, .back = 0xFFFFFF,
     .align = Align::Centre},
    {.name = "txtanginf", .kind = Kind::Readout, .left = 1680, .top = 3720, .width = 495,
     .height = 330, .tabIndex = 1, .accessibleName = "b", .font = kReadoutFont,
     .align = Align::Centre},
    {.name = "Frame2", .kind = Kind::Frame, .left = 600, .top = 3240, .width = 3255,
     .height = 975, .caption = "Ângulos", .font = kBoldLabelFont},
    {.name = "Frame3", .kind = Kind::Frame, .left = 120, .top = 1560, .width = 4815,
     .height = 1575, .caption = "Carga (medidas a introduzir)", .font = kBoldLabelFont},
    {.name = "Label1", .kind = Kind::Label, .left = 240, .top = 60, .width = 2895, .height = 255,
     .caption = "Comprimento da Pernada", .font = kLabelFont, .fore = 0x000000,
     .transparent = true},
    {.name = "Label2", .kind = Kind::Label, .left = 4440, .top = 480, .width = 495,
     .height = 255, .caption = "Mts", .font = kLabelFont},
    {.name = "Label5", .kind = Kind::Label, .left = 1800, .top = 1080, .width = 1575,
     .height = 375, .caption = "Altura  Argolão/Carga", .font = kLabelFont,
     .transparent = true},
    {.name = "Label9", .kind = Kind::Label, .left = 4440, .top = 1080, .width = 495,
     .height = 255, .caption = "Mts", .font = kLabelFont},
    {.name = "Label15", .kind = Kind::Label, .left = 3960, .top = 45, .width = 255,
     .height = 255, .caption = "p", .font = kLabelFont, .fore = kNavy, .transparent = true},
    {.name = "Label16", .kind = Kind::Label, .left = 3960, .top = 720, .width = 255,
     .height = 255, .caption = "h", .font = kLabelFont, .fore = 0x800080, .transparent = true},
    // Behind Frame3, and so never seen.
    {.name = "Label17", .kind = Kind::Label, .left = 3960, .top = 2040, .width = 375,
     .height = 255, .caption = "l", .font = kLabelFont, .fore = kNavy, .transparent = true},
    // Inside "Ângulos".
    {.name = "Label3", .kind = Kind::Label, .container = "Frame2", .left = 360, .top = 240,
     .width = 255, .height = 255, .caption = "a", .font = kLetterFont, .fore = kRed,
     .align = Align::Centre},
    {.name = "Label4", .kind = Kind::Label, .container = "Frame2", .left = 1200, .top = 240,
     .width = 255, .height = 255, .caption = "b", .font = kLetterFont, .fore = kRed,
     .align = Align::Centre},
    // Inside "Carga (medidas a introduzir)": the length row, then the width row.
    {.name = "txtccarga", .kind = Kind::Readout, .container = "Frame3", .left = 3480,
     .top = 375, .width = 735, .height = 360, .tabIndex = 24, .accessibleName = "Comprimento",
     .font = kReadoutFont, .align = Align::Centre},
    {.name = "Label19", .kind = Kind::Label, .container = "Frame3", .left = 4320, .top = 480,
     .width = 375, .height = 375, .caption = "Mts", .font = kLabelFont},
    {.name = "Label13", .kind = Kind::Label, .container = "Frame3", .left = 3700, .top = 840,
     .width = 375, .height = 255, .caption = "L", .font = kLabelFont, .fore = kNavy,
     .align = Align::Centre},
    {.name = "Label12", .kind = Kind::Label, .container = "Frame3", .left = 3720, .top = 200,
     .width = 255, .height = 255, .caption = "C", .font = kLabelFont, .fore = kNavy,
     .align = Align::Centre},
    {.name = "Label10", .kind = Kind::Label, .container = "Frame3", .left = 240, .top = 840,
     .width = 975, .height = 255, .caption = "Largura", .font = kLabelFont},
    {.name = "Label6", .kind = Kind::Label, .container = "Frame3", .left = 240, .top = 240,
     .width = 1215, .height = 255, .caption = "Comprimento", .font = kLabelFont},
    {.name = "Label20", .kind = Kind::Label, .container = "Frame3", .left = 4320, .top = 1200,
     .width = 375, .height = 255, .caption = "Mts", .font = kLabelFont},
    // The schematic of the sling in perspective, front to back.
    {.name = "Shape2", .kind = Kind::Oval, .container = "Frame1", .left = 1560, .top = 260,
     .width = 495, .height = 615, .fore = kRed, .back = 0xC0C0C0, .lineWidth = 4,
     .filled = true},
    {.name = "Line5", .kind = Kind::Line, .container = "Frame1", .x1 = 1800, .y1 = 840,
     .x2 = 2640, .y2 = 2400, .fore = 0x400040, .lineWidth = 2},
    {.name = "Label22", .kind = Kind::Label, .container = "Frame1", .left = 840, .top = 1920,
     .width = 135, .height = 255, .caption = "b", .font = kLetterFont, .fore = kRed,
     .transparent = true},
    {.name = "Label21", .kind = Kind::Label, .container = "Frame1", .left = 1680, .top = 1320,
     .width = 255, .height = 255, .caption = "a", .font = kLetterFont, .fore = kRed,
     .transparent = true, .align = Align::Centre},
    {.name = "Line13", .kind = Kind::Line, .container = "Frame1", .x1 = 1200, .y1 = 1425,
     .x2 = 2640, .y2 = 1425, .fore = kRed},
    {.name = "Line12", .kind = Kind::Line, .container = "Frame1", .x1 = 720, .y1 = 1920,
     .x2 = 950, .y2 = 2270, .fore = kRed},
    {.name = "Line3", .kind = Kind::Line, .container = "Frame1", .x1 = 240, .y1 = 2400,
     .x2 = 3360, .y2 = 1920, .fore = 0x8080FF, .dotted = true},
    {.name = "Label11", .kind = Kind::Label, .container = "Frame1", .left = 1680, .top = 1800,
     .width = 255, .height = 255, .caption = "h", .font = kLabelFont, .fore = 0xC000C0,
     .transparent = true, .align = Align::Centre},
    {.name = "Label8", .kind = Kind::Label, .container = "Frame1", .left = 3120, .top = 2520,
     .width = 255, .height = 255, .caption = "L", .font = kLabelFont, .fore = kNavy,
     .back = 0xC0C0C0},
    {.name = "Label7", .kind = Kind::Label, .container = "Frame1", .left = 1440, .top = 2880,
     .width = 255, .height = 255, .caption = "C", .font = kLabelFont, .fore = kNavy,
     .transparent = true},
    {.name = "Line10", .kind = Kind::Line, .container = "Frame1", .x1 = 2640, .y1 = 2760,
     .x2 = 3360, .y2 = 2280, .fore = 0x008080, .lineWidth = 2},
    {.name = "Line11", .kind = Kind::Line, .container = "Frame1", .x1 = 1800, .y1 = 960,
     .x2 = 1800, .y2 = 2160, .fore = 0x800080},
    {.name = "Line8", .kind = Kind::Line, .container = "Frame1", .x1 = 1200, .y1 = 1920,
     .x2 = 1800, .y2 = 840, .fore = 0x000000, .lineWidth = 2},
    {.name = "Line7", .kind = Kind::Line, .container = "Frame1", .x1 = 2640, .y1 = 2400,
     .x2 = 3360, .y2 = 1920, .fore = 0x008080, .lineWidth = 2},
    {.name = "Line6", .kind = Kind::Line, .container = "Frame1", .x1 = 3360, .y1 = 1920,
     .x2 = 3360, .y2 = 2280, .fore = 0x008080, .lineWidth = 2},
    {.name = "Line1", .kind = Kind::Line, .container = "Frame1", .x1 = 240, .y1 = 2400,
     .x2 = 1200, .y2 = 1920, .fore = 0x008080, .lineWidth = 2},
    {.name = "Label14", .kind = Kind::Label, .container = "Frame1", .left = 1080, .top = 2505,
     .width = 735, .height = 255, .caption = "Carga", .font = kBoldLabelFont, .fore = 0x404040,
     .transparent = true, .align = Align::Centre},
    {.name = "Line9", .kind = Kind::Line, .container = "Frame1", .x1 = 3360, .y1 = 1920,
     .x2 = 1800, .y2 = 840, .fore = 0x000000, .lineWidth = 2},
    {.name = "Line2", .kind = Kind::Line, .container = "Frame1", .x1 = 1200, .y1 = 1920,
     .x2 = 3360, .y2 = 1920, .fore = 0x008080, .lineWidth = 2},
    {.name = "Shape1", .kind = Kind::Rectangle, .container = "Frame1", .left = 240, .top = 2400,
     .width = 2415, .height = 375, .fore = 0x008080, .back = 0xC0C0C0, .lineWidth = 2,
     .filled = true},
    {.name = "Label18", .kind = Kind::Label, .container = "Frame1", .left = 2520, .top = 1080,
     .width = 255, .height = 255, .caption = "p", .font = kLabelFont, .fore = kNavy,
     .transparent = true},
    {.name = "Line4", .kind = Kind::Line, .container = "Frame1", .x1 = 1800, .y1 = 840,
     .x2 = 240, .y2 = 2400, .fore = 0x400040, .lineWidth = 2},
};

constexpr FormDesc kForm{.name = "frmquatropernas",
                         .caption = "Quatro Pernadas",
                         .style = WindowStyle::Calculator,
                         .clientWidth = 8655,
                         .clientHeight = 4470,
                         .font = kLabelFont,
                         .controls = kControls};

}  // namespace

const FormDesc& frmquatropernas::describe() { return kForm; }

frmquatropernas::frmquatropernas(FormsRuntime& runtime) : SlingForm(runtime, kForm) {}

// The leg handler raises a leg shorter than the half-diagonal to ten centimetres past it.
void frmquatropernas::hsbperna_Change() {
    if (noLoad()) ShowInfo(kLoadPrompt);
    const Real x = d();
    if (x > p()) hsbperna.setValue(ToInteger(x + 10));
    hsbaltura.setValue(Height(x, p()));
    hsbangsup.setValue(UpperAngle(x, p()));
    showMetres(txtperna, p());
}

// The height handler works with the half-diagonal in single precision.
void frmquatropernas::hsbaltura_Change() {
    const Real x = e();
    hsbperna.setValue(Leg(x, h()));
    hsbaltura.setValue(Height(x, p()));
    hsbangsup.setValue(UpperAngle(x, p()));
    showMetres(txtaltura, h());
}

// A new length carries the height over: the leg follows from the height, unless the new
// half-diagonal (single precision) passes the leg, which is then raised first.
void frmquatropernas::hsbccarga_Change() {
    const Real x = e();
    if (x > p()) hsbperna.setValue(ToInteger(x + 10));
    hsbperna.setValue(Leg(x, h()));
    hsbaltura.setValue(Height(x, p()));
    showMetres(txtlcarga, L());
    showMetres(txtccarga, C());
}

// A new width carries the height over: the leg follows from the height.
void frmquatropernas::hsblcarga_Change() {
    const Real x = d();
    hsbperna.setValue(Leg(x, h()));
    hsbaltura.setValue(Height(x, p()));
    showMetres(txtlcarga, L());
}

// "Calcular a 90 Graus": the leg walks one centimetre at a time towards the 90-degree leg.
void frmquatropernas::Command4_Click() {
    const Real x = d();
    if (noLoad()) {
        ShowInfo(kLoadPrompt);
        return;
    }
    SearchGuard guard;
    while (a() != 90) {
        if (guard.repeats(p(), h(), a())) {
            ShowInfo(kSearchStalled);
            return;
        }
        hsbperna.setValue(Leg(x, h()));
        hsbaltura.setValue(Height(x, p()));
        hsbangsup.setValue(UpperAngle(x, p()));
        if (a() < 90)
            hsbperna.setValue(p() - 1);
        else if (a() > 90)
            hsbperna.setValue(p() + 1);
    }
}

void frmquatropernas::Command3_Click() {
    Show("frmmain");
    Unload();
}

}  // namespace calculators
