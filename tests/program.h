// A headless program for tests: every form, a host that answers message boxes at once and
// remembers them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "forms/runtime.h"
#include "shell/shell.h"

namespace testing_support {

struct Program : forms::Host {
    std::vector<forms::Message> boxes;
    std::vector<forms::RuntimeError> errors;
    forms::FormsRuntime rt{*this};

    Program() { shell::addProgramForms(rt); }

    void messageBox(const forms::Message& m) override { boxes.push_back(m); }
    void errorBox(const forms::RuntimeError& e, const forms::Message& m) override {
        errors.push_back(e);
        boxes.push_back(m);
    }

    template <class F>
    F& open() {
        auto& form = static_cast<F&>(*rt.find(F::describe().name));
        rt.showForm(form);
        return form;
    }

    // The message boxes shown since the last call, and forget them.
    std::vector<std::string> take() {
        std::vector<std::string> texts;
        for (const auto& b : boxes) texts.push_back(b.text);
        boxes.clear();
        return texts;
    }

    forms::ControlState& control(forms::Form& form, std::string_view name) {
        return *form.find(name);
    }
    forms::FormsRuntime::Outcome click(forms::Form& form, std::string_view name) {
        return rt.click(control(form, name));
    }
    forms::FormsRuntime::Outcome select(forms::Form& form, std::string_view name) {
        return rt.select(control(form, name));
    }
};

// Written out here, not taken from the forms, so that a changed text shows up.
inline const std::string kLoadPromptText =
    "Introduza, em primeiro lugar, através do cursor, a medida da carga!";
inline const std::string kStalled =
    "Não foi possível chegar a exatamente 90 graus: o cálculo parou no comprimento mostrado.";

}  // namespace testing_support
