// The job on a calculator: what the user set in its window, written as the query of an address
// ("janela=frmduaspernas&opcao=Option2&hsblcarga=120&hsbperna=150"), and that text read back
// into the user actions that set it again on a program that has just started. A link sent to a
// colleague, or a page that the phone reloads, then shows every read-out as it was.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "forms/actions.h"
#include "forms/form.h"
#include "forms/runtime.h"

namespace forms {

// The longest query read: a job of the largest window takes a seventh of it.
inline constexpr std::size_t kMaxJobQuery = 512;

// Whether a job of the window can be kept: a calculator's; not a menu's, a dialog's or a
// splash's.
bool keepsJob(const FormDesc& form);

// The job of a loaded calculator: its name; each slider the user can move whose read-out shows
// a value, in the order that jobActions() types them; and the option selected in each group of
// option buttons, written before the sliders, or after them where the user selected it after
// setting the last of them (the sliders' read-outs then show what they showed before it); last,
// the load's weight typed on a phone. Empty for a window that keeps no job.
std::string jobQuery(const Form& form);

// What a job's query is read into: the user actions that set it again on `runtime`, where the
// program has opened its menu (the calculator shown and every other window closed, as the menu's
// buttons do; each option written before the sliders selected; each slider's value typed, the
// load's measures before the sliders worked out from them; then each option written after a
// slider selected), or no action at all and why the query cannot be taken, in Portuguese, for
// the user: it is not made only of `name=value` pairs of letters and digits, or is too long; it
// names no window, an unknown one or one that keeps no job, a control the window lacks or a
// control twice, an option that is not one, a slider the user cannot move, a value that is not
// a whole number or lies outside the slider's range (a weight: 1 to 999 999 kg, on a sling only).
struct JobRead {
    std::vector<UserAction> actions;
    // The window the actions open, and the load's weight to type into it in kg once they are
    // done (0: none).
    std::string_view window;
    int weight = 0;
    std::string refusal;  // empty where the query can be taken
};
JobRead jobActions(const FormsRuntime& runtime, std::string_view query);

// A job being set again, one action at a time, by whatever feeds the runtime its user actions.
class JobReplay {
  public:
    explicit JobReplay(std::vector<UserAction> actions) : actions_(std::move(actions)) {}
    // The next action to perform, or none once the job is set. A slider that the handlers moved
    // away from the value typed into it is typed once more: the first typing starts from the
    // values the window opened with, from which the handlers may carry it elsewhere (a leg
    // shorter than the height it finds is worked out again from that height); the second starts
    // from the values the job has set.
    std::optional<UserAction> next(const FormsRuntime& runtime);

  private:
    std::vector<UserAction> actions_;
    std::size_t done_ = 0;  // the actions handed out
    bool again_ = false;    // the last one handed out was a typing handed out again
};

}  // namespace forms
