// The angle handler that all three calculators share: both angle read-outs and the colour of
// the leg and angle read-outs, by band.
#include <gtest/gtest.h>

#include <optional>

#include "calculators/duaspernas.h"
#include "calculators/quatropernas.h"
#include "calculators/trespernas.h"
#include "tests/program.h"

using namespace calculators;
using testing_support::Program;

namespace {

template <class F>
void expectBands(F& form) {
    struct Case {
        int angle;
        forms::Colour colour;
    };
    for (auto [angle, colour] :
         {Case{60, kGreen}, Case{61, kLightGreen}, Case{90, kLightGreen}, Case{91, kYellow},
          Case{120, kYellow}, Case{121, kRed}, Case{175, kRed}, Case{1, kGreen}, Case{180, kRed}}) {
        form.hsbangsup.setValue(forms::Int(static_cast<std::int16_t>(angle)));
        SCOPED_TRACE(angle);
        EXPECT_EQ(form.txtperna.BackColor(), colour);
        EXPECT_EQ(form.txtangsup.BackColor(), colour);
        EXPECT_EQ(form.txtanginf.BackColor(), colour);
        // Each says the band in words, of its own quantity.
        const auto note = [&](const char* name) { return form.find(name)->note; };
        const auto head = [&](const char* name) {
            return note(name).substr(0, note(name).find(':'));
        };
        EXPECT_EQ(head("txtperna"), head("txtangsup"));
        EXPECT_EQ(head("txtanginf"), head("txtangsup"));
        EXPECT_NE(note("txtangsup").find("ângulo superior"), std::string_view::npos);
        EXPECT_NE(note("txtanginf").find("ângulo inferior"), std::string_view::npos);
        EXPECT_NE(note("txtperna").find("pernada"), std::string_view::npos);
    }
}

}  // namespace

TEST(AngleReadout, ColoursAllThreeReadoutsByBandOnEveryCalculator) {
    Program program;
    expectBands(program.open<frmduaspernas>());
    expectBands(program.open<frmtrespernas>());
    expectBands(program.open<frmquatropernas>());
}

TEST(AngleReadout, WritesTheUpperAndLowerAngle) {
    Program program;
    auto& f = program.open<frmduaspernas>();
    f.hsbangsup.setValue(164);
    EXPECT_EQ(f.txtangsup.Text(), " 164");
    EXPECT_EQ(f.txtanginf.Text(), " 8");
    f.hsbangsup.setValue(39);
    EXPECT_EQ(f.txtanginf.Text(), " 70.5");
    f.hsbangsup.setValue(175);
    EXPECT_EQ(f.txtanginf.Text(), " 2.5");
    f.hsbangsup.setValue(90);
    EXPECT_EQ(f.txtangsup.Text(), " 90");
    EXPECT_EQ(f.txtanginf.Text(), " 45");
    // The four-leg angle slider goes past 180: the lower angle turns negative.
    auto& q = program.open<frmquatropernas>();
    q.hsbangsup.setValue(200);
    EXPECT_EQ(q.txtanginf.Text(), "-10");
}

TEST(AngleReadout, TheSameAngleAgainChangesNothing) {
    Program program;
    auto& f = program.open<frmduaspernas>();
    f.hsbangsup.setValue(50);
    f.txtangsup.setText("marker");
    f.txtperna.setBackColor(0x123456);
    f.hsbangsup.setValue(50);
    EXPECT_EQ(f.txtangsup.Text(), "marker");
    EXPECT_EQ(f.txtperna.BackColor(), 0x123456);
}

TEST(AngleReadout, AFreshCalculatorShowsNoAngleYet) {
    Program program;
    for (forms::Form* form : {static_cast<forms::Form*>(&program.open<frmduaspernas>()),
                              static_cast<forms::Form*>(&program.open<frmtrespernas>()),
                              static_cast<forms::Form*>(&program.open<frmquatropernas>())}) {
        auto& f = static_cast<SlingForm&>(*form);
        EXPECT_EQ(f.txtangsup.Text(), "");
        EXPECT_EQ(f.txtanginf.Text(), "");
        EXPECT_EQ(f.txtangsup.BackColor(), 0xFFFFFF);
        EXPECT_EQ(f.txtanginf.BackColor(), forms::kDefaultColour);
        EXPECT_EQ(f.txtperna.BackColor(), forms::kDefaultColour);
    }
}

