// A second, independent account of what the three calculators do with one user action, against
// which the fuzzer judges every action on a calculator.
//
// It is written from the geometry of a sling, not from the forms' code: the height that belongs
// to a leg over a horizontal distance, the leg that belongs to a height, the upper angle as
// twice the arcsine of distance over leg, the lower angle, the load read-outs. It keeps its own
// slider limits, its own rounding (halves to even, through the C library's nearbyint), its own
// text for a number of metres, its own account of which slider assignment runs which handler,
// and its own memory of the 90-degree search's passes. It shares no code with the forms, the
// numbers or the calculators; it only reads a form's state before the action and compares the
// state after it.
//
// Starting from the state before the action, it works out the state after it, the messages the
// action shows (each once: whether a repeated message is shown again is the display's business),
// and the run-time error that refuses the action, if any. Where a computed value lies within a
// hair of a rounding boundary (a few units in the last place, which a different but equally
// right order of floating-point operations may put on either side), the account says so, and
// the action is not judged.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/errors.h"
#include "forms/form.h"

namespace reference {

// What the fuzzer can do to a calculator.
enum class Act { Drag, Type, Arrow, Page, Click, Select };

struct Expected {
    bool judged = true;  // false: a value fell on a rounding boundary
    std::optional<forms::ErrorKind> error;
    std::vector<std::string> messages;  // information boxes, each text once, in order
    bool unloaded = false;              // "Cancelar"
};

class Calculator;

// Works out what `act` on `control` (with `value`: the drag's or typed value, or the step's
// direction)
// does to the calculator `before`, and after the action compares `after` with it: the sliders,
// every read-out's text and background. `shown` is every message box that the action showed
// (without the report of a refused action), `refused` the error that refused it. Returns false
// when `before` is not a calculator.
class Judge {
  public:
    Judge(const forms::Form& before, Act act, std::string_view control, int value);
    ~Judge();
    Judge(const Judge&) = delete;
    Judge& operator=(const Judge&) = delete;

    const Expected& expected() const { return expected_; }

    struct Box {
        int style;
        std::string title;
        std::string text;
    };
    void check(const forms::Form& after, const std::optional<forms::ErrorKind>& refused,
               const std::vector<Box>& shown, std::vector<std::string>& findings) const;

  private:
    std::unique_ptr<Calculator> model_;
    Expected expected_;
};

// The state of a calculator as loaded: every slider at its design value, every read-out empty
// on its design background. Adds to `findings` what differs.
void checkFresh(const forms::Form& form, std::vector<std::string>& findings);

}  // namespace reference
