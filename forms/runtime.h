// The forms runtime: the forms of the program, the operations handlers call (Show, Unload,
// message boxes), and the user actions that a display (or a test host) feeds in, each run as
// one event of the event loop.
//
// The event loop's policy for run-time errors: a RuntimeError that reaches it refuses the user's
// action. The failed chain has stopped where it failed; every form that was loaded before the
// action is then put back as it was, the error is reported in one message box, and the next
// event is taken.
//
// Within one user action, a message box equal to one already shown in that action (style, title
// and text) is not shown again: the nested handler chains would otherwise repeat one prompt
// hundreds of times in a row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "forms/errors.h"
#include "forms/form.h"

namespace forms {

inline constexpr int kStylePlain = 0;
inline constexpr int kStyleCritical = 16;
inline constexpr int kStyleInformation = 64;

inline constexpr std::string_view kInfoTitle = "Informação";
inline constexpr std::string_view kErrorTitle = "Cálculo de Comprimento";
inline constexpr std::string_view kApplicationTitle = "Pernadas";

// The title a window carries in the task bar and the window switcher: its caption, or the
// program's name for a window without one (the splash and the main menu show no title bar, but
// their task-bar entries are not blank).
constexpr std::string_view windowTitle(const FormDesc& form) {
    return form.caption.empty() ? kApplicationTitle : form.caption;
}

struct Message {
    int style = kStylePlain;
    std::string title;
    std::string text;
};

// "Não foi possível fazer esta operação com os valores atuais. Foi anulada e os valores anteriores
// foram repostos. (Erro de execução 6: excesso de capacidade.)"
Message errorReport(const RuntimeError& error);

// What the runtime needs from its surroundings: a display, or a test host.
class Host {
  public:
    virtual ~Host() = default;
    // An application-modal message box; returns when the user has dismissed it.
    virtual void messageBox(const Message& message) = 0;
    // The report of a run-time error that refused an action; a box like any other by default.
    virtual void errorBox(const RuntimeError& error, const Message& message) {
        (void)error;
        messageBox(message);
    }
    virtual void formLoaded(Form& form) { (void)form; }     // now visible, focus on lowest tab
    virtual void formActivated(Form& form) { (void)form; }  // shown again while loaded
    virtual void formUnloaded(Form& form) { (void)form; }
    // After an event, no form is loaded: the program ends.
    virtual void noFormLoaded() {}
};

class FormsRuntime {
  public:
    explicit FormsRuntime(Host& host) : host_(host) {}
    FormsRuntime(const FormsRuntime&) = delete;
    FormsRuntime& operator=(const FormsRuntime&) = delete;

    template <class F, class... Args>
    F& add(Args&&... args) {
        auto form = std::make_unique<F>(*this, std::forward<Args>(args)...);
        F& ref = *form;
        forms_.push_back(std::move(form));
        return ref;
    }
    Form* find(std::string_view name) const;
    std::vector<Form*> forms() const;
    std::vector<Form*> loadedForms() const;
    bool anyLoaded() const;
    Host& host() const { return host_; }

    // Operations of handlers.
    void show(Form& form);
    void unload(Form& form);
    void showInfo(std::string_view prompt);
    void plainBox(std::string_view prompt);

    // User actions. Each is one event: it runs its handlers to the end under the error policy
    // above and returns the error that refused it, if any. The display checks that the control
    // can receive the action (a visible slider, a button, ...).
    using Outcome = std::optional<RuntimeError>;
    Outcome start(Form& form);  // shows the start-up form
    Outcome showForm(Form& form);
    Outcome arrow(Slider slider, int direction);  // +1 right, -1 left: SmallChange
    Outcome page(Slider slider, int direction);   // LargeChange
    Outcome drag(Slider slider, Int value);       // thumb released at value
    // A value typed into the slider's number field on a phone and confirmed: a drag to it, but
    // the value the slider already holds runs its change handler once all the same, so that
    // typing what the field shows enters it.
    Outcome type(Slider slider, Int value);
    Outcome click(ControlState& button);
    Outcome select(ControlState& option);
    Outcome tick(ControlState& timer);
    Outcome close(Form& form);  // the user closed the window

    // The same, for an action that a display builds itself.
    template <class Action>
    Outcome perform(Action&& action) {
        auto before = snapshotLoaded();
        Outcome outcome;
        beginAction();
        try {
            action();
        } catch (const RuntimeError& error) {
            for (auto& [form, snap] : before)
                if (form->loaded()) form->restore(snap);
            ++boxesRaised_;
            host_.errorBox(error, errorReport(error));
            outcome = error;
        } catch (...) {
            endAction();
            throw;
        }
        endAction();
        if (!anyLoaded()) host_.noFormLoaded();
        return outcome;
    }

    // A display's way in: runs one user action, with whatever the display does after it, unless
    // one is already running. A handler that shows a message box waits in a nested message loop;
    // input that still reaches a window then (a held arrow's repeat, a timer) is dropped, so that
    // two events never interleave. Returns whether the action ran.
    template <class Action>
    bool oneAtATime(Action&& action) {
        if (displayBusy_) return false;
        displayBusy_ = true;
        struct Done {
            bool& busy;
            ~Done() { busy = false; }
        } done{displayBusy_};
        action();
        return true;
    }
    bool displayBusy() const { return displayBusy_; }

    // How many message boxes the handlers and the error policy have raised so far, counting a
    // box that was not shown again because the same action had shown it: a display asks
    // whether an action of its own met one.
    std::size_t boxesRaised() const { return boxesRaised_; }

  private:
    void box(Message message);
    void beginAction();
    void endAction();

    std::vector<std::pair<Form*, Form::Snapshot>> snapshotLoaded() const;
    Outcome step(Slider slider, int direction, int amount);
    // A user's setting of the control, counted (ControlState::setAt).
    void setByUser(ControlState& control) { control.setAt = ++settings_; }

    Host& host_;
    std::vector<std::unique_ptr<Form>> forms_;
    int actionDepth_ = 0;
    std::vector<Message> shownInAction_;  // the boxes shown so far in the current action
    bool displayBusy_ = false;            // a display's user action is running
    std::size_t boxesRaised_ = 0;
    std::uint64_t settings_ = 0;  // the user's settings of controls so far
};

}  // namespace forms
