#include "forms/runtime.h"

#include <algorithm>

namespace forms {

Message errorReport(const RuntimeError& error) {
    return Message{kStyleCritical, std::string(kErrorTitle),
                   "Não foi possível fazer esta operação com os valores atuais. Foi anulada e os "
                   "valores anteriores foram repostos. (Erro de execução " +
                       std::to_string(error.number()) + ": " +
                       std::string(errorWording(error.kind())) + ".)"};
}

Form* FormsRuntime::find(std::string_view name) const {
    for (const auto& f : forms_)
        if (f->name() == name) return f.get();
    return nullptr;
}

std::vector<Form*> FormsRuntime::forms() const {
    std::vector<Form*> all;
    for (const auto& f : forms_) all.push_back(f.get());
    return all;
}

std::vector<Form*> FormsRuntime::loadedForms() const {
    std::vector<Form*> loaded;
    for (const auto& f : forms_)
        if (f->loaded()) loaded.push_back(f.get());
    return loaded;
}

bool FormsRuntime::anyLoaded() const {
    return std::any_of(forms_.begin(), forms_.end(), [](const auto& f) { return f->loaded(); });
}

void FormsRuntime::show(Form& form) {
    if (form.loaded()) {
        host_.formActivated(form);
        return;
    }
    form.load();
    host_.formLoaded(form);
}

void FormsRuntime::unload(Form& form) {
    if (!form.loaded()) return;
    form.unload();
    host_.formUnloaded(form);
}

void FormsRuntime::showInfo(std::string_view prompt) {
    box(Message{kStyleInformation, std::string(kInfoTitle), std::string(prompt)});
}

void FormsRuntime::plainBox(std::string_view prompt) {
    box(Message{kStylePlain, std::string(kApplicationTitle), std::string(prompt)});
}

void FormsRuntime::box(Message message) {
    ++boxesRaised_;
    // Within one user action a box is shown once: a nested run that would show the same box
    // again goes on as if it had been shown and dismissed.
    if (actionDepth_ > 0) {
        const auto same = [&](const Message& m) {
            return m.style == message.style && m.title == message.title && m.text == message.text;
        };
        if (std::any_of(shownInAction_.begin(), shownInAction_.end(), same)) return;
        shownInAction_.push_back(message);
    }
    host_.messageBox(message);
}

void FormsRuntime::beginAction() {
    if (actionDepth_++ == 0) shownInAction_.clear();
}

void FormsRuntime::endAction() {
    if (--actionDepth_ == 0) shownInAction_.clear();
}

std::vector<std::pair<Form*, Form::Snapshot>> FormsRuntime::snapshotLoaded() const {
    std::vector<std::pair<Form*, Form::Snapshot>> snaps;
    for (const auto& f : forms_)
        if (f->loaded()) snaps.emplace_back(f.get(), f->snapshot());
    return snaps;
}

FormsRuntime::Outcome FormsRuntime::start(Form& form) {
    return showForm(form);
}

FormsRuntime::Outcome FormsRuntime::showForm(Form& form) {
    return perform([&] { show(form); });
}

FormsRuntime::Outcome FormsRuntime::step(Slider slider, int direction, int amount) {
    if (!slider.state().form->loaded()) return {};
    return perform([&] {
        // The thumb stops at either end; a step that does not move it runs nothing.
        const int current = slider.Value().value();
        const int target = std::clamp(current + (direction < 0 ? -amount : amount),
                                      int{slider.Min().value()}, int{slider.Max().value()});
        setByUser(slider.state());
        slider.setValue(Int(static_cast<std::int16_t>(target)));
    });
}

FormsRuntime::Outcome FormsRuntime::arrow(Slider slider, int direction) {
    return step(slider, direction, slider.state().desc->smallChange);
}

FormsRuntime::Outcome FormsRuntime::page(Slider slider, int direction) {
    return step(slider, direction, slider.state().desc->largeChange);
}

FormsRuntime::Outcome FormsRuntime::drag(Slider slider, Int value) {
    // Only a loaded form's controls receive input.
    if (!slider.state().form->loaded()) return {};
    return perform([&] {
        setByUser(slider.state());
        slider.setValue(value);
    });
}

FormsRuntime::Outcome FormsRuntime::type(Slider slider, Int value) {
    if (!slider.state().form->loaded()) return {};
    return perform([&] {
        const ControlDesc& d = *slider.state().desc;
        setByUser(slider.state());
        if (value.value() != slider.state().value) return slider.setValue(value);
        if (d.handler) d.handler(*slider.state().form);
    });
}

FormsRuntime::Outcome FormsRuntime::click(ControlState& button) {
    if (!button.form->loaded()) return {};
    return perform([&] {
        if (button.desc->handler) button.desc->handler(*button.form);
    });
}

FormsRuntime::Outcome FormsRuntime::select(ControlState& option) {
    if (!option.form->loaded()) return {};
    return perform([&] {
        // Selecting the selected button runs nothing; otherwise its group (the buttons of the
        // same container) is cleared, it is selected, and its click handler runs.
        if (option.selected) return;
        for (ControlState& other : option.form->controls())
            if (other.desc->kind == Kind::Option && other.desc->container == option.desc->container)
                other.selected = false;
        option.selected = true;
        setByUser(option);
        if (option.desc->handler) option.desc->handler(*option.form);
    });
}

FormsRuntime::Outcome FormsRuntime::tick(ControlState& timer) {
    return perform([&] {
        if (timer.form->loaded() && timer.desc->handler) timer.desc->handler(*timer.form);
    });
}

FormsRuntime::Outcome FormsRuntime::close(Form& form) {
    return perform([&] { unload(form); });
}

}  // namespace forms
