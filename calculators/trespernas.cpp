#include "calculators/trespernas.h"

#include "calculators/fonts.h"

namespace calculators {

using namespace forms;

namespace {

constexpr std::string_view kLoadPromptM1 =
    "Introduza, em primeiro lugar, através do cursor, a medida da carga!";
constexpr std::string_view kLoadPromptM2 =
    "Em primeiro lugar introduza  a medida da carga, através do cursor!";

using F = frmtrespernas;

constexpr ControlDesc kControls[] = {
    {.name = "Command4", .kind = Kind::Button, .left = 7320, .top = 4200, .width = 1215,
     .height = 495, .tabIndex = 0, .caption = "Cancelar", .font = kButtonFont, .cancel = true,
     .handler = handler<&F::Command4_Click>},
    {.name = "hsbangsup", .kind = Kind::Slider, .left = 5280, .top = 0, .width = 3135,
     .height = 255, .tabIndex = 7, .accessibleName = "Ângulo superior", .visible = false,
     .min = 1, .max = 180, .value = 1, .largeChange = 1, .handler = handler<&F::hsbangsup_Change>},
    {.name = "Frame1", .kind = Kind::Frame, .left = 5040, .top = 240, .width = 3615,
     .height = 3735},
    {.name = "txtanginf", .kind = Kind::Readout, .left = 1800, .top = 4080, .width = 495,
     .height = 330, .tabIndex = 9, .accessibleName = "b", .font = kReadoutFont,
     .align = Align::Centre},
    {.name = "txtangsup", .kind = Kind::Readout, .left = 960, .top = 4080, .width = 495,
     .height = 330, .tabIndex = 8, .accessibleName = "a", .font = kReadoutFont, .back = 0xFFFFFF,
     .align = Align::Centre},
    {.name = "txtlcarga", .kind = Kind::Readout, .left = 3600, .top = 2640, .width = 735,
     .height = 330, .tabIndex = 6, .accessibleName = "Distância entre Pernadas",
     .font = kReadoutFont, .align = Align::Centre},
    {.name = "txtaltura", .kind = Kind::Readout, .left = 3720, .top = 1275, .width = 735,
     .height = 330, .tabIndex = 5, .accessibleName = "Altura  Argolão/Carga",
     .font = kReadoutFont, .align = Align::Centre},
    {.name = "txtperna", .kind = Kind::Readout, .left = 3720, .top = 315, .width = 735,
     .height = 330, .tabIndex = 4, .accessibleName = "Comprimento da Pernada",
     .font = kReadoutFont, .align = Align::Centre},
    {.name = "hsbaltura", .kind = Kind::Slider, .left = 240, .top = 720, .width = 3135,
     .height = 255, .tabIndex = 3, .accessibleName = "Altura  Argolão/Carga", .visible = false,
     .min = 1, .max = 2000, .value = 100, .largeChange = 10,
     .handler = handler<&F::hsbaltura_Change>},
    {.name = "hsbperna", .kind = Kind::Slider, .left = 240, .top = 360, .width = 3135,
     .height = 255, .tabIndex = 2, .accessibleName = "Comprimento da Pernada", .min = 50,
     .max = 2000, .value = 101, .largeChange = 10, .handler = handler<&F::hsbperna_Change>},
    {.name = "hsblcarga", .kind = Kind::Slider, .left = 240, .top = 3120, .width = 3135,
     .height = 255, .tabIndex = 1, .accessibleName = "Carga (medida a introduzir)", .min = 50,
     .max = 1200, .value = 100, .largeChange = 10, .handler = handler<&F::hsblcarga_Change>},
    {.name = "Frame2", .kind = Kind::Frame, .left = 720, .top = 3600, .width = 3135,
     .height = 975, .caption = "Ângulos", .font = kBoldLabelFont},
    {.name = "Frame3", .kind = Kind::Frame, .left = 120, .top = 1920, .width = 4695,
     .height = 1575, .caption = "Carga (medida a introduzir)", .font = kBoldLabelFont},
    {.name = "Label20", .kind = Kind::Label, .left = 4560, .top = 1440, .width = 375,
     .height = 255, .caption = "Mts", .font = kLabelFont},
    {.name = "Label18", .kind = Kind::Label, .left = 4560, .top = 480, .width = 375,
     .height = 255, .caption = "Mts", .font = kLabelFont},
    {.name = "Label1", .kind = Kind::Label, .left = 240, .top = 50, .width = 2895, .height = 255,
     .caption = "Comprimento da Pernada", .font = kLabelFont, .fore = 0x000000,
     .transparent = true},
    {.name = "Label5", .kind = Kind::Label, .left = 1920, .top = 1320, .width = 1575,
     .height = 255, .caption = "Altura  Argolão/Carga", .font = kLabelFont,
     .transparent = true},
    {.name = "Label15", .kind = Kind::Label, .left = 3960, .top = 45, .width = 255,
     .height = 255, .caption = "p", .font = kLabelFont, .fore = kNavy, .transparent = true,
     .align = Align::Centre},
    {.name = "Label16", .kind = Kind::Label, .left = 3840, .top = 1065, .width = 375,
     .height = 255, .caption = " h", .font = kLabelFont, .fore = kNavy, .transparent = true,
     .align = Align::Centre},
    // Inside "Ângulos".
    {.name = "Command2", .kind = Kind::Button, .container = "Frame2", .left = 1800, .top = 360,
     .width = 1095, .height = 495, .tabIndex = 10, .caption = "Calcular a 90 Graus",
     .font = kButtonFont, .handler = handler<&F::Command2_Click>},
    {.name = "Label3", .kind = Kind::Label, .container = "Frame2", .left = 360, .top = 240,
     .width = 255, .height = 255, .caption = "a", .font = kLetterFont, .fore = kRed,
     .align = Align::Centre},
    {.name = "Label4", .kind = Kind::Label, .container = "Frame2", .left = 1200, .top = 240,
     .width = 255, .height = 255, .caption = "b", .font = kLetterFont, .fore = kRed,
     .align = Align::Centre},
    // Inside "Carga (medida a introduzir)": the diameter row, "ou", the distance row.
    {.name = "txtdiam", .kind = Kind::Readout, .container = "Frame3", .left = 3480, .top = 240,
     .width = 735, .height = 360, .tabIndex = 11, .accessibleName = "Diâmetro da peça",
     .font = kReadoutFont, .align = Align::Centre},
    {.name = "Option2", .kind = Kind::Option, .container = "Frame3", .left = 3240, .top = 840,
     .width = 375, .height = 195, .tabIndex = 13,
     .accessibleName = "Distância entre Pernadas"},
    {.name = "Option1", .kind = Kind::Option, .container = "Frame3", .left = 3240, .top = 360,
     .width = 255, .height = 255, .tabIndex = 12, .accessibleName = "Diâmetro da peça",
     .selected = true},
    {.name = "Label21", .kind = Kind::Label, .container = "Frame3", .left = 4320, .top = 840,
     .width = 255, .height = 255, .caption = "Mts", .font = kLabelFont},
    {.name = "Label19", .kind = Kind::Label, .container = "Frame3", .left = 4320, .top = 400,
     .width = 255, .height = 255, .caption = "Mts", .font = kLabelFont},
    {.name = "Label14", .kind = Kind::Label, .container = "Frame3", .left = 840, .top = 600,
     .width = 495, .height = 255, .caption = "ou", .font = kLabelFont},
    {.name = "Label13", .kind = Kind::Label, .container = "Frame3", .left = 1680, .top = 360,
     .width = 1695, .height = 255, .caption = "( d ) ..........................   ",
     .font = kLabelFont, .align = Align::Centre},
    {.name = "Label12", .kind = Kind::Label, .container = "Frame3", .left = 2160, .top = 840,
     .width = 1095, .height = 255, .caption = "( L ) ...............", .font = kLabelFont,
     .fore = 0x000000, .back = 0xC0C0C0, .align = Align::Centre},
    {.name = "Label9", .kind = Kind::Label, .container = "Frame3", .left = 240, .top = 840,
     .width = 2295, .height = 255, .caption = " - Distância entre Pernadas",
     .font = kLabelFont},
    {.name = "Label8", .kind = Kind::Label, .container = "Frame3", .left = 240, .top = 360,
     .width = 1575, .height = 255, .caption = " - Diâmetro da peça", .font = kLabelFont},
    // The schematic of the sling, front to back.
    {.name = "Label6", .kind = Kind::Label, .container = "Frame1", .left = 1800, .top = 1200,
     .width = 135, .height = 255, .caption = "a", .font = kLetterFont, .fore = 0xC04000,
     .transparent = true, .align = Align::Centre},
    {.name = "Shape5", .kind = Kind::Oval, .container = "Frame1", .left = 1560, .top = 270,
     .width = 495, .height = 615, .fore = kRed, .back = 0xC0C0C0, .lineWidth = 4,
     .filled = true},
    {.name = "Line9", .kind = Kind::Line, .container = "Frame1", .x1 = 1560, .y1 = 1320,
     .x2 = 2160, .y2 = 1320, .fore = 0xC00000},
    {.name = "Line3", .kind = Kind::Line, .container = "Frame1", .x1 = 1815, .y1 = 840,
     .x2 = 1560, .y2 = 2080, .fore = 0x000000, .lineWidth = 2},
    {.name = "Label2", .kind = Kind::Label, .container = "Frame1", .left = 2520, .top = 1320,
     .width = 255, .height = 255, .caption = "p", .font = kLabelFont, .transparent = true},
    {.name = "Label11", .kind = Kind::Label, .container = "Frame1", .left = 1920, .top = 2280,
     .width = 255, .height = 255, .caption = "L", .font = kLabelFont, .fore = 0xFFC080,
     .back = 0x008080, .align = Align::Centre},
    {.name = "Line6", .kind = Kind::Line, .container = "Frame1", .x1 = 840, .y1 = 2520,
     .x2 = 3120, .y2 = 2400, .fore = 0xFFC080},
    {.name = "Label17", .kind = Kind::Label, .container = "Frame1", .left = 1320, .top = 2040,
     .width = 255, .height = 255, .caption = "b", .font = kLetterFont, .fore = 0xC04000,
     .back = 0x008080, .align = Align::Centre},
    {.name = "Line10", .kind = Kind::Line, .container = "Frame1", .x1 = 1200, .y1 = 1920,
     .x2 = 1680, .y2 = 2520, .fore = 0xC04000},
    {.name = "Label10", .kind = Kind::Label, .container = "Frame1", .left = 1680, .top = 1680,
     .width = 255, .height = 255, .caption = "h", .font = kLabelFont, .fore = 0x0000C0,
     .transparent = true, .align = Align::Centre},
    {.name = "Label7", .kind = Kind::Label, .container = "Frame1", .left = 1560, .top = 3360,
     .width = 615, .height = 255, .caption = "     d", .font = kLabelFont,
     .transparent = true},
    {.name = "Line5", .kind = Kind::Line, .container = "Frame1", .x1 = 240, .y1 = 3480,
     .x2 = 3360, .y2 = 3480, .fore = 0x000000},
    {.name = "Line8", .kind = Kind::Line, .container = "Frame1", .x1 = 3240, .y1 = 3360,
     .x2 = 3240, .y2 = 3600, .fore = 0x000000},
    {.name = "Line7", .kind = Kind::Line, .container = "Frame1", .x1 = 360, .y1 = 3360,
     .x2 = 360, .y2 = 3600, .fore = 0x000000},
    {.name = "Line4", .kind = Kind::Line, .container = "Frame1", .x1 = 1800, .y1 = 960,
     .x2 = 1800, .y2 = 2355, .fore = 0x0000C0},
    {.name = "Line2", .kind = Kind::Line, .container = "Frame1", .x1 = 1800, .y1 = 840,
     .x2 = 3120, .y2 = 2400, .fore = 0x000000, .lineWidth = 2},
    {.name = "Line1", .kind = Kind::Line, .container = "Frame1", .x1 = 840, .y1 = 2520,
     .x2 = 1800, .y2 = 840, .fore = 0x000000, .lineWidth = 2},
    {.name = "Shape4", .kind = Kind::Oval, .container = "Frame1", .left = 600, .top = 2160,
     .width = 2415, .height = 375, .fore = 0x000000},
    {.name = "Shape1", .kind = Kind::Oval, .container = "Frame1", .left = 360, .top = 2040,
     .width = 2895, .height = 615, .fore = 0x000000, .back = 0x008080, .filled = true},
    {.name = "Shape3", .kind = Kind::Rectangle, .container = "Frame1", .left = 360, .top = 2400,
     .width = 2895, .height = 735, .back = 0x008080, .filled = true, .outline = false},
    {.name = "Shape2", .kind = Kind::Oval, .container = "Frame1", .left = 360, .top = 2760,
     .width = 2895, .height = 615, .fore = 0x000000, .back = 0x008080, .filled = true},
};

constexpr FormDesc kForm{.name = "frmtrespernas",
                         .caption = "Três Pernadas",
                         .style = WindowStyle::Calculator,
                         .clientWidth = 8775,
                         .clientHeight = 4830,
                         .font = kLabelFont,
                         .controls = kControls};

}  // namespace

const FormDesc& frmtrespernas::describe() { return kForm; }

frmtrespernas::frmtrespernas(FormsRuntime& runtime) : SlingForm(runtime, kForm) {}

Real frmtrespernas::R() const {
    if (Option1.Value()) return L() / 2.0;
    // The circumradius of the equilateral triangle whose side is L.
    return Sqrt(Sqr(L()) - Sqr(L() / 2.0)) / 3.0 * 2;
}

Real frmtrespernas::HalfSpacing(Real r) { return Sqrt(Sqr(r) - Sqr(r / 2)); }

// The leg handler raises a leg not longer than R, or lowers a height not below the leg.
void frmtrespernas::hsbperna_Change() {
    if (loadNotEntered(100)) ShowInfo(kLoadPromptM1);
    const Real r = R();
    if (r >= p())
        hsbperna.setValue(ToInteger(r + 1));
    else if (h() >= p())
        hsbaltura.setValue(p() - 1);
    hsbaltura.setValue(ToInteger(Sqrt(Sqr(p()) - Sqr(r))));
    showMetres(txtperna, p());
}

// The load handler writes the two load read-outs after the runs its assignments set off.
void frmtrespernas::hsblcarga_Change() {
    const Real r = R();
    if (p() <= r) hsbperna.setValue(ToInteger(r + 1));
    const Real halfSpacing = HalfSpacing(r);
    hsbaltura.setValue(ToInteger(Sqrt(Sqr(p()) - Sqr(r))));
    if (Option1.Value()) {
        txtlcarga.setText(PlainRealText(halfSpacing * 2 / 100));
        txtdiam.setText(RealText(L() / 100.0));
    } else {
        txtlcarga.setText(PlainRealText(halfSpacing * 2 / 100));
        txtdiam.setText(PlainRealText(r * 2 / 100));
    }
    txtlcarga.setText(FixedTwo(txtlcarga.Text()));
    txtdiam.setText(FixedTwo(txtdiam.Text()));
}

// Every height change recomputes the leg from the height; the angle and the height read-out
// follow the leg.
void frmtrespernas::hsbaltura_Change() {
    if (loadNotEntered(50)) ShowInfo(kLoadPromptM2);
    const Real r = R();
    if (r >= p())
        hsbperna.setValue(ToInteger(r + 1));
    else if (h() >= p())
        hsbaltura.setValue(p() - 1);
    const Real halfSpacing = HalfSpacing(r);
    hsbperna.setValue(ToInteger(Sqrt(Sqr(h()) + Sqr(r))));
    hsbangsup.setValue(AngleFor(halfSpacing, p()));
    showMetres(txtaltura, Sqrt(Sqr(p()) - Sqr(r)));
}

// "Calcular a 90 Graus": the leg walks one centimetre at a time towards the 90-degree leg.
void frmtrespernas::Command2_Click() {
    if (loadNotEntered(100)) {
        ShowInfo(kLoadPromptM1);
        return;
    }
    SearchGuard guard;
    while (a() != 90) {
        if (guard.repeats(p(), h(), a())) {
            ShowInfo(kSearchStalled);
            return;
        }
        const Real r = R();
        const Real halfSpacing = HalfSpacing(r);
        hsbperna.setValue(ToInteger(Sqrt(Sqr(h()) + Sqr(r))));
        hsbangsup.setValue(AngleFor(halfSpacing, p()));
        hsbaltura.setValue(ToInteger(Sqrt(Sqr(p()) - Sqr(r))));
        if (a() > 90)
            hsbperna.setValue(p() + 1);
        else if (a() < 90)
            hsbperna.setValue(p() - 1);
    }
}

void frmtrespernas::Command4_Click() {
    Show("frmmain");
    Unload();
}

}  // namespace calculators
