#include "forms/displayhost.h"

#include <algorithm>

namespace forms {

void DisplayHost::actionBegins() {
    before_.clear();
    for (const Form* form : runtime_->loadedForms())
        before_.push_back({form, readoutsNow(*form), legLoadSaid(*form)});
}

void DisplayHost::actionEnded() {
    syncAll();
    for (Form* form : runtime_->loadedForms()) {
        const auto was = std::find_if(before_.begin(), before_.end(),
                                      [&](const Seen& b) { return b.form == form; });
        const std::string said =
            changedResults(*form, was == before_.end() ? ReadoutsSeen{} : was->readouts);
        std::string load = legLoadSaid(*form);
        if (was != before_.end() && was->legLoad == load) load.clear();
        if (!said.empty() || !load.empty()) announce(*form, said, load);
    }
}

std::string DisplayHost::legLoadSaid(const Form& form) const {
    return showsLegLoad() ? form.legLoad().said : std::string();
}

void DisplayHost::setWeight(Form& form, int kg) {
    if (busy() || !form.loaded()) return;
    const std::string before = form.legLoad().said;
    form.setWeight(kg);
    syncAll();
    const std::string after = form.legLoad().said;
    if (after != before && !after.empty()) announce(form, {}, after);
}

void DisplayHost::messageBox(const Message& message) {
    syncAll();
    boxComes(message);
    shown_.push_back(message);
    if (!autoAnswer_) showBox(message);
}

DisplayHost::Handled DisplayHost::input(Form& form, const Plan& plan, std::size_t at,
                                        const Input& in) {
    Handled h;
    h.response = respond(form, plan, at, in);
    if ((in.type == Input::Type::Key || in.type == Input::Type::Press) && !in.repeat) pressBegins();
    if (!h.response.action) return h;
    const UserAction& action = *h.response.action;
    const auto once = [&] {
        if (refusal(*runtime_, action).empty()) perform(*runtime_, action);
    };
    if (h.response.run == Run::KeyClick && !keyClicks(in.repeat)) return h;
    h.done = h.response.run == Run::Step ? pressStep(once) : act(once);
    return h;
}

void DisplayHost::wheel(Form& form, const Plan& plan, std::size_t slider, int towardsUser,
                        int perNotch) {
    for (int n = wheel_.turn(slider, towardsUser, perNotch); n != 0 && form.loaded();
         n -= n > 0 ? 1 : -1) {
        if (!input(form, plan, slider, Input::notch(n > 0 ? 1 : -1)).done) {
            wheel_.drop();
            return;
        }
    }
}

}  // namespace forms
