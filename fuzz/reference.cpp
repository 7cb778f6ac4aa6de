#include "fuzz/reference.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <tuple>

#include "fuzz/invariants.h"

namespace reference {

namespace {

using forms::ErrorKind;

// The program's own number of degrees in a radian (a little more than 180/pi).
constexpr double kDegreesPerRadian = 57.295785523;
// Within this of a rounding boundary, two right orders of the same operations may round apart.
constexpr double kHair = 1e-9;

constexpr std::string_view kInfoTitle = "Informação";
constexpr int kInfoStyle = 64;
constexpr std::string_view kLoadPrompt =
    "Introduza, em primeiro lugar, através do cursor, a medida da carga!";
constexpr std::string_view kLoadPromptAtMinimum =
    "Em primeiro lugar introduza  a medida da carga, através do cursor!";
constexpr std::string_view kLoadsPrompt =
    "Introduza, em primeiro lugar, através do cursor, as medidas da carga!";
constexpr std::string_view kStalled =
    "Não foi possível chegar a exatamente 90 graus: o cálculo parou no comprimento mostrado.";

enum Kind { kTwoLegs, kThreeLegs, kFourLegs };

// The sliders and read-outs of the calculators; not every calculator has every one.
enum Slider { P, H, L, C, A, kSliders };  // leg, height, load (width), length, upper angle
enum Readout { Perna, Altura, LCarga, CCarga, Diam, AngSup, AngInf, kReadouts };

constexpr std::string_view kSliderName[kSliders] = {"hsbperna", "hsbaltura", "hsblcarga",
                                                    "hsbccarga", "hsbangsup"};
constexpr std::string_view kReadoutName[kReadouts] = {
    "txtperna", "txtaltura", "txtlcarga", "txtccarga", "txtdiam", "txtangsup", "txtanginf"};

struct Limits {
    int min = 0, max = -1, design = 0, page = 0;
    bool present() const { return max >= min; }
};

// Each calculator's sliders (leg, height, width, length, angle), as the rigger's tables give
// them; a slider the calculator lacks has no track.
constexpr Limits kLimits[3][kSliders] = {
    {{50, 2000, 101, 10}, {1, 2000, 100, 10}, {100, 1200, 100, 10}, {}, {1, 180, 1, 1}},
    {{50, 2000, 101, 10}, {1, 2000, 100, 10}, {50, 1200, 100, 10}, {}, {1, 180, 1, 1}},
    {{50, 2000, 101, 10},
     {49, 2000, 88, 10},
     {100, 1200, 100, 10},
     {100, 1200, 100, 10},
     {1, 280, 1, 1}},
};

Limits limitsOf(Kind kind, Slider s) {
    return kLimits[kind][s];
}

bool hasReadout(Kind kind, Readout r) {
    if (r == Diam) return kind == kThreeLegs;
    if (r == CCarga) return kind == kFourLegs;
    return true;
}

std::optional<Kind> kindOf(std::string_view form) {
    if (form == "frmduaspernas") return kTwoLegs;
    if (form == "frmtrespernas") return kThreeLegs;
    if (form == "frmquatropernas") return kFourLegs;
    return std::nullopt;
}

const forms::ControlState* find(const forms::Form& form, std::string_view name) {
    return invariants::control(form, name);
}

struct Raised {
    ErrorKind kind;
};

// What a read-out shows: an exact text, or a length that the conversions round to the cent.
struct Shown {
    std::string text;
    double centimetres = -1;  // at or above 0: a length, and `text` is unused
    forms::Colour back = forms::kDefaultColour;

