#include "fuzz/driver.h"

#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "about/acerca.h"
#include "calculators/duaspernas.h"
#include "calculators/quatropernas.h"
#include "calculators/trespernas.h"
#include "fuzz/invariants.h"
#include "fuzz/reference.h"
#include "shell/shell.h"

namespace fuzzing {

using namespace forms;

namespace {

constexpr std::string_view kStalled =
    "Não foi possível chegar a exatamente 90 graus: o cálculo parou no comprimento mostrado.";

// The button of each calculator that starts the 90-degree search.
std::string_view searchButton(std::string_view form) {
    if (form == "frmduaspernas") return calculators::frmduaspernas::kSearchButton;
    if (form == "frmtrespernas") return calculators::frmtrespernas::kSearchButton;
    if (form == "frmquatropernas") return calculators::frmquatropernas::kSearchButton;
    return {};
}

bool isLoadPrompt(const Message& m) {
    return m.style == kStyleInformation &&
           (m.text == "Introduza, em primeiro lugar, através do cursor, a medida da carga!" ||
            m.text == "Introduza, em primeiro lugar, através do cursor, as medidas da carga!");
}

}  // namespace

// The about dialog's system-information tool is never found and never started here: the
// fuzzer must not launch programs on the machine it runs on.
struct Driver::Platform : about::Platform {
    long openKey(std::uint32_t, std::string_view, std::uint32_t, about::KeyHandle&) override {
        return about::kStatusNotFound;
    }
    about::QueryResult queryValue(about::KeyHandle, std::string_view,
                                  std::span<std::byte, about::kValueBufferSize>) override {
        return {};
    }
    void closeKey(about::KeyHandle) override {}
    bool fileExists(std::string_view) override { return false; }
    bool launch(std::string_view) override { return false; }
};

Driver::Driver() : platform_(std::make_unique<Platform>()) {
    reset();
    // The table of actions follows the forms' own tables, so it names every control a user can
    // act on: every visible slider, button, option button and timer, and every form.
    for (Form* form : runtime_->forms()) {
        const std::string name(form->name());
        table_.push_back({Verb::Show, name, {}, 0});
        table_.push_back({Verb::Close, name, {}, 0});
        for (const ControlState& c : form->controls()) {
            const std::string control(c.desc->name);
            switch (c.desc->kind) {
                case Kind::Slider:
                    if (!c.desc->visible) break;
                    for (Verb v : {Verb::Arrow, Verb::Page}) {
                        table_.push_back({v, name, control, +1});
                        table_.push_back({v, name, control, -1});
                    }
                    table_.push_back({Verb::Drag, name, control, 0});
                    break;
                case Kind::Button:
                    table_.push_back({Verb::Click, name, control, 0});
                    break;
                case Kind::Option:
                    table_.push_back({Verb::Select, name, control, 0});
                    break;
                case Kind::Timer:
                    table_.push_back({Verb::Tick, name, control, 0});
                    break;
                default:
                    break;
            }
        }
    }
    // Typing a value into a slider's field comes last, so that the bytes of inputs kept from
    // before it still pick the actions they picked.
    for (Form* form : runtime_->forms())
        for (const ControlState& c : form->controls())
            if (c.desc->kind == Kind::Slider && c.desc->visible)
                table_.push_back(
                    {Verb::Type, std::string(form->name()), std::string(c.desc->name), 0});
    if (table_.size() > 256) throw std::logic_error("more actions than one byte can pick");
}

Driver::~Driver() = default;

void Driver::reset() {
    runtime_ = std::make_unique<FormsRuntime>(*this);
    runtime_->add<shell::frmsplashscreen>();
    runtime_->add<shell::frmmain>();
    runtime_->add<calculators::frmduaspernas>();
    runtime_->add<calculators::frmtrespernas>();
    runtime_->add<calculators::frmquatropernas>();
    runtime_->add<about::frmacerca>(*platform_);
}

void Driver::messageBox(const Message& message) {
    boxes_.push_back(message);
}

void Driver::errorBox(const RuntimeError&, const Message& message) {
    reports_.push_back(message);
}

Outcome Driver::run(std::span<const std::uint8_t> data) {
    reset();
    ++counts_.runs;
    Outcome outcome;
    runtime_->start(*runtime_->find("frmsplashscreen"));
    outcome.scenario.push_back("show frmsplashscreen");

    std::size_t i = 0;
    auto next = [&]() -> std::uint8_t { return i < data.size() ? data[i++] : 0; };
    while (i < data.size()) {
        Action action = table_[next() % table_.size()];
        if (action.verb == Verb::Type && i < data.size() && data[i] >= 0x80) {
            // A typed value from a byte of 0x80 or more is the one the slider holds.
            next();
            action.value = runtime_->find(action.form)->find(action.control)->value;
        } else if (action.verb == Verb::Drag || action.verb == Verb::Type) {
            const ControlState* c = runtime_->find(action.form)->find(action.control);
            const unsigned offset = unsigned(next()) << 8;
            const unsigned positions = unsigned(c->desc->max - c->desc->min + 1);
            action.value = c->desc->min + int((offset | next()) % positions);
        }
        if (action.verb != Verb::Show && !runtime_->find(action.form)->loaded()) continue;
        outcome.scenario.push_back(action.line());
        perform(action, outcome.findings);
        if (!outcome.findings.empty()) break;
    }
    return outcome;
}

namespace {

// What the report of a refused action names: the error's number and its wording.
std::string errorWords(forms::ErrorKind kind) {
    switch (kind) {
        case forms::ErrorKind::InvalidPropertyValue:
            return "Erro de execução 380: valor de propriedade inválido";
        case forms::ErrorKind::Overflow:
            return "Erro de execução 6: excesso de capacidade";
        case forms::ErrorKind::DivisionByZero:
            return "Erro de execução 11: divisão por zero";
        case forms::ErrorKind::InvalidArgument:
            return "Erro de execução 5: chamada de procedimento ou argumento inválido";
    }
    return "";
}

std::optional<reference::Act> referenceAct(Verb verb) {
    switch (verb) {
        case Verb::Drag:
            return reference::Act::Drag;
        case Verb::Type:
            return reference::Act::Type;
        case Verb::Arrow:
            return reference::Act::Arrow;
        case Verb::Page:
            return reference::Act::Page;
        case Verb::Click:
            return reference::Act::Click;
        case Verb::Select:
            return reference::Act::Select;
        default:
            return std::nullopt;
    }
}

// Which forms an action loads and unloads, as the program moves between its windows: the
// splash gives way to the main menu, the menu's buttons open a calculator in its place or the
// about dialog beside it, "Terminar" closes it, a calculator's "Cancelar" goes back to it.
struct Moves {
    std::vector<std::string_view> loads, unloads;
};
Moves movesOf(const Action& a) {
    if (a.verb == Verb::Show) return {{a.form}, {}};
    if (a.verb == Verb::Close) return {{}, {a.form}};
    if (a.verb == Verb::Tick && a.form == "frmsplashscreen") return {{"frmmain"}, {a.form}};
    if (a.verb != Verb::Click) return {};
    using shell::frmmain;
    if (a.form == "frmmain") {
        if (a.control == frmmain::kTwoLegsButton) return {{"frmduaspernas"}, {a.form}};
        if (a.control == frmmain::kThreeLegsButton) return {{"frmtrespernas"}, {a.form}};
        if (a.control == frmmain::kFourLegsButton) return {{"frmquatropernas"}, {a.form}};
        if (a.control == frmmain::kAboutButton) return {{"frmacerca"}, {}};
        if (a.control == frmmain::kQuitButton) return {{}, {a.form}};
    }
    if (a.form == "frmacerca" && a.control == about::frmacerca::kOkButton) return {{}, {a.form}};
    const bool cancel =
        (a.form == "frmduaspernas" && a.control == calculators::frmduaspernas::kCancelButton) ||
        (a.form == "frmtrespernas" && a.control == calculators::frmtrespernas::kCancelButton) ||
        (a.form == "frmquatropernas" && a.control == calculators::frmquatropernas::kCancelButton);
    if (cancel) return {{"frmmain"}, {a.form}};
    return {};
}

}  // namespace

void Driver::perform(const Action& action, std::vector<std::string>& findings) {
    Form& form = *runtime_->find(action.form);
    std::map<Form*, Form::Snapshot> before;
    for (Form* f : runtime_->loadedForms()) before.emplace(f, f->snapshot());
    boxes_.clear();
    reports_.clear();
    ++counts_.actions;

    // What the action must do to a calculator, worked out before it is done.
    std::unique_ptr<reference::Judge> judge;
    if (const auto act = referenceAct(action.verb); act && invariants::isCalculator(form)) {
        judge = std::make_unique<reference::Judge>(form, *act, action.control, action.value);
        if (!judge->expected().judged) ++counts_.unjudged;
    }

    const FormsRuntime::Outcome refused = forms::perform(*runtime_, action);

    // One report for a refused action, none otherwise: it says that the action was undone, then
    // names the error.
    if (reports_.size() != (refused ? 1u : 0u))
        findings.push_back(std::to_string(reports_.size()) +
                           " error reports for an action that was " +
                           (refused ? "refused" : "not refused"));
    if (refused && reports_.size() == 1) {
        const Message& report = reports_.front();
        if (report.style != kStyleCritical || report.title != "Cálculo de Comprimento" ||
            report.text !=
                "Não foi possível fazer esta operação com os valores atuais. Foi "
                "anulada e os valores anteriores foram repostos. (" +
                    errorWords(refused->kind()) + ".)")
            findings.push_back("the report of a refused action reads \"" + report.text +
                               "\" (style " + std::to_string(report.style) + ", title \"" +
                               report.title + "\")");
    }

    for (const auto& [f, snap] : before) {
        if (!f->loaded()) continue;
        if (refused)
            invariants::checkRestored(*f, snap, findings);
        else if (invariants::isCalculator(*f) && !(judge && f == &form))
            invariants::checkRestored(*f, snap, findings, "changed by an action on another form");
        else if (invariants::isCalculator(*f))
            invariants::checkWritten(*f, snap, findings);
    }
    for (Form* f : runtime_->loadedForms()) {
        if (invariants::isCalculator(*f))
            invariants::checkCalculator(*f, findings);
        else
            invariants::checkSliders(*f, findings);
        if (!before.count(f)) reference::checkFresh(*f, findings);
    }
    if (judge) {
        std::vector<reference::Judge::Box> shown;
        for (const Message& m : boxes_) shown.push_back({m.style, m.title, m.text});
        std::optional<forms::ErrorKind> error;
        if (refused) error = refused->kind();
        judge->check(form, error, shown, findings);
    }

    // The windows open after the action are those open before it, moved as the action moves
    // them; a refused action moves none.
    if (!refused) {
        const Moves moves = movesOf(action);
        for (Form* f : runtime_->forms()) {
            const auto in = [&](const std::vector<std::string_view>& names) {
                return std::find(names.begin(), names.end(), f->name()) != names.end();
            };
            const bool wanted = in(moves.loads) || (before.count(f) && !in(moves.unloads));
            if (f->loaded() != wanted)
                findings.push_back(std::string(f->name()) + (wanted ? " is not" : " is") +
                                   " loaded after \"" + action.line() + "\"");
        }
    }

    // A search that ran ends at 90 degrees or stops with its message; one that found no load
    // only asks for it and changes nothing.
    if (action.verb == Verb::Click && !refused && action.control == searchButton(action.form) &&
        form.loaded()) {
        const int angle = form.find("hsbangsup")->value;
        const bool stalled = !boxes_.empty() && boxes_.back().text == kStalled;
        const bool prompted = boxes_.size() == 1 && isLoadPrompt(boxes_.front());
        if (stalled && angle == 90) findings.push_back("a search at 90 degrees said it stopped");
        if (angle != 90 && !stalled && !prompted)
            findings.push_back("a search ended at " + std::to_string(angle) +
                               " degrees without a word");
        if (prompted) invariants::checkRestored(form, before.at(&form), findings);
    }
}

std::vector<std::uint8_t> Driver::encode(const std::vector<Action>& actions) const {
    std::vector<std::uint8_t> bytes;
    for (const Action& a : actions) {
        const auto same = [&](const Action& t) {
            return t.verb == a.verb && t.form == a.form && t.control == a.control &&
                   (a.verb != Verb::Arrow && a.verb != Verb::Page ? true
                                                                  : (t.value < 0) == (a.value < 0));
        };
        const auto it = std::find_if(table_.begin(), table_.end(), same);
        if (it == table_.end()) throw std::invalid_argument("no such action: " + a.line());
        bytes.push_back(static_cast<std::uint8_t>(it - table_.begin()));
        if (a.verb == Verb::Drag || a.verb == Verb::Type) {
            // The limits are the same on every run: they come from the form's table.
            int min = 0;
            for (Form* f : runtime_->forms())
                if (f->name() == a.form) min = f->find(a.control)->desc->min;
            const unsigned offset = unsigned(a.value - min);
            bytes.push_back(static_cast<std::uint8_t>(offset >> 8));
            bytes.push_back(static_cast<std::uint8_t>(offset & 0xFF));
        }
    }
    return bytes;
}

}  // namespace fuzzing
