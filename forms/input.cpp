#include "forms/input.h"

#include <algorithm>
#include <array>
#include <utility>

namespace forms {

namespace {

constexpr std::array<std::pair<Key, std::string_view>, 13> kKeyWords = {
    {{Key::Left, "left"},
     {Key::Right, "right"},
     {Key::Up, "up"},
     {Key::Down, "down"},
     {Key::PageUp, "pageup"},
     {Key::PageDown, "pagedown"},
     {Key::Home, "home"},
     {Key::End, "end"},
     {Key::Enter, "enter"},
     {Key::Escape, "escape"},
     {Key::Tab, "tab"},
     {Key::BackTab, "backtab"},
     {Key::Access, "access"}}};

Response taken(std::optional<UserAction> action = {}, Run run = Run::Once,
               std::optional<std::size_t> focus = {}) {
    Response r;
    r.taken = true;
    r.action = std::move(action);
    r.run = run;
    r.focus = focus;
    return r;
}

UserAction on(const Form& form, std::size_t control, Verb verb, int value = 0) {
    return {verb, std::string(form.name()), std::string(form.description().controls[control].name),
            value};
}

// Whether Tab stops at the control: it takes the focus and a display has made it.
bool tabStop(const FormDesc& d, const Plan& plan, std::size_t i) {
    return plan.controls[i].made && d.controls[i].visible;
}

Response tab(const FormDesc& d, const Plan& plan, std::size_t at, bool backwards) {
    std::vector<std::size_t> stops;
    for (const std::size_t i : plan.tabOrder)
        if (tabStop(d, plan, i)) stops.push_back(i);
    if (stops.empty()) return {};
    const auto here = std::find(stops.begin(), stops.end(), at);
    const std::size_t n = stops.size();
    std::size_t next = backwards ? n - 1 : 0;
    if (here != stops.end()) {
        const auto k = static_cast<std::size_t>(here - stops.begin());
        next = backwards ? (k + n - 1) % n : (k + 1) % n;
    }
    return taken({}, Run::Once, stops[next]);
}

Response sliderKey(const Form& form, std::size_t at, Key key) {
    const ControlDesc& c = form.description().controls[at];
    const auto step = [&](Verb verb, int value) {
        return taken(on(form, at, verb, value), Run::Step);
    };
    switch (key) {
        case Key::Right:
        case Key::Down:
            return step(Verb::Arrow, +1);
        case Key::Left:
        case Key::Up:
            return step(Verb::Arrow, -1);
        case Key::PageDown:
            return step(Verb::Page, +1);
        case Key::PageUp:
            return step(Verb::Page, -1);
        case Key::Home:
            return step(Verb::Drag, c.min);
        case Key::End:
            return step(Verb::Drag, c.max);
        default:
            return {};
    }
}

Response optionKey(const Form& form, const Plan& plan, std::size_t at, Key key) {
    const int step = key == Key::Right || key == Key::Down ? +1
                     : key == Key::Left || key == Key::Up  ? -1
                                                           : 0;
    if (step == 0) return {};
    Response r = taken();
    const std::size_t next = nextOption(form.description(), plan, at, step);
    if (next == at || !plan.controls[next].made) return r;
    r.focus = next;
    if (!form.controls()[next].selected) r.action = on(form, next, Verb::Select);
    return r;
}

}  // namespace

Key keyNamed(std::string_view word) {
    for (const auto& [key, name] : kKeyWords)
        if (name == word) return key;
    return Key::Other;
}

Response respond(const Form& form, const Plan& plan, std::size_t at, const Input& input) {
    const FormDesc& d = form.description();
    const bool onControl = at < d.controls.size();
    const Kind kind = onControl ? d.controls[at].kind : Kind::Timer;
    switch (input.type) {
        case Input::Type::Click:
            if (kind == Kind::Button) return taken(on(form, at, Verb::Click));
            if (kind == Kind::Option) return taken(on(form, at, Verb::Select));
            return {};
        case Input::Type::Notch:
            if (kind != Kind::Slider || input.towardsUser == 0) return {};
            return taken(on(form, at, Verb::Arrow, input.towardsUser > 0 ? +1 : -1));
        case Input::Type::Press: {
            if (kind != Kind::Slider) return {};
            const bool page = input.part == Part::TrackBefore || input.part == Part::TrackAfter;
            const bool more = input.part == Part::MoreArrow || input.part == Part::TrackAfter;
            return taken(on(form, at, page ? Verb::Page : Verb::Arrow, more ? +1 : -1), Run::Step);
        }
        case Input::Type::Key:
            break;
    }
    switch (input.key) {
        case Key::Escape:
            if (!plan.cancel) return {};
            return taken(on(form, *plan.cancel, Verb::Click));
        case Key::Tab:
        case Key::BackTab:
            return tab(d, plan, at, input.key == Key::BackTab);
        case Key::Access: {
            const char32_t letter = capital(input.letter);
            for (std::size_t i = 0; i < d.controls.size(); ++i)
                if (plan.controls[i].made && plan.controls[i].accessKey == letter && letter != 0)
                    return taken(
                        on(form, i,
                           d.controls[i].kind == Kind::Button ? Verb::Click : Verb::Select),
                        Run::Once, i);
            return {};
        }
        default:
            break;
    }
    if (kind == Kind::Slider) return sliderKey(form, at, input.key);
    if (kind == Kind::Option) return optionKey(form, plan, at, input.key);
    if (kind == Kind::Button && input.key == Key::Enter)
        return taken(on(form, at, Verb::Click), Run::KeyClick);
    return {};
}

int Wheel::turn(std::size_t control, int towardsUser, int perNotch) {
    if (control != control_) rest_ = 0;
    control_ = control;
    if (perNotch <= 0) return 0;
    rest_ += towardsUser;
    const int notches = rest_ / perNotch;  // towards zero: the rest keeps its sign
    rest_ -= notches * perNotch;
    return notches;
}

}  // namespace forms