    bool empty() const { return centimetres < 0 && text.empty(); }
    // The texts that may show it: one, or two where the length lies on a half centimetre.
    std::vector<std::string> texts() const {
        if (centimetres < 0) return {text};
        int cents[2];
        std::vector<std::string> all;
        for (int k = 0; k < centimetresShown(cents); ++k)
            all.push_back(invariants::metres(cents[k]));
        return all;
    }
    // Whether `shown` is one of them, without making them: the checks ask millions of times.
    bool shows(const std::string& shown) const {
        if (centimetres < 0) return shown == text;
        int cents[2];
        for (int k = 0; k < centimetresShown(cents); ++k)
            if (shown == invariants::metres(cents[k])) return true;
        return false;
    }
    // The whole centimetres the length may be shown as, and how many.
    int centimetresShown(int (&cents)[2]) const {
        const double below = std::floor(centimetres);
        const double over = centimetres - below;
        if (std::fabs(over - 0.5) < 1e-7) {
            cents[0] = int(below), cents[1] = int(below) + 1;
            return 2;
        }
        cents[0] = int(over < 0.5 ? below : below + 1);
        return 1;
    }
};

}  // namespace

class Calculator {
  public:
    Calculator(Kind kind, const forms::Form& form, Expected& out) : kind_(kind), out_(out) {
        for (int s = 0; s < kSliders; ++s) {
            limits_[s] = limitsOf(kind, Slider(s));
            if (limits_[s].present()) value_[s] = find(form, kSliderName[s])->value;
        }
        for (int r = 0; r < kReadouts; ++r)
            if (hasReadout(kind, Readout(r))) {
                const forms::ControlState* c = find(form, kReadoutName[r]);
                shown_[r].text = c->text;
                shown_[r].back = c->back;
            }
        if (kind == kThreeLegs) diameter_ = find(form, "Option1")->selected;
    }

    void act(Act act, std::string_view control, int value) {
        try {
            switch (act) {
                case Act::Drag:
                    assign(sliderNamed(control), value);
                    break;
                case Act::Type: {
                    // Typing the value the slider holds runs its handler as a change would.
                    const Slider s = sliderNamed(control);
                    if (value == value_[s] && limits_[s].min <= value && value <= limits_[s].max)
                        changed(s);
                    else
                        assign(s, value);
                    break;
                }
                case Act::Arrow:
                case Act::Page: {
                    const Slider s = sliderNamed(control);
                    const int step = act == Act::Arrow ? 1 : limits_[s].page;
                    assign(s, std::clamp(value_[s] + (value < 0 ? -step : step), limits_[s].min,
                                         limits_[s].max));
                    break;
                }
                case Act::Click:
                    click(control);
                    break;
                case Act::Select:
                    // Only the three-leg form has option buttons; choosing one recomputes nothing.
                    diameter_ = control == "Option1";
                    break;
            }
        } catch (const Raised& raised) {
            out_.error = raised.kind;
        }
    }

    void compare(const forms::Form& after, std::vector<std::string>& findings) const {
        const auto fail = [&](const std::string& what) {
            findings.push_back(std::string(after.name()) + ": " + what);
        };
        for (int s = 0; s < kSliders; ++s) {
            if (!limits_[s].present()) continue;
            const int got = find(after, kSliderName[s])->value;
            if (got != value_[s])
                fail(std::string(kSliderName[s]) + " is " + std::to_string(got) +
                     "; it should be " + std::to_string(value_[s]));
        }
        for (int r = 0; r < kReadouts; ++r) {
            if (!hasReadout(kind_, Readout(r))) continue;
            const forms::ControlState* c = find(after, kReadoutName[r]);
            if (!shown_[r].shows(c->text)) {
                const auto texts = shown_[r].texts();
                std::string should = texts[0];
                for (std::size_t i = 1; i < texts.size(); ++i) should += "\" or \"" + texts[i];
                fail(std::string(kReadoutName[r]) + " shows \"" + c->text +
                     "\"; it should show \"" + should + "\"");
            }
            if (c->back != shown_[r].back) {
                char buf[96];
                std::snprintf(buf, sizeof buf, " has the background %06X; it should have %06X",
                              unsigned(c->back), unsigned(shown_[r].back));
                fail(std::string(kReadoutName[r]) + buf);
            }
        }
    }

  private:
    // --- The model's arithmetic: its own checks, its own rounding.

    // To the nearest whole number, halves to even, as a 16-bit value.
    int whole(double x) {
        if (std::isnan(x) || std::fabs(x) > 40000) throw Raised{ErrorKind::Overflow};
        const double over = x - std::floor(x);
        if (over != 0.5 && std::fabs(over - 0.5) < kHair) out_.judged = false;
        const double r = std::nearbyint(x);  // the C library rounds halves to even
        if (r < -32768 || r > 32767) throw Raised{ErrorKind::Overflow};
        return int(r);
    }
    static double root(double x) {
        if (x < 0) throw Raised{ErrorKind::InvalidArgument};
        return std::sqrt(x);
    }

