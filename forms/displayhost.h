// What every display binding (Qt, Win32, the browser) has in common: the runtime it shows, the
// way a user action reaches the model, and message boxes that tests may answer themselves.
#pragma once

#include <vector>

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
    template <class Action>
    bool act(Action&& action) {
        return runtime_->oneAtATime([&] {
            action();
            syncAll();
        });
    }
    bool busy() const { return runtime_->displayBusy(); }

    // Message boxes are answered by a person; tests may answer them instead.
    void setAutoAnswer(bool on) { autoAnswer_ = on; }
    const std::vector<Message>& shownMessages() const { return shown_; }

  protected:
    // Keeps the box among those shown; false when a test answers it, so that nothing waits.
    bool recordBox(const Message& message) {
        shown_.push_back(message);
        return !autoAnswer_;
    }

  private:
    FormsRuntime* runtime_ = nullptr;
    bool autoAnswer_ = false;
    std::vector<Message> shown_;
};

}  // namespace forms
