#include "forms/form.h"

#include <stdexcept>

#include "forms/runtime.h"

namespace forms {

Form::Form(FormsRuntime& runtime, const FormDesc& desc) : runtime_(runtime), desc_(desc) {
    controls_.reserve(desc.controls.size());
    for (const ControlDesc& d : desc.controls) {
        ControlState state;
        state.desc = &d;
        state.form = this;
        controls_.push_back(std::move(state));
    }
    load();
    loaded_ = false;
}

Form::~Form() = default;

void Form::load() {
    for (ControlState& c : controls_) {
        const ControlDesc& d = *c.desc;
        c.value = d.value;
        c.selected = d.selected;
        c.back = d.back;
        c.note = {};
        c.setAt = 0;
        c.text.assign(d.kind == Kind::Readout || d.kind == Kind::TextBox ? d.caption
                                                                         : std::string_view{});
    }
    weight_ = 0;
    loaded_ = true;
}

void Form::restore(const Snapshot& snap) {
    for (std::size_t i = 0; i < controls_.size() && i < snap.controls.size(); ++i) {
        controls_[i].value = snap.controls[i].value;
        controls_[i].selected = snap.controls[i].selected;
        controls_[i].back = snap.controls[i].back;
        controls_[i].text = snap.controls[i].text;
        controls_[i].note = snap.controls[i].note;
        controls_[i].setAt = snap.controls[i].setAt;
    }
}

ControlState* Form::find(std::string_view controlName) {
    for (ControlState& c : controls_)
        if (c.desc->name == controlName) return &c;
    return nullptr;
}

ControlState& Form::bind(std::string_view controlName, Kind kind) {
    ControlState* c = find(controlName);
    if (!c || c->desc->kind != kind)
        throw std::logic_error("form " + std::string(name()) + " has no control " +
                               std::string(controlName) + " of that kind");
    return *c;
}

Slider Form::slider(std::string_view controlName) {
    return Slider(bind(controlName, Kind::Slider));
}
ReadoutField Form::readout(std::string_view controlName) {
    return ReadoutField(bind(controlName, Kind::Readout));
}
OptionButton Form::option(std::string_view controlName) {
    return OptionButton(bind(controlName, Kind::Option));
}

void Form::ShowInfo(std::string_view prompt) const {
    runtime_.showInfo(prompt);
}

void Form::Show(std::string_view formName) const {
    Form* other = runtime_.find(formName);
    if (!other) throw std::logic_error("no form " + std::string(formName));
    runtime_.show(*other);
}

void Form::Unload() {
    runtime_.unload(*this);
}

}  // namespace forms
