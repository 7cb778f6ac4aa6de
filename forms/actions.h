// The user actions, in the words that the scenario runner reads, the browser's page sends and
// the fuzzer writes: "show frmmain", "arrow frmduaspernas hsbperna +", "drag frmtrespernas
// hsblcarga 1200", "click frmmain command1". One reading of them, and one check of what a form
// lets a user do, for every way in.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "forms/runtime.h"

namespace forms {

enum class Verb : std::uint8_t { Show, Close, Arrow, Page, Drag, Type, Click, Select, Tick };

std::string_view verbWord(Verb verb);
std::optional<Verb> verbNamed(std::string_view word);
// Whether the verb names a control after the form (all but show and close).
constexpr bool namesControl(Verb verb) {
    return verb != Verb::Show && verb != Verb::Close;
}

// One user action on one form.
struct UserAction {
    Verb verb = Verb::Show;
    std::string form;
    std::string control;  // empty for show and close
    int value = 0;  // arrow and page: +1 or -1; drag: where the thumb is released; type: the value

    // "drag frmduaspernas hsbperna 150", "arrow frmtrespernas hsblcarga +", "show frmmain".
    std::string line() const;
};

// Why a user could not do this now, or an empty text when the action can be performed: the form
// is unknown, or not loaded (but for show); the control is unknown, or of another kind than the
// verb acts on (a slider for arrow, page and drag, a button for click, an option button for
// select, a timer for tick); the slider is hidden; a drag's or a typed value lies off the track.
std::string_view refusal(const FormsRuntime& runtime, const UserAction& action);

// Reads the words of one action ("arrow", "frmduaspernas", "hsbperna", "+") and checks it as
// refusal() does; the reason it cannot be performed otherwise ("unknown command", "wrong
// number of words", "direction not + or -", "value not a whole number", ...).
std::variant<UserAction, std::string_view> readAction(const FormsRuntime& runtime,
                                                      std::span<const std::string> words);

// Performs an action that refusal() lets through, as one event of the event loop.
FormsRuntime::Outcome perform(FormsRuntime& runtime, const UserAction& action);

// A slider's value typed in metres, as a phone's number field takes it: digits with "," or "."
// before at most two decimals ("2,5", "2.50", "12"), blanks around them ignored. The
// centimetres it means, which are then dragged to as a thumb is, or why it is refused, in
// Portuguese, for the field to show: not a number, more than two decimals, or outside
// `min`..`max` (centimetres).
std::variant<int, std::string> typedMetres(std::string_view text, int min, int max);

// The load's weight typed on a phone, in whole kg from 1 to 999 999, with a blank between
// thousands or none ("12 500", "12500"); 0 for a field left empty (no weight); -1 for anything
// else, which the field refuses with kWeightRefused.
inline constexpr int kMaxWeight = 999999;
inline constexpr std::string_view kWeightRefused =
    "O peso é em quilogramas inteiros, de 1 a 999 999.";
int typedWeight(std::string_view text);

// Centimetres as a screen reader says a slider's value: 250 is "2,50 metros".
std::string metresInWords(int centimetres);

}  // namespace forms