TEST(Geometry, FormulasRoundAsTheHandlersNeed) {
    using forms::Real;
    EXPECT_EQ(Height(50, 150), 141);
    EXPECT_EQ(Leg(50, 141), 150);
    EXPECT_EQ(UpperAngle(50, 150), 39);
    EXPECT_EQ(UpperAngle(Real(101) / 2, 71), 91);
    EXPECT_EQ(UpperAngle(Real(101) / 2, 72), 89);
    // At q = 1 the angle is a division by zero, beyond it the root of a negative number.
    auto errorOf = [](Real x, int p) -> std::optional<forms::ErrorKind> {
        try {
            UpperAngle(x, forms::Int(static_cast<std::int16_t>(p)));
        } catch (const forms::RuntimeError& e) {
            return e.kind();
        }
        return std::nullopt;
    };
    EXPECT_EQ(errorOf(50, 50), forms::ErrorKind::DivisionByZero);
    EXPECT_EQ(errorOf(60, 50), forms::ErrorKind::InvalidArgument);
    EXPECT_EQ(errorOf(49, 50), std::nullopt);
}

// The angle factor and the load on each leg, worked out by hand from the leg and the height as
// their read-outs show them.
TEST(LegLoad, FactorAndLoadPerLegFromTheReadoutsAsShown) {
    Program program;
    forms::Form* forms[] = {nullptr, nullptr, &program.open<frmduaspernas>(),
                            &program.open<frmtrespernas>(), &program.open<frmquatropernas>()};
    const struct {
        int legs;
        const char *leg, *height;
        int kg;
        const char *factor, *perLeg, *share;
    } rows[] = {
        {2, "2.00", "2.00", 1000, "1,00", "500", ""},               // vertical
        {2, "10.00", "8.66", 1000, "1,15", "578", ""},              // 60 degrees: 577,37 up
        {3, "14.14", "10.00", 3000, "1,41", "2121", "1414"},        // 45 degrees
        {4, "2.00", "1.00", 12000, "2,00", "12\u00A0000", "6000"},  // 30 degrees
        {2, "3.00", "3.00", 200, "1,00", "100", ""},                // exact: not rounded up
        {2, "2.01", "2.00", 1, "1,01", "1", ""},                    // 1,005 rounds up
        {2, "2.01", "2.00", 0, "1,01", "", ""},                     // no weight
        // The flattest sling with the largest weight.
        {2, "20.00", "0.01", 999999, "2000,00", "999\u00A0999\u00A0000", ""},
        {4, "20.00", "0.01", 999999, "2000,00", "999\u00A0999\u00A0000", "499\u00A0999\u00A0500"},
        // Nothing where a read-out shows no length.
        {2, "2.00", "", 1000, "", "", ""},
        {3, "", "1.00", 1000, "", "", ""},
        {4, "2.00", "0.00", 1000, "", "", ""},
    };
    for (const auto& r : rows) {
        auto& form = static_cast<SlingForm&>(*forms[r.legs]);
        form.txtperna.setText(r.leg);
        form.txtaltura.setText(r.height);
        form.setWeight(r.kg);
        const forms::LegLoad got = form.legLoad();
        SCOPED_TRACE(std::string(r.leg) + " / " + r.height);
        EXPECT_EQ(got.legs, r.legs);
        EXPECT_EQ(got.factor, r.factor);
        EXPECT_EQ(got.perLeg, r.perLeg);
        EXPECT_EQ(got.share, r.share);
    }
    EXPECT_EQ(static_cast<SlingForm&>(*forms[3]).legLoad().said, "");
    auto& three = static_cast<SlingForm&>(*forms[3]);
    three.txtperna.setText("14.14");
    three.txtaltura.setText("10.00");
    three.setWeight(3000);
    EXPECT_EQ(three.legLoad().said,
              "Factor de ângulo 1,41; Em cada perna: 2121 quilogramas, conta com duas pernas a "
              "suportar a carga; se todas as pernas partilharem por igual: 1414 quilogramas");
}