    // The height of a leg p whose foot lies x from the master link's vertical.
    int heightOf(double x, int p) { return whole(root(double(p) * p - x * x)); }
    // The leg whose foot lies x from the vertical at the height h.
    int legOf(double x, int h) { return whole(root(double(h) * h + x * x)); }
    // The upper angle between two legs p whose feet lie x either side of the vertical: twice
    // the angle whose sine is x / p, in whole degrees. A foot as far out as the leg is long
    // (a flat leg) has no angle: its tangent divides by zero.
    int angleOf(double x, int p) {
        const double sine = x / p;
        const double cosineSquared = 1 - sine * sine;
        if (cosineSquared < 0) throw Raised{ErrorKind::InvalidArgument};
        if (cosineSquared == 0) throw Raised{ErrorKind::DivisionByZero};
        return whole(2 * std::asin(sine) * kDegreesPerRadian);
    }

    // The three-leg form: the feet lie on a circle of radius R round the vertical, at the
    // corners of an equilateral triangle. Its side is the load in distance mode; the circle's
    // diameter is the load in diameter mode.
    double radius() const {
        const double load = value_[L];
        return diameter_ ? load / 2 : load / std::sqrt(3.0);
    }
    // Half the side of that triangle: half the distance between two legs.
    static double halfSide(double radius) { return radius * std::sqrt(3.0) / 2; }

    // The four-leg form: the feet lie at the corners of the load, half its diagonal from the
    // vertical; the height and length handlers hold it in single precision.
    double halfDiagonal() const {
        return std::sqrt(double(value_[C]) * value_[C] + double(value_[L]) * value_[L]) / 2;
    }
    double halfDiagonalSingle() const { return double(float(halfDiagonal())); }

    // --- Sliders, read-outs, messages.

    Slider sliderNamed(std::string_view name) const {
        for (int s = 0; s < kSliders; ++s)
            if (kSliderName[s] == name && limits_[s].present()) return Slider(s);
        std::abort();  // the fuzzer acts only on the calculators' own sliders
    }

    // A slider assigned a value: off its track, refused; the same value, nothing; any other
    // runs the slider's change handler at once, nested.
    void assign(Slider s, int v) {
        if (v < limits_[s].min || v > limits_[s].max) throw Raised{ErrorKind::InvalidPropertyValue};
        if (v == value_[s]) return;
        value_[s] = v;
        changed(s);
    }

    void say(std::string_view text) {
        if (std::find(out_.messages.begin(), out_.messages.end(), text) == out_.messages.end())
            out_.messages.emplace_back(text);
    }
    void showExact(Readout r, std::string text) {
        shown_[r].text = std::move(text);
        shown_[r].centimetres = -1;
    }
    void showMetres(Readout r, int centimetres) { showExact(r, invariants::metres(centimetres)); }
    void showLength(Readout r, double centimetres) { shown_[r].centimetres = centimetres; }

    // The upper angle's read-outs and the colour of its band on the leg and both angles.
    void angleChanged() {
        const int a = value_[A];
        showExact(AngSup, invariants::upperAngleText(a));
        showExact(AngInf, invariants::lowerAngleText(a));
        for (Readout r : {Perna, AngSup, AngInf}) shown_[r].back = invariants::bandColour(a);
    }
    // The number the upper angle's read-out shows (0 while it is empty).
    double angleShown() const {
        return shown_[AngSup].text.empty() ? 0 : std::strtod(shown_[AngSup].text.c_str(), nullptr);
    }

    bool loadUntouched(int atLoad) const { return shown_[LCarga].empty() && value_[L] == atLoad; }

    int p() const { return value_[P]; }
    int h() const { return value_[H]; }
    int a() const { return value_[A]; }

    void changed(Slider s) {
        if (s == A) return angleChanged();
        switch (kind_) {
            case kTwoLegs:
                return twoLegs(s);
            case kThreeLegs:
                return threeLegs(s);
            case kFourLegs:
                return fourLegs(s);
        }
    }

