// What every display binding (Qt, Win32, the browser) has in common: the runtime it shows, the
// way a user action reaches the model, and message boxes that tests may answer themselves.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "forms/actions.h"
#include "forms/input.h"
#include "forms/plan.h"
#include "forms/runtime.h"

namespace forms {

class DisplayHost : public Host {
  public:
    void attach(FormsRuntime& runtime) { runtime_ = &runtime; }
    FormsRuntime& runtime() const { return *runtime_; }

    // Brings every window in line with the model.
    virtual void syncAll() = 0;

    // Runs one user action as one event of the model, then shows its result; input that
    // reaches a window while another action runs is dropped (FormsRuntime::oneAtATime).
    // A screen reader is then told the results that the action changed, once (announce).
    template <class Action>
    bool act(Action&& action) {
        return runtime_->oneAtATime([&] {
            actionBegins();
            action();
            actionEnded();
        });
    }
    // Says the results an action changed in a window, as one sentence (changedResults), and
    // what changed of the load on each leg, which only a phone shows (LegLoad::said); either
    // may be empty, not both.
    virtual void announce(Form& form, const std::string& results, const std::string& legLoad) {
        (void)form;
        (void)results;
        (void)legLoad;
    }
    // Whether this display shows the load on each leg (a phone's page does, the desktop windows
    // do not): only then is it worked out around each action, and announce given it.
    virtual bool showsLegLoad() const { return false; }
    // The load's weight typed into a window on a phone, in kg (typedWeight; 0 for none): every
    // window brought in line and the new load on each leg said.
    void setWeight(Form& form, int kg);
    bool busy() const { return runtime_->displayBusy(); }

    // One press, one step. A slider's arrow or track held down, or a key held on it, repeats
    // its step for as long as it is held; once a step of that press has met a message box, the
    // press is spent and its further steps do nothing, however long it is held. A toolkit's own
    // repeat goes on through a modal box, and without this one click before the load is set
    // brought the prompt back after every OK. The display says when a press begins (a button
    // or a key goes down); the next press steps as usual.
    void pressBegins() {
        if (!busy()) pressSpent_ = false;
    }
    template <class Action>
    bool pressStep(Action&& action) {
        if (pressSpent_) return false;
        const std::size_t before = runtime_->boxesRaised();
        const bool ran = act(std::forward<Action>(action));
        if (runtime_->boxesRaised() != before) pressSpent_ = true;
        return ran;
    }
    bool pressSpent() const { return pressSpent_; }

    // One press, one click. A key held on a command button (Space, Enter) clicks it once,
    // however long it is held: the toolkit repeats a held key as presses of its own, which go on
    // through the message box the click raised, answer it, and click the button again behind
    // it. The display passes each key press meant for a button, with whether the toolkit marks
    // it as a repeat; true when it is a press of its own, which begins a press and may click.
    bool keyClicks(bool repeat) {
        if (repeat) return false;
        pressBegins();
        return true;
    }

    // Hands one input on control `at` of a window to the map (forms/input.h) and runs the
    // action it gives: a key or a button going down begins a press, the steps of a press go no
    // further once one has met a message box, a key held on a command button clicks it once.
    // The display then moves the focus where the response says. `done`: the action was taken.
    struct Handled {
        Response response;
        bool done = false;
    };
    Handled input(Form& form, const Plan& plan, std::size_t at, const Input& input);
    // A turn of the wheel on a slider, in the toolkit's units of which `perNotch` make one notch:
    // each whole notch is one input; a notch not taken drops what is left of the turn.
    void wheel(Form& form, const Plan& plan, std::size_t slider, int towardsUser, int perNotch);

    // Before a message box: every window shows the values as they stand, the display stops
    // what it repeats (boxComes), and the box is kept among those shown; unless a test answers
    // it, the display shows it (showBox) and returns once it is dismissed.
    void messageBox(const Message& message) final;
    // Message boxes are answered by a person; tests may answer them instead.
    void setAutoAnswer(bool on) { autoAnswer_ = on; }
    const std::vector<Message>& shownMessages() const { return shown_; }

  protected:
    virtual void boxComes(const Message& message) { (void)message; }
    virtual void showBox(const Message& message) = 0;

  private:
    // What act does around an action: the read-outs as it finds them; then every window
    // brought in line, and the results it changed said.
    void actionBegins();
    void actionEnded();
    std::string legLoadSaid(const Form& form) const;

    FormsRuntime* runtime_ = nullptr;
    struct Seen {
        const Form* form;
        ReadoutsSeen readouts;
        std::string legLoad;
    };
    std::vector<Seen> before_;
    Wheel wheel_;
    bool autoAnswer_ = false;
    bool pressSpent_ = false;
    std::vector<Message> shown_;
};

}  // namespace forms
