#include "forms/actions.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace forms {

namespace {

constexpr std::array<std::pair<Verb, std::string_view>, 9> kWords = {{{Verb::Show, "show"},
                                                                      {Verb::Close, "close"},
                                                                      {Verb::Arrow, "arrow"},
                                                                      {Verb::Page, "page"},
                                                                      {Verb::Drag, "drag"},
                                                                      {Verb::Type, "type"},
                                                                      {Verb::Click, "click"},
                                                                      {Verb::Select, "select"},
                                                                      {Verb::Tick, "tick"}}};

// Drag and type name the value the slider ends at.
bool takesValue(Verb verb) {
    return verb == Verb::Drag || verb == Verb::Type;
}

bool movesSlider(Verb verb) {
    return verb == Verb::Arrow || verb == Verb::Page || takesValue(verb);
}

// A whole number: an optional sign and digits, nothing else; held within ±1000000.
bool wholeNumber(std::string_view text, long long& value) {
    if (text.empty()) return false;
    std::size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (i == text.size()) return false;
    for (std::size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return false;
    value = 0;
    for (std::size_t k = i; k < text.size(); ++k)
        value = std::min(value * 10 + (text[k] - '0'), 1000000LL);
    if (text[0] == '-') value = -value;
    return true;
}

// What refusal() checks but a drag's value: the form, the control and its kind.
std::string_view targetRefusal(const FormsRuntime& runtime, const UserAction& action,
                               const ControlState*& control) {
    control = nullptr;
    Form* form = runtime.find(action.form);
    if (!form) return "unknown form";
    if (action.verb == Verb::Show) return {};
    if (!form->loaded()) return "form not loaded";
    if (!namesControl(action.verb)) return {};
    control = form->find(action.control);
    if (!control) return "unknown control";
    const Kind kind = control->desc->kind;
    if (movesSlider(action.verb)) {
        if (kind != Kind::Slider) return "not a slider";
        if (!control->desc->visible) return "slider not visible";
    } else if (action.verb == Verb::Click && kind != Kind::Button) {
        return "not a button";
    } else if (action.verb == Verb::Select && kind != Kind::Option) {
        return "not an option button";
    } else if (action.verb == Verb::Tick && kind != Kind::Timer) {
        return "not a timer";
    }
    return {};
}

std::string_view offTrack(const ControlState& slider, long long value) {
    return value < slider.desc->min || value > slider.desc->max ? "value off the track"
                                                                : std::string_view{};
}

}  // namespace

std::string_view verbWord(Verb verb) {
    for (const auto& [v, word] : kWords)
        if (v == verb) return word;
    return {};
}

std::optional<Verb> verbNamed(std::string_view word) {
    for (const auto& [v, w] : kWords)
        if (w == word) return v;
    return std::nullopt;
}

std::string UserAction::line() const {
    std::string s(verbWord(verb));
    s.append(" ").append(form);
    if (namesControl(verb)) s.append(" ").append(control);
    if (verb == Verb::Arrow || verb == Verb::Page) s.append(value < 0 ? " -" : " +");
    if (takesValue(verb)) s.append(" ").append(std::to_string(value));
    return s;
}

std::string_view refusal(const FormsRuntime& runtime, const UserAction& action) {
    const ControlState* control = nullptr;
    if (const auto why = targetRefusal(runtime, action, control); !why.empty()) return why;
    if (takesValue(action.verb)) return offTrack(*control, action.value);
    return {};
}

std::variant<UserAction, std::string_view> readAction(const FormsRuntime& runtime,
                                                      std::span<const std::string> words) {
    if (words.empty()) return "unknown command";
    const auto verb = verbNamed(words[0]);
    if (!verb) return "unknown command";
    const std::size_t count = !namesControl(*verb) ? 2 : movesSlider(*verb) ? 4 : 3;
    if (words.size() != count) return "wrong number of words";
    UserAction action{*verb, words[1], count > 2 ? words[2] : std::string(), 0};
    const ControlState* control = nullptr;
    if (const auto why = targetRefusal(runtime, action, control); !why.empty()) return why;
    if (takesValue(*verb)) {
        long long value = 0;
        if (!wholeNumber(words[3], value)) return "value not a whole number";
        if (const auto why = offTrack(*control, value); !why.empty()) return why;
        action.value = static_cast<int>(value);
    } else if (movesSlider(*verb)) {
        if (words[3] != "+" && words[3] != "-") return "direction not + or -";
        action.value = words[3] == "+" ? +1 : -1;
    }
    return action;
}

FormsRuntime::Outcome perform(FormsRuntime& runtime, const UserAction& action) {
    Form& form = *runtime.find(action.form);
    ControlState* control = namesControl(action.verb) ? form.find(action.control) : nullptr;
    const int direction = action.value < 0 ? -1 : +1;
    switch (action.verb) {
        case Verb::Show:
            return runtime.showForm(form);
        case Verb::Close:
            return runtime.close(form);
        case Verb::Arrow:
            return runtime.arrow(Slider(*control), direction);
        case Verb::Page:
            return runtime.page(Slider(*control), direction);
        case Verb::Drag:
            return runtime.drag(Slider(*control), Int(static_cast<std::int16_t>(action.value)));
        case Verb::Type:
            return runtime.type(Slider(*control), Int(static_cast<std::int16_t>(action.value)));
        case Verb::Click:
            return runtime.click(*control);
        case Verb::Select:
            return runtime.select(*control);
        case Verb::Tick:
            return runtime.tick(*control);
    }
    return {};
}

namespace {

// "2,50": metres with a comma, as they are written in Portugal.
std::string metresText(int centimetres) {
    const int whole = centimetres / 100, hundredths = centimetres % 100;
    std::string s = centimetres < 0 ? "-" : "";
    s += std::to_string(whole < 0 ? -whole : whole) + ",";
    const int h = hundredths < 0 ? -hundredths : hundredths;
    s += static_cast<char>('0' + h / 10);
    s += static_cast<char>('0' + h % 10);
    return s;
}

}  // namespace

std::variant<int, std::string> typedMetres(std::string_view text, int min, int max) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    const std::string notNumber = "Escreva os metros em algarismos, por exemplo 2,50.";
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    long long whole = 0;
    int wholeDigits = 0, decimals = 0, hundredths = 0;
    bool separator = false;
    for (const char c : text) {
        if (c == ',' || c == '.') {
            if (separator) return notNumber;
            separator = true;
        } else if (c >= '0' && c <= '9') {
            if (!separator) {
                whole = std::min(whole * 10 + (c - '0'), 1000000LL);
                ++wholeDigits;
            } else if (++decimals <= 2) {
                hundredths += (c - '0') * (decimals == 1 ? 10 : 1);
            }
        } else {
            return notNumber;
        }
    }
    if (wholeDigits + decimals == 0) return notNumber;
    if (decimals > 2) return std::string("No máximo duas casas decimais: ao centímetro.");
    long long centimetres = whole * 100 + hundredths;
    if (negative) centimetres = -centimetres;
    if (centimetres < min || centimetres > max)
        return "Fora dos limites: de " + metresText(min) + " a " + metresText(max) + " metros.";
    return static_cast<int>(centimetres);
}