    // Two legs over a load L: the feet lie L/2 either side of the vertical.
    void twoLegs(Slider s) {
        const auto x = [&] { return value_[L] / 2.0; };
        const auto legPastTheLoad = [&] { return whole(x() + 1); };
        switch (s) {
            case L:
                if (x() >= p()) assign(P, legPastTheLoad());
                // A flat sling follows a new load with its leg: the height goes up one first.
                if (angleShown() >= 150) assign(H, h() + 1);
                assign(H, heightOf(x(), p()));
                showMetres(LCarga, value_[L]);
                break;
            case P:
                if (loadUntouched(100)) say(kLoadPrompt);
                if (value_[L] >= 2 * p())
                    assign(P, legPastTheLoad());
                else if (h() >= p())
                    assign(H, p() - 1);
                assign(H, heightOf(x(), p()));
                showMetres(Perna, p());
                break;
            case H:
                if (value_[L] >= 2 * p())
                    assign(P, legPastTheLoad());
                else if (h() >= p())
                    assign(P, h() + 1);
                assign(P, legOf(x(), h()));
                assign(A, angleOf(x(), p()));
                showLength(Altura, root(double(p()) * p() - x() * x()));
                break;
            default:
                break;
        }
    }

    void threeLegs(Slider s) {
        switch (s) {
            case P: {
                if (loadUntouched(100)) say(kLoadPrompt);
                const double r = radius();
                if (r >= p())
                    assign(P, whole(r + 1));
                else if (h() >= p())
                    assign(H, p() - 1);
                assign(H, heightOf(r, p()));
                showMetres(Perna, p());
                break;
            }
            case L: {
                const double r = radius();
                if (p() <= r) assign(P, whole(r + 1));
                assign(H, heightOf(r, p()));
                // The distance between two legs, and the diameter of the circle of the feet.
                showLength(LCarga, 2 * halfSide(r));
                if (diameter_)
                    showMetres(Diam, value_[L]);
                else
                    showLength(Diam, 2 * r);
                break;
            }
            case H: {
                if (loadUntouched(50)) say(kLoadPromptAtMinimum);
                const double r = radius();
                if (r >= p())
                    assign(P, whole(r + 1));
                else if (h() >= p())
                    assign(H, p() - 1);
                assign(P, legOf(r, h()));
                // The upper angle lies between two adjacent legs.
                assign(A, angleOf(halfSide(r), p()));
                showLength(Altura, root(double(p()) * p() - r * r));
                break;
            }
            default:
                break;
        }
    }

    void fourLegs(Slider s) {
        switch (s) {
            case P: {
                if (loadUntouched(100) && shown_[CCarga].empty() && value_[C] == 100)
                    say(kLoadsPrompt);
                const double x = halfDiagonal();
                if (x > p()) assign(P, whole(x + 10));
                assign(H, heightOf(x, p()));
                // The upper angle lies between two diagonally opposite legs.
                assign(A, angleOf(x, p()));
                showMetres(Perna, p());
                break;
            }
            case H: {
                const double x = halfDiagonalSingle();
                assign(P, legOf(x, h()));
                assign(H, heightOf(x, p()));
                assign(A, angleOf(x, p()));
                showMetres(Altura, h());
                break;
            }
            case C: {
                const double x = halfDiagonalSingle();
                if (x > p()) assign(P, whole(x + 10));
                assign(P, legOf(x, h()));
                assign(H, heightOf(x, p()));
                showMetres(LCarga, value_[L]);
                showMetres(CCarga, value_[C]);
                break;
            }
            case L: {
                const double x = halfDiagonal();
                assign(P, legOf(x, h()));
                assign(H, heightOf(x, p()));
                showMetres(LCarga, value_[L]);
                break;
            }
            default:
                break;
        }
    }

    void click(std::string_view button) {
        const bool search = (kind_ == kThreeLegs && button == "Command2") ||
                            (kind_ != kThreeLegs && button == "Command4");
        if (!search) {
            out_.unloaded = true;  // "Cancelar": back to the main menu
            return;
        }
        // The search walks the leg a centimetre at a time towards the 90-degree leg, after
        // bringing height, leg and angle into agreement, and stops when it comes round to a
        // pass it has seen.
        std::set<std::tuple<int, int, int>> seen;
        switch (kind_) {
            case kTwoLegs: {
                if (loadUntouched(100)) return say(kLoadPrompt);
                const auto x = [&] { return value_[L] / 2.0; };
                while (a() != 90) {
                    if (!seen.insert({p(), h(), a()}).second) return say(kStalled);
                    assign(P, legOf(x(), h()));
                    assign(A, angleOf(x(), p()));
                    assign(H, heightOf(x(), p()));
                    assign(P, a() < 90 ? p() - 1 : p() + 1);
                }
                break;
            }
            case kThreeLegs: {
                if (loadUntouched(100)) return say(kLoadPrompt);
                while (a() != 90) {
                    if (!seen.insert({p(), h(), a()}).second) return say(kStalled);
                    const double r = radius();
                    assign(P, legOf(r, h()));
                    assign(A, angleOf(halfSide(r), p()));
                    assign(H, heightOf(r, p()));
                    if (a() != 90) assign(P, a() > 90 ? p() + 1 : p() - 1);
                }
                break;
            }
            case kFourLegs: {
                if (loadUntouched(100) && shown_[CCarga].empty() && value_[C] == 100)
                    return say(kLoadsPrompt);
                const double x = halfDiagonal();
                while (a() != 90) {
                    if (!seen.insert({p(), h(), a()}).second) return say(kStalled);
                    assign(P, legOf(x, h()));
                    assign(H, heightOf(x, p()));
                    assign(A, angleOf(x, p()));
                    if (a() != 90) assign(P, a() < 90 ? p() - 1 : p() + 1);
                }
                break;
            }
        }
    }

