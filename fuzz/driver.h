// Turns bytes into a sequence of user actions on the whole program (the splash, the main menu,
// the three calculators and the about dialog), performs them through the forms runtime as a
// display would, and checks after every action what must hold whatever the user did:
//
// - no slider of any form lies off its track;
// - in every loaded calculator the leg, height, load and angle read-outs agree with the sliders
//   and the three coloured read-outs carry the colour of the angle's band;
// - an action that was not refused wrote the three-leg load read-outs for the load and mode in
//   force;
// - a refused action put every form back exactly as it was and was reported in exactly one box;
// - a 90-degree search that ran ended at 90 degrees or stopped with its message;
// - every action on a calculator did what an independent account of the sling's geometry and of
//   the handlers' order (fuzz/reference.h) says it does: the same sliders, read-outs, colours
//   and messages, and a refusal exactly where the state before it leads to a run-time error,
//   with that error; a search that stops with its message has come round to a pass it saw;
// - a calculator that another action touched not at all is as it was, and one just loaded is
//   as designed.
//
// The same interpreter serves the fuzzer and the tests that replay the inputs it has kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "forms/actions.h"
#include "forms/runtime.h"

namespace fuzzing {

// The user actions, in the words the scenario runner reads.
using Verb = forms::Verb;
using Action = forms::UserAction;

struct Outcome {
    // Empty when every invariant held after every action.
    std::vector<std::string> findings;
    // The actions performed, as scenario lines, up to and including the one after which
    // something was found.
    std::vector<std::string> scenario;
};

class Driver : public forms::Host {
  public:
    Driver();
    ~Driver() override;
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    // Every action the bytes can name: the first byte of an action picks one of these (modulo
    // their number); a drag takes the next two bytes, big-endian, as the offset of the value
    // from the slider's minimum (modulo the number of its positions).
    const std::vector<Action>& actions() const { return table_; }

    // Starts the program afresh (the splash shown) and performs what `data` encodes. An action
    // on a form that is not loaded is skipped, as the scenario runner refuses it. Stops at the
    // first action after which an invariant is broken.
    Outcome run(std::span<const std::uint8_t> data);

    // The bytes that make run() perform `actions` (each must be in actions(), drags with a value
    // within the slider's limits).
    std::vector<std::uint8_t> encode(const std::vector<Action>& actions) const;

    // How much has been done: runs, actions performed, and actions on a calculator that the
    // independent account could not judge (a value on a rounding boundary).
    struct Counts {
        std::uint64_t runs = 0, actions = 0, unjudged = 0;
    };
    const Counts& counts() const { return counts_; }

  private:
    void messageBox(const forms::Message& message) override;
    void errorBox(const forms::RuntimeError& error, const forms::Message& message) override;

    void reset();
    void perform(const Action& action, std::vector<std::string>& findings);

    struct Platform;
    std::unique_ptr<Platform> platform_;
    std::unique_ptr<forms::FormsRuntime> runtime_;
    std::vector<Action> table_;
    std::vector<forms::Message> boxes_;    // every message box an action showed
    std::vector<forms::Message> reports_;  // the reports of a refused action
    Counts counts_;
};

}  // namespace fuzzing
