// What the three sling calculators share: the leg, height and angle controls, the angle
// read-out with its colour bands, the formulas of a leg hanging over a horizontal distance, and
// the 90-degree search's guard against walking in circles.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_set>

#include "forms/form.h"
#include "forms/numbers.h"

namespace calculators {

using forms::Int;
using forms::Real;

// The four bands of the upper angle, from the flattest.
struct Band {
    forms::Colour colour;
    // Said in words, for those who cannot tell the colours apart, by each read-out of its own
    // quantity: the upper angle's, the lower angle's (90 less half the upper) and the leg's.
    std::string_view upper, lower, leg;
};
Band bandOf(Real upperAngle);

inline constexpr forms::Colour kRed = 0xFF0000;
inline constexpr forms::Colour kYellow = 0xFFFF00;
inline constexpr forms::Colour kLightGreen = 0x80FF80;
inline constexpr forms::Colour kGreen = 0x00C000;
// The ink of the drawings' dimension letters.
inline constexpr forms::Colour kNavy = 0x000080;

// Degrees in a radian as this program has always turned radians into degrees: its own factor,
// which is close to 180/π (57.29577951...) but not equal to it. Some angles on the read-outs
// depend on the difference.
inline constexpr double kDegreesPerRadian = 57.295785523;

// Heights, legs and angles in whole units for a leg p over the horizontal distance x.
// Height(x, p): the height that belongs to leg p.
Int Height(Real x, Int p);
// Leg(x, h): the leg that belongs to height h.
Int Leg(Real x, Int h);
// UpperAngle(x, p): twice the arcsine of x / p, in whole degrees.
Int UpperAngle(Real x, Int p);

// The load on each leg. The angle factor, 1 over the sine of a leg's angle to the horizontal, is
// the leg over the height; both are taken in centimetres as their read-outs show them.
// ShownCentimetres("2.23"): 223; none for an empty read-out, or one showing no length.
std::optional<std::int64_t> ShownCentimetres(std::string_view text);
// The factor in hundredths, rounded half up: 141 for a leg of 141 over a height of 100.
// Height above 0.
std::int64_t AngleFactor(std::int64_t leg, std::int64_t height);
// The load on each of `legs` legs that share `kg` equally, times the exact factor, rounded up to
// the next kg. Height above 0.
std::int64_t LoadPerLeg(std::int64_t kg, int legs, std::int64_t leg, std::int64_t height);

// What the two- and three-leg calculators ask while the load has not been entered.
inline constexpr std::string_view kLoadPrompt =
    "Introduza, em primeiro lugar, através do cursor, a medida da carga!";

inline constexpr std::string_view kSearchStalled =
    "Não foi possível chegar a exatamente 90 graus: o cálculo parou no comprimento mostrado.";

// The 90-degree search walks the leg one centimetre at a time; for some loads it would walk back
// and forth for ever. It remembers the (leg, height, angle) seen at the top of each pass and
// stops when one comes round again.
class SearchGuard {
  public:
    SearchGuard() { seen_.reserve(4096); }
    bool repeats(Int leg, Int height, Int angle) {
        const std::uint64_t key = (std::uint64_t(std::uint16_t(leg.value())) << 32) |
                                  (std::uint64_t(std::uint16_t(height.value())) << 16) |
                                  std::uint16_t(angle.value());
        return !seen_.insert(key).second;
    }

  private:
    std::unordered_set<std::uint64_t> seen_;
};

// A calculator form: the leg, the hidden height and angle sliders and their read-outs, and the
// angle handler, the only writer of the angle read-outs and of the three colours.
class SlingForm : public forms::Form {
  public:
    SlingForm(forms::FormsRuntime& runtime, const forms::FormDesc& desc, int legs);

    forms::Slider hsbperna = slider("hsbperna");
    forms::Slider hsbaltura = slider("hsbaltura");
    forms::Slider hsbangsup = slider("hsbangsup");
    forms::ReadoutField txtperna = readout("txtperna");
    forms::ReadoutField txtaltura = readout("txtaltura");
    forms::ReadoutField txtangsup = readout("txtangsup");
    forms::ReadoutField txtanginf = readout("txtanginf");

    void hsbangsup_Change();
    forms::LegLoad legLoad() const override;
    // "Cancelar": back to the main menu.
    void Cancelar_Click();

  protected:
    Int p() const { return hsbperna.Value(); }
    Int h() const { return hsbaltura.Value(); }
    Int a() const { return hsbangsup.Value(); }

    // A length in centimetres written to a read-out in metres with two decimals.
    static void showMetres(forms::ReadoutField field, Real centimetres);
    // The same through the general form of a number (no sign position).
    static void showMetresPlain(forms::ReadoutField field, Real centimetres);

  private:
    const int legs_;
};

}  // namespace calculators
