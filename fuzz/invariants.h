// What must hold of the calculator forms after every user action, whatever came before it:
// the checks shared by the action fuzzer, its regression tests and the exhaustive sweeps.
//
// The expected texts and colours are worked out here from the slider values, independently of
// the conversions and colour bands the forms use, so that a fault in either shows up.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "forms/form.h"

namespace invariants {

// What was found broken, in words; empty when everything holds.
using Findings = std::vector<std::string>;

// A whole number of centimetres in metres with two decimals: "1.13", "0.74", "12.00".
inline std::string formatMetres(int centimetres) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s%d.%02d", centimetres < 0 ? "-" : "",
                  std::abs(centimetres) / 100, std::abs(centimetres) % 100);
    return buf;
}

// The upper angle as its read-out shows it: " 39".
inline std::string formatUpperAngle(int a) {
    return (a < 0 ? "-" : " ") + std::to_string(std::abs(a));
}

// The lower angle 90 - a/2 as its read-out shows it: " 70.5", " 45", " .5", "-.5".
inline std::string formatLowerAngle(int a) {
    const int twice = 180 - a;
    const int whole = std::abs(twice) / 2;
    const bool half = twice % 2 != 0;
    std::string s = twice < 0 ? "-" : " ";
    if (whole != 0 || !half) s += std::to_string(whole);
    if (half) s += ".5";
    return s;
}

// The texts of 0..N-1, worked out once: the checks run millions of times a second.
template <int N>
struct Texts {
    explicit Texts(std::string (*format)(int)) {
        for (int i = 0; i < N; ++i) text[i] = format(i);
    }
    std::string text[N];
};

inline std::string metres(int centimetres) {
    static const Texts<2001> table(formatMetres);
    return centimetres >= 0 && centimetres <= 2000 ? table.text[centimetres]
                                                   : formatMetres(centimetres);
}
inline std::string upperAngleText(int a) {
    static const Texts<361> table(formatUpperAngle);
    return a >= 0 && a <= 360 ? table.text[a] : formatUpperAngle(a);
}
inline std::string lowerAngleText(int a) {
    static const Texts<361> table(formatLowerAngle);
    return a >= 0 && a <= 360 ? table.text[a] : formatLowerAngle(a);
}

// The colour of the band of an upper angle, tested from the flattest.
inline forms::Colour bandColour(int a) {
    if (a > 120) return 0xFF0000;
    if (a > 90) return 0xFFFF00;
    if (a > 60) return 0x80FF80;
    return 0x00C000;
}

// The number a read-out shows, or NaN when its text is not a plain decimal number.
inline double shownNumber(const std::string& text) {
    if (text.empty()) return NAN;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() ? v : NAN;
}

// The control of that name. The checks ask for the same few names millions of times a second:
// each thread keeps where it last found each name, and takes it again only when it is still a
// control of this form with this name.
inline const forms::ControlState* control(const forms::Form& form, std::string_view name) {
    struct Found {
        const char* name = nullptr;
        const forms::ControlState* at = nullptr;
    };
    thread_local Found found[64];
    Found& f = found[(reinterpret_cast<std::uintptr_t>(name.data()) >> 3) % 64];
    const std::vector<forms::ControlState>& all = form.controls();
    const auto at = reinterpret_cast<std::uintptr_t>(f.at);
    const auto first = reinterpret_cast<std::uintptr_t>(all.data());
    if (f.name == name.data() && at >= first &&
        at < first + all.size() * sizeof(forms::ControlState) &&
        (at - first) % sizeof(forms::ControlState) == 0 && f.at->desc->name == name)
        return f.at;
    for (const forms::ControlState& c : all)
        if (c.desc->name == name) {
            f = {name.data(), &c};
            return &c;
        }
    return nullptr;
}

inline bool isCalculator(const forms::Form& form) {
    return form.name() == "frmduaspernas" || form.name() == "frmtrespernas" ||
           form.name() == "frmquatropernas";
}

