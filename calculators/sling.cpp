#include "calculators/sling.h"

#include <cstdio>
#include <string>

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

std::optional<std::int64_t> ShownCentimetres(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    const std::size_t point = text.find_first_of(".,");
    if (point == 0 || point == std::string_view::npos || text.size() != point + 3) return {};
    std::int64_t cm = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == point) continue;
        if (text[i] < '0' || text[i] > '9' || cm > 100000000) return {};
        cm = cm * 10 + (text[i] - '0');
    }
    return cm;
}

std::int64_t AngleFactor(std::int64_t leg, std::int64_t height) {
    return (200 * leg + height) / (2 * height);
}

std::int64_t LoadPerLeg(std::int64_t kg, int legs, std::int64_t leg, std::int64_t height) {
    const std::int64_t shares = legs * height;
    return (kg * leg + shares - 1) / shares;
}

namespace {

// Kilograms as the phone shows them, the thousands apart from ten thousand on ("1250",
// "12 500", with a space that does not break).
std::string kilograms(std::int64_t kg) {
    char digits[24], shown[48];
    const int n = std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(kg));
    int at = 0;
    for (int i = 0; i < n; ++i) {
        if (n > 4 && i > 0 && (n - i) % 3 == 0) {
            shown[at++] = '\xC2';
            shown[at++] = '\xA0';
        }
        shown[at++] = digits[i];
    }
    return std::string(shown, std::size_t(at));
}

const char* kilogramsWord(std::int64_t kg) {
    return kg == 1 ? "quilograma" : "quilogramas";
}

}  // namespace

SlingForm::SlingForm(FormsRuntime& runtime, const FormDesc& desc, int legs)
    : Form(runtime, desc), legs_(legs) {}

// The factor from the leg and the height as their read-outs show them; with a weight, the load
// on each leg as if two legs carried it all (a rigid load on three or four legs may hang on two),
// and for three and four legs each leg's equal share.
LegLoad SlingForm::legLoad() const {
    LegLoad load;
    load.legs = legs_;
    load.weight = weight();
    load.after = "txtanginf";
    const auto leg = ShownCentimetres(txtperna.Text());
    const auto height = ShownCentimetres(txtaltura.Text());
    if (!leg || !height || *height == 0) return load;
    const std::int64_t factor = AngleFactor(*leg, *height);
    char text[32], said[512];
    std::snprintf(text, sizeof text, "%lld,%02lld", static_cast<long long>(factor / 100),
                  static_cast<long long>(factor % 100));
    load.factor = text;
    // The names are literals, each ended by a null.
    int n = std::snprintf(said, sizeof said, "%s %s", kFactorName.data(), text);
    if (weight() > 0) {
        const std::int64_t two = LoadPerLeg(weight(), 2, *leg, *height);
        load.perLeg = kilograms(two);
        n += std::snprintf(said + n, sizeof said - std::size_t(n), "; %s %lld %s, %s",
                           kPerLegName.data(), static_cast<long long>(two), kilogramsWord(two),
                           kTwoLegsCarry.data());
    }
    if (weight() > 0 && legs_ > 2) {
        const std::int64_t share = LoadPerLeg(weight(), legs_, *leg, *height);
        load.share = kilograms(share);
        std::snprintf(said + n, sizeof said - std::size_t(n), "; %s %lld %s", kShareName.data(),
                      static_cast<long long>(share), kilogramsWord(share));
    }
    load.said = said;
    return load;
}

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
