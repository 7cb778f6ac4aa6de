#include "calculators/trespernas.h"

namespace calculators {

using namespace forms;

namespace {

constexpr std::string_view kLoadPromptM2 =
    "Em primeiro lugar introduza  a medida da carga, através do cursor!";

}  // namespace

frmtrespernas::frmtrespernas(FormsRuntime& runtime) : SlingForm(runtime, describe(), 3) {}

Real frmtrespernas::R() const {
    if (Option1.Value()) return L() / 2.0;
    // The circumradius of the equilateral triangle whose side is L.
    return Sqrt(Sqr(L()) - Sqr(L() / 2.0)) / 3.0 * 2;
}

Real frmtrespernas::HalfSpacing(Real r) {
    return Sqrt(Sqr(r) - Sqr(r / 2));
}

// The leg handler raises a leg not longer than R, or lowers a height not below the leg.
void frmtrespernas::hsbperna_Change() {
    if (loadNotEntered(100)) ShowInfo(kLoadPrompt);
    const Real r = R();
    if (r >= p())
        hsbperna.setValue(ToInteger(r + 1));
    else if (h() >= p())
        hsbaltura.setValue(p() - 1);
    hsbaltura.setValue(Height(r, p()));
    showMetres(txtperna, p());
}

// The load handler writes the two load read-outs after the runs its assignments set off.
void frmtrespernas::hsblcarga_Change() {
    const Real r = R();
    if (p() <= r) hsbperna.setValue(ToInteger(r + 1));
    const Real halfSpacing = HalfSpacing(r);
    hsbaltura.setValue(Height(r, p()));
    // The spacing of the legs in both modes; the diameter as entered, or from the spacing.
    txtlcarga.setText(PlainRealText(halfSpacing * 2 / 100));
    if (Option1.Value())
        txtdiam.setText(RealText(L() / 100.0));
    else
        txtdiam.setText(PlainRealText(r * 2 / 100));
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
    hsbperna.setValue(Leg(r, h()));
    hsbangsup.setValue(UpperAngle(halfSpacing, p()));
    showMetres(txtaltura, Sqrt(Sqr(p()) - Sqr(r)));
}

// "Calcular a 90 Graus": the leg walks one centimetre at a time towards the 90-degree leg.
void frmtrespernas::Command2_Click() {
    if (loadNotEntered(100)) {
        ShowInfo(kLoadPrompt);
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
        hsbperna.setValue(Leg(r, h()));
        hsbangsup.setValue(UpperAngle(halfSpacing, p()));
        hsbaltura.setValue(Height(r, p()));
        if (a() > 90)
            hsbperna.setValue(p() + 1);
        else if (a() < 90)
            hsbperna.setValue(p() - 1);
    }
}

}  // namespace calculators