// The three-leg form: the distance from the master link's vertical to each attachment point,
// and half the distance between two adjacent ones, for the load L in either mode.
inline double threeLegRadius(int load, bool diameterMode) {
    const double l = load;
    return diameterMode ? l / 2.0 : std::sqrt(l * l - (l / 2.0) * (l / 2.0)) / 3.0 * 2;
}
inline double threeLegHalfSpacing(double r) {
    return std::sqrt(r * r - (r / 2) * (r / 2));
}

namespace detail {

struct Checker {
    const forms::Form& form;
    Findings& out;

    const forms::ControlState& c(std::string_view name) const {
        const forms::ControlState* s = control(form, name);
        if (!s) std::abort();  // the forms' tables name these controls
        return *s;
    }
    int value(std::string_view name) const { return c(name).value; }
    const std::string& text(std::string_view name) const { return c(name).text; }

    void fail(std::string what) const {
        out.push_back(std::string(form.name()) + ": " + std::move(what));
    }
    // A read-out that shows a whole number of centimetres in metres.
    void showsMetres(std::string_view readout, std::string_view slider) const {
        const std::string& t = text(readout);
        if (t.empty()) {
            if (value(slider) != c(slider).desc->value)
                fail(std::string(readout) + " is empty but " + std::string(slider) + " moved to " +
                     std::to_string(value(slider)));
        } else if (t != metres(value(slider))) {
            fail(std::string(readout) + " shows \"" + t + "\" but " + std::string(slider) + " is " +
                 std::to_string(value(slider)));
        }
    }
    // The height read-out of the two- and three-leg forms shows the height of the leg before
    // rounding to whole centimetres: it may differ from the height slider by its rounding and
    // by the read-out's own.
    void showsHeightNear(std::string_view readout, std::string_view slider) const {
        const std::string& t = text(readout);
        if (t.empty()) {
            if (value(slider) != c(slider).desc->value)
                fail(std::string(readout) + " is empty but " + std::string(slider) + " moved to " +
                     std::to_string(value(slider)));
            return;
        }
        const double shown = shownNumber(t);
        if (!(std::fabs(shown * 100 - value(slider)) <= 1.0 + 1e-9))
            fail(std::string(readout) + " shows \"" + t + "\" but " + std::string(slider) + " is " +
                 std::to_string(value(slider)));
    }
    void shows(std::string_view readout, double metresValue) const {
        const std::string& t = text(readout);
        const double shown = shownNumber(t);
        char buf[48];
        std::snprintf(buf, sizeof buf, "%.6f", metresValue);
        if (!(std::fabs(shown - metresValue) <= 0.005 + 1e-9))
            fail(std::string(readout) + " shows \"" + t + "\" instead of " + buf);
    }
};

}  // namespace detail

// Every slider within its limits, in any form.
inline void checkSliders(const forms::Form& form, Findings& out) {
    for (const forms::ControlState& s : form.controls())
        if (s.desc->kind == forms::Kind::Slider && (s.value < s.desc->min || s.value > s.desc->max))
            out.push_back(std::string(form.name()) + ": " + std::string(s.desc->name) + " is " +
                          std::to_string(s.value) + ", off its track " +
                          std::to_string(s.desc->min) + ".." + std::to_string(s.desc->max));
}

