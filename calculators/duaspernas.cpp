#include "calculators/duaspernas.h"

namespace calculators {

using namespace forms;

frmduaspernas::frmduaspernas(FormsRuntime& runtime) : SlingForm(runtime, describe(), 2) {}

// The user sets the load length. A flat sling (upper angle of 150 or more) follows the load by
// its leg: raising the height by one makes the height handler recompute the leg. Below that the
// leg stays and the height adapts.
void frmduaspernas::hsblcarga_Change() {
    if (L() / 2 >= p()) hsbperna.setValue(ToInteger(L() / 2 + 1));
    if (TextToReal(txtangsup.Text()) >= 150) hsbaltura.setValue(h() + 1);
    hsbaltura.setValue(Height(L() / 2, p()));
    showMetres(txtlcarga, L());
}

// The user sets the leg. A leg not longer than half the load is raised past it; a height not
// below the leg is lowered under it.
void frmduaspernas::hsbperna_Change() {
    if (loadNotEntered()) ShowInfo(kLoadPrompt);
    if (L() >= p() * 2)
        hsbperna.setValue(ToInteger(L() / 2 + 1));
    else if (h() >= p())
        hsbaltura.setValue(p() - 1);
    hsbaltura.setValue(Height(L() / 2, p()));
    showMetres(txtperna, p());
}

// Runs only from assignments: the leg follows the height, then the angle follows the leg.
void frmduaspernas::hsbaltura_Change() {
    if (L() >= p() * 2)
        hsbperna.setValue(ToInteger(L() / 2 + 1));
    else if (h() >= p())
        hsbperna.setValue(h() + 1);
    hsbperna.setValue(Leg(L() / 2, h()));
    hsbangsup.setValue(UpperAngle(L() / 2, p()));
    // The height of the current leg, not rounded to whole centimetres.
    showMetres(txtaltura, Sqrt(Sqr(p()) - Sqr(L() / 2)));
}

// "Calcular a 90 Graus": bring leg, height and angle into agreement, then step the leg one
// centimetre towards the 90-degree length, until the angle is 90.
void frmduaspernas::Command4_Click() {
    if (loadNotEntered()) {
        ShowInfo(kLoadPrompt);
        return;
    }
    SearchGuard guard;
    while (a() != 90) {
        if (guard.repeats(p(), h(), a())) {
            ShowInfo(kSearchStalled);
            return;
        }
        hsbperna.setValue(Leg(L() / 2, h()));
        hsbangsup.setValue(UpperAngle(L() / 2, p()));
        hsbaltura.setValue(Height(L() / 2, p()));
        if (a() < 90)
            hsbperna.setValue(p() - 1);
        else
            hsbperna.setValue(p() + 1);
    }
}

}  // namespace calculators
