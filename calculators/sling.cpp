#include "calculators/sling.h"

namespace calculators {

using namespace forms;

Band bandOf(Real v) {
    if (v > Real(120))
        return {kRed, "banda vermelha: ângulo superior acima de 120 graus",
                "banda vermelha: ângulo inferior abaixo de 30 graus",
                "banda vermelha: pernada com ângulo superior acima de 120 graus"};
    if (v > Real(90))
        return {kYellow, "banda amarela: ângulo superior de 91 a 120 graus",
                "banda amarela: ângulo inferior de 30 a 44,5 graus",
                "banda amarela: pernada com ângulo superior de 91 a 120 graus"};
    if (v > Real(60))
        return {kLightGreen, "banda verde-clara: ângulo superior de 61 a 90 graus",
                "banda verde-clara: ângulo inferior de 45 a 59,5 graus",
                "banda verde-clara: pernada com ângulo superior de 61 a 90 graus"};
    return {kGreen, "banda verde: ângulo superior até 60 graus",
            "banda verde: ângulo inferior de 60 graus ou mais",
            "banda verde: pernada com ângulo superior até 60 graus"};
}

Int Height(Real x, Int p) {
    return ToInteger(Sqrt(Sqr(p) - Sqr(x)));
}

Int Leg(Real x, Int h) {
    return ToInteger(Sqrt(Sqr(h) + Sqr(x)));
}

Int UpperAngle(Real x, Int p) {
    const Real q = x / p;
    return ToInteger(Atn(q / Sqrt(-q * q + 1)) * kDegreesPerRadian * 2);
}

SlingForm::SlingForm(FormsRuntime& runtime, const FormDesc& desc) : Form(runtime, desc) {}

void SlingForm::hsbangsup_Change() {
    txtangsup.setText(IntegerText(a()));
    txtanginf.setText(RealText(90 - a() / 2));
    const Real v = TextToReal(txtangsup.Text());
    const Band band = bandOf(v);
    txtperna.setBackColor(band.colour);
    txtangsup.setBackColor(band.colour);
    txtanginf.setBackColor(band.colour);
    txtperna.setNote(band.leg);
    txtangsup.setNote(band.upper);
    txtanginf.setNote(band.lower);
}

void SlingForm::Cancelar_Click() {
    Show("frmmain");
    Unload();
}

void SlingForm::showMetres(ReadoutField field, Real centimetres) {
    field.setText(RealText(centimetres / 100));
    field.setText(FixedTwo(field.Text()));
}

void SlingForm::showMetresPlain(ReadoutField field, Real centimetres) {
    field.setText(PlainRealText(centimetres / 100));
    field.setText(FixedTwo(field.Text()));
}

}  // namespace calculators