// What holds of a loaded calculator after every action that was not refused (and so, by
// restoring, after every action): the leg, height, load and angle read-outs agree with their
// sliders, and the three coloured read-outs carry the colour of the angle's band. A read-out
// that no handler has written yet is empty and its slider still at its design value.
inline void checkCalculator(const forms::Form& form, Findings& out) {
    checkSliders(form, out);
    const detail::Checker k{form, out};

    k.showsMetres("txtperna", "hsbperna");

    const int a = k.value("hsbangsup");
    const std::string& up = k.text("txtangsup");
    const std::string& low = k.text("txtanginf");
    if (up.empty() != low.empty()) k.fail("one angle read-out is empty, the other not");
    const forms::ControlState* coloured[] = {&k.c("txtperna"), &k.c("txtangsup"),
                                             &k.c("txtanginf")};
    if (up.empty()) {
        if (a != k.c("hsbangsup").desc->value)
            k.fail("the angle read-outs are empty but the angle moved to " + std::to_string(a));
        for (const forms::ControlState* r : coloured)
            if (r->back != r->desc->back)
                k.fail(std::string(r->desc->name) + " is coloured before any angle was shown");
    } else {
        if (up != upperAngleText(a))
            k.fail("txtangsup shows \"" + up + "\" but the angle is " + std::to_string(a));
        if (low != lowerAngleText(a))
            k.fail("txtanginf shows \"" + low + "\" but the angle is " + std::to_string(a));
        for (const forms::ControlState* r : coloured)
            if (r->back != bandColour(a)) {
                char buf[96];
                std::snprintf(buf, sizeof buf, " has the colour #%06X; the angle %d is in #%06X",
                              static_cast<unsigned>(r->back), a,
                              static_cast<unsigned>(bandColour(a)));
                k.fail(std::string(r->desc->name) + buf);
            }
    }

    if (form.name() == "frmquatropernas") {
        k.showsMetres("txtaltura", "hsbaltura");
        k.showsMetres("txtlcarga", "hsblcarga");
        k.showsMetres("txtccarga", "hsbccarga");
    } else if (form.name() == "frmduaspernas") {
        k.showsHeightNear("txtaltura", "hsbaltura");
        k.showsMetres("txtlcarga", "hsblcarga");
    } else {
        k.showsHeightNear("txtaltura", "hsbaltura");
        // The load read-outs follow the mode of the last load move, and are checked where an
        // action writes them; until the first one they are empty and the load untouched.
        if ((k.text("txtlcarga").empty() || k.text("txtdiam").empty()) &&
            !(k.text("txtlcarga").empty() && k.text("txtdiam").empty() &&
              k.value("hsblcarga") == k.c("hsblcarga").desc->value))
            k.fail("a load read-out is empty although the load has moved");
    }
}

// The read-outs that an action wrote, where they depend on more than the sliders: the
// three-leg form's load read-outs show the spacing of the legs and the diameter for the load
// and the mode in force when they were written.
inline void checkWritten(const forms::Form& form, const forms::Form::Snapshot& before,
                         Findings& out) {
    if (form.name() != "frmtrespernas") return;
    const detail::Checker k{form, out};
    auto changed = [&](std::string_view name) {
        for (const forms::ControlState& s : before.controls)
            if (s.desc->name == name) return s.text != k.text(name);
        return true;
    };
    if (!changed("txtlcarga") && !changed("txtdiam")) return;
    const bool diameterMode = k.c("Option1").selected;
    const double r = threeLegRadius(k.value("hsblcarga"), diameterMode);
    k.shows("txtlcarga", threeLegHalfSpacing(r) * 2 / 100);
    k.shows("txtdiam", r * 2 / 100);
}

// A refused action, or one that had nothing to do with the form: the form exactly as it was
// before it.
inline void checkRestored(const forms::Form& form, const forms::Form::Snapshot& before,
                          Findings& out,
                          std::string_view what = "not put back after the refused action") {
    const auto& now = form.controls();
    if (now.size() != before.controls.size()) {
        out.push_back(std::string(form.name()) + ": controls differ in number after a refusal");
        return;
    }
    for (std::size_t i = 0; i < now.size(); ++i) {
        const forms::ControlState& x = now[i];
        const forms::ControlState& y = before.controls[i];
        if (x.value != y.value || x.selected != y.selected || x.text != y.text ||
            x.back != y.back || x.note != y.note)
            out.push_back(std::string(form.name()) + ": " + std::string(x.desc->name) + " was " +
                          std::string(what));
    }
}

}  // namespace invariants