    Kind kind_;
    Expected& out_;
    Limits limits_[kSliders];
    int value_[kSliders] = {};
    Shown shown_[kReadouts];
    bool diameter_ = true;
};

Judge::Judge(const forms::Form& before, Act act, std::string_view control, int value) {
    const auto kind = kindOf(before.name());
    if (!kind) return;
    model_ = std::make_unique<Calculator>(*kind, before, expected_);
    model_->act(act, control, value);
}

Judge::~Judge() = default;

void Judge::check(const forms::Form& after, const std::optional<forms::ErrorKind>& refused,
                  const std::vector<Box>& shown, std::vector<std::string>& findings) const {
    if (!model_ || !expected_.judged) return;
    const auto fail = [&](const std::string& what) {
        findings.push_back(std::string(after.name()) + ": " + what);
    };
    // Every message the action showed, each once, in the order of its first showing.
    std::vector<std::string> said;
    for (const Box& box : shown) {
        if (box.style != kInfoStyle || box.title != kInfoTitle)
            fail("a message box of style " + std::to_string(box.style) + " titled \"" + box.title +
                 "\": \"" + box.text + "\"");
        if (std::find(said.begin(), said.end(), box.text) == said.end()) said.push_back(box.text);
    }
    if (said != expected_.messages) {
        std::string text = "the action said";
        for (const auto& m : said) text += " \"" + m + "\"";
        text += said.empty() ? " nothing" : "";
        text += "; it should say";
        for (const auto& m : expected_.messages) text += " \"" + m + "\"";
        text += expected_.messages.empty() ? " nothing" : "";
        fail(text);
    }
    if (refused != expected_.error) {
        const auto name = [](const std::optional<forms::ErrorKind>& e) {
            return e ? std::string(forms::errorName(*e)) : std::string("no error");
        };
        fail("the action ended with " + name(refused) + "; the state before it leads to " +
             name(expected_.error));
        return;
    }
    if (expected_.unloaded) {
        if (after.loaded()) fail("\"Cancelar\" left the form loaded");
        return;
    }
    // A refused action is put back as it was; the driver checks that.
    if (!expected_.error) model_->compare(after, findings);
}

void checkFresh(const forms::Form& form, std::vector<std::string>& findings) {
    const auto kind = kindOf(form.name());
    if (!kind) return;
    const auto fail = [&](const std::string& what) {
        findings.push_back(std::string(form.name()) + " as loaded: " + what);
    };
    for (int s = 0; s < kSliders; ++s) {
        const Limits limits = limitsOf(*kind, Slider(s));
        if (!limits.present()) continue;
        const int got = find(form, kSliderName[s])->value;
        if (got != limits.design)
            fail(std::string(kSliderName[s]) + " is " + std::to_string(got) + ", not " +
                 std::to_string(limits.design));
    }
    for (int r = 0; r < kReadouts; ++r) {
        if (!hasReadout(*kind, Readout(r))) continue;
        const forms::ControlState* c = find(form, kReadoutName[r]);
        const forms::Colour design = r == AngSup ? 0xFFFFFF : forms::kDefaultColour;
        if (!c->text.empty()) fail(std::string(kReadoutName[r]) + " shows \"" + c->text + "\"");
        if (c->back != design) fail(std::string(kReadoutName[r]) + " is coloured");
    }
    if (*kind == kThreeLegs && !find(form, "Option1")->selected)
        fail("the diameter mode is not selected");
}

}  // namespace reference
