#include "calculators/quatropernas.h"

namespace calculators {

using namespace forms;

namespace {

constexpr std::string_view kLoadsPrompt =
    "Introduza, em primeiro lugar, através do cursor, as medidas da carga!";

}  // namespace

frmquatropernas::frmquatropernas(FormsRuntime& runtime) : SlingForm(runtime, describe(), 4) {}

// The leg handler raises a leg shorter than the half-diagonal to ten centimetres past it.
void frmquatropernas::hsbperna_Change() {
    if (loadNotEntered()) ShowInfo(kLoadsPrompt);
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
    if (loadNotEntered()) {
        ShowInfo(kLoadsPrompt);
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

}  // namespace calculators
