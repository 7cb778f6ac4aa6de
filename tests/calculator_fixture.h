// What the calculator tests share: a fresh program with one calculator open, and the checks of a
// refused action.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/program.h"

namespace testing_support {

inline forms::Int I(int v) {
    return forms::Int(static_cast<std::int16_t>(v));
}

inline const std::string kErrorReport =
    "Não foi possível fazer esta operação com os valores atuais. Foi anulada e os valores "
    "anteriores foram repostos. (Erro de execução 380: valor de propriedade inválido.)";

template <class F>
struct CalculatorTest : ::testing::Test {
    Program program;
    F& f = program.template open<F>();

    void drag(forms::Slider s, int v) { ASSERT_FALSE(program.rt.drag(s, I(v))); }
    void arrow(forms::Slider s, int direction) { ASSERT_FALSE(program.rt.arrow(s, direction)); }
    // Close the window and open it again: a fresh form, no messages remembered.
    void reopen() {
        ASSERT_FALSE(program.rt.close(f));
        ASSERT_FALSE(program.rt.showForm(f));
        program.take();
        program.errors.clear();
    }
    void expectState(int p, int h, int a) {
        EXPECT_EQ(f.hsbperna.Value(), p);
        EXPECT_EQ(f.hsbaltura.Value(), h);
        EXPECT_EQ(f.hsbangsup.Value(), a);
    }
    // Every slider, option, text and colour as in the snapshot.
    void expectUnchanged(const forms::Form::Snapshot& before) {
        ASSERT_EQ(f.controls().size(), before.controls.size());
        for (std::size_t i = 0; i < before.controls.size(); ++i) {
            SCOPED_TRACE(before.controls[i].desc->name);
            EXPECT_EQ(f.controls()[i].value, before.controls[i].value);
            EXPECT_EQ(f.controls()[i].selected, before.controls[i].selected);
            EXPECT_EQ(f.controls()[i].text, before.controls[i].text);
            EXPECT_EQ(f.controls()[i].back, before.controls[i].back);
        }
    }
    // A refused action: it fails with an out-of-range value, the form is put back exactly as it
    // was, and the error is reported once, after the boxes the handlers showed before failing.
    void expectRefused(const std::function<forms::FormsRuntime::Outcome()>& action,
                       std::vector<std::string> boxesBefore = {}) {
        const auto before = f.snapshot();
        const std::size_t errors = program.errors.size();
        program.take();
        const auto outcome = action();
        ASSERT_TRUE(outcome.has_value());
        EXPECT_EQ(outcome->kind(), forms::ErrorKind::InvalidPropertyValue);
        EXPECT_EQ(program.errors.size(), errors + 1);
        ASSERT_FALSE(program.boxes.empty());
        EXPECT_EQ(program.boxes.back().style, forms::kStyleCritical);
        EXPECT_EQ(program.boxes.back().title, forms::kErrorTitle);
        boxesBefore.push_back(kErrorReport);
        EXPECT_EQ(program.take(), boxesBefore);
        expectUnchanged(before);
        EXPECT_TRUE(f.loaded());
    }
};

}  // namespace testing_support
