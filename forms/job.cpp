#include "forms/job.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include "forms/layout.h"

namespace forms {

namespace {

constexpr std::string_view kWindowKey = "janela";
constexpr std::string_view kOptionKey = "opcao";
constexpr std::string_view kWeightKey = "peso";

bool letterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool word(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), letterOrDigit);
}

// A slider's value as the query holds it: an optional minus and digits, within ±1000000.
std::optional<long long> wholeNumber(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    long long value = 0;
    for (const char c : text) value = std::min(value * 10 + (c - '0'), 1000000LL);
    return negative ? -value : value;
}

}  // namespace

bool keepsJob(const FormDesc& form) {
    return form.style == WindowStyle::Calculator;
}

std::string jobQuery(const Form& form) {
    const FormDesc& d = form.description();
    if (!keepsJob(d)) return {};
    const auto& controls = form.controls();
    const Groups g = groups(d);
    std::string sliders;
    std::uint64_t lastSet = 0;
    // In the order a one-column layout asks for them, which is the order a job types them.
    for (const Groups::Slider& s : g.sliders) {
        const std::size_t i = s.slider;
        if (!s.readout || controls[*s.readout].text.empty()) continue;
        sliders.append("&").append(d.controls[i].name).append("=");
        sliders.append(std::to_string(controls[i].value));
        lastSet = std::max(lastSet, controls[i].setAt);
    }
    std::string before, after;
    for (const auto& group : g.options)
        for (const std::size_t i : group)
            if (controls[i].selected)
                (controls[i].setAt > lastSet && !sliders.empty() ? after : before)
                    .append("&")
                    .append(kOptionKey)
                    .append("=")
                    .append(d.controls[i].name);
    // The load's weight last: it moves nothing.
    if (form.weight() > 0)
        after.append("&").append(kWeightKey).append("=").append(std::to_string(form.weight()));
    return std::string(kWindowKey) + "=" + std::string(d.name) + before + sliders + after;
}

namespace {

// Reads a job's query into `actions`; or why it cannot be taken, in a few words.
std::string_view readJob(const FormsRuntime& runtime, std::string_view query, JobRead& read) {
    std::vector<UserAction>& actions = read.actions;
    int& weight = read.weight;
    if (query.size() > kMaxJobQuery) return "é longo demais";
    // The pairs, as written; every name and value of letters and digits.
    std::vector<std::pair<std::string_view, std::string_view>> pairs;
    const Form* form = nullptr;
    for (std::size_t at = 0; at < query.size();) {
        const std::size_t end = std::min(query.find('&', at), query.size());
        const std::string_view pair = query.substr(at, end - at);
        const std::size_t equals = std::min(pair.find('='), pair.size());
        const std::string_view name = pair.substr(0, equals);
        const std::string_view value = pair.substr(std::min(equals + 1, pair.size()));
        if (equals == pair.size() || !word(name) || !(word(value) || wholeNumber(value)))
            return "não se consegue ler";
        if (name == kWindowKey) {
            if (form) return "repete a janela";
            form = runtime.find(value);
            if (!form) return "pede uma janela que não existe";
            if (!keepsJob(form->description())) return "não pede uma calculadora";
        }
        pairs.emplace_back(name, value);
        at = end + 1;
    }
    if (!form) return "não diz que cálculo abrir";

    const FormDesc& d = form->description();
    const Groups g = groups(d);
    const auto indexOf = [&](std::string_view name) {
        std::size_t i = 0;
        while (i < d.controls.size() && d.controls[i].name != name) ++i;
        return i;
    };
    // By control: the value typed, or 1 for an option selected first and 2 for one selected last.
    constexpr int kUnset = std::numeric_limits<int>::min();
    std::vector<int> set(d.controls.size(), kUnset);
    bool sliderSeen = false;
    for (const auto& [name, value] : pairs) {
        if (name == kWindowKey) continue;
        if (name == kWeightKey) {
            if (form->legLoad().legs == 0) return "fala de um valor que a calculadora não tem";
            if (weight) return "repete um valor";
            const auto number = wholeNumber(value);
            if (!number) return "tem um valor que não é um número inteiro";
            if (*number < 1 || *number > kMaxWeight) return "tem um valor fora dos limites";
            weight = static_cast<int>(*number);
            continue;
        }
        if (name == kOptionKey) {
            const std::size_t at = indexOf(value);
            const auto group = std::find_if(g.options.begin(), g.options.end(), [&](const auto& o) {
                return std::find(o.begin(), o.end(), at) != o.end();
            });
            if (group == g.options.end()) return "escolhe uma opção que a calculadora não tem";
            for (const std::size_t other : *group)
                if (set[other] != kUnset) return "escolhe duas opções do mesmo grupo";
            set[at] = sliderSeen ? 2 : 1;
            continue;
        }
        const std::size_t at = indexOf(name);
        if (std::none_of(g.sliders.begin(), g.sliders.end(),
                         [&](const Groups::Slider& s) { return s.slider == at; }))
            return "fala de um valor que a calculadora não tem";
        if (set[at] != kUnset) return "repete um valor";
        const auto number = wholeNumber(value);
        if (!number) return "tem um valor que não é um número inteiro";
        if (*number < d.controls[at].min || *number > d.controls[at].max)
            return "tem um valor fora dos limites";
        set[at] = static_cast<int>(*number);
        sliderSeen = true;
    }

    const auto add = [&](Verb verb, std::string_view formName, std::string_view control,
                         int value) {
        actions.push_back({verb, std::string(formName), std::string(control), value});
    };
    read.window = d.name;
    add(Verb::Show, d.name, {}, 0);
    for (const Form* other : runtime.loadedForms())
        if (other != form) add(Verb::Close, other->name(), {}, 0);
    const auto select = [&](int when) {
        for (const auto& group : g.options)
            for (const std::size_t at : group)
                if (set[at] == when) add(Verb::Select, d.name, d.controls[at].name, 0);
    };
    select(1);
    // As a one-column layout asks for them: the load's measures before the leg worked out from
    // them.
    for (const Groups::Slider& s : g.sliders)
        if (set[s.slider] != kUnset)
            add(Verb::Type, d.name, d.controls[s.slider].name, set[s.slider]);
    select(2);
    return {};
}

}  // namespace

JobRead jobActions(const FormsRuntime& runtime, std::string_view query) {
    JobRead read;
    if (const std::string_view why = readJob(runtime, query, read); !why.empty()) {
        read = {};
        read.refusal = "Este endereço não foi aproveitado: " + std::string(why) + ".";
    }
    return read;
}

std::optional<UserAction> JobReplay::next(const FormsRuntime& runtime) {
    if (done_ > 0 && !again_) {
        const UserAction& last = actions_[done_ - 1];
        Form* form = runtime.find(last.form);
        const ControlState* slider =
            last.verb == Verb::Type && form && form->loaded() ? form->find(last.control) : nullptr;
        if (slider && slider->value != last.value) {
            again_ = true;
            return last;
        }
    }
    again_ = false;
    if (done_ == actions_.size()) return std::nullopt;
    return actions_[done_++];
}

}  // namespace forms