int typedWeight(std::string_view text) {
    // Each blank (a space, a tab, a no-break space or a narrow one) as one space.
    std::string typed;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t blank = 0;
        for (const std::string_view b : {" ", "\t", "\xC2\xA0", "\xE2\x80\xAF"})
            if (text.substr(i, b.size()) == b) blank = b.size();
        typed += blank ? ' ' : text[i];
        i += blank ? blank : 1;
    }
    const std::size_t first = typed.find_first_not_of(' ');
    if (first == std::string::npos) return 0;
    typed = typed.substr(first, typed.find_last_not_of(' ') + 1 - first);
    // Digits, with one blank between thousands: "12 500"; "12 50" is a slip, not 1250.
    long long kg = 0;
    std::size_t group = 0;  // digits since the last blank
    bool parted = false;
    for (const char c : typed) {
        if (c == ' ') {
            if (group == 0 || group > 3 || (parted && group != 3)) return -1;
            parted = true;
            group = 0;
        } else if (c >= '0' && c <= '9') {
            kg = std::min(kg * 10 + (c - '0'), 10LL * kMaxWeight);
            ++group;
        } else {
            return -1;
        }
    }
    if (parted && group != 3) return -1;
    return kg < 1 || kg > kMaxWeight ? -1 : static_cast<int>(kg);
}

std::string metresInWords(int centimetres) {
    return metresText(centimetres) + (centimetres == 100 ? " metro" : " metros");
}

}  // namespace forms
