#include "display/web/webhost.h"

#include <emscripten/emscripten.h>

#include <cstdio>
#include <type_traits>
#include <variant>

#include "forms/actions.h"
#include "forms/json.h"
#include "forms/layout.h"
#include "forms/plan.h"

// The page's side of the host, in binding.js.
// clang-format off
EM_JS(void, pw_js_form_loaded, (const char* desc, const char* state), {
    Module.pernadasPage.formLoaded(JSON.parse(UTF8ToString(desc)), JSON.parse(UTF8ToString(state)));
});
EM_JS(void, pw_js_form_activated, (const char* name), {
    Module.pernadasPage.formActivated(UTF8ToString(name));
});
EM_JS(void, pw_js_form_unloaded, (const char* name), {
    Module.pernadasPage.formUnloaded(UTF8ToString(name));
});
EM_JS(void, pw_js_sync, (const char* state), {
    Module.pernadasPage.sync(JSON.parse(UTF8ToString(state)));
});
EM_JS(void, pw_js_announce, (const char* results), {
    Module.pernadasPage.announce(UTF8ToString(results));
});
EM_JS(void, pw_js_no_form, (), {
    Module.pernadasPage.noFormLoaded();
});
EM_ASYNC_JS(void, pw_js_message_box, (int style, const char* title, const char* text), {
    await Module.pernadasPage.messageBox(style, UTF8ToString(title), UTF8ToString(text));
});
// clang-format on

namespace formsweb {

using forms::ControlDesc;
using forms::Form;
using forms::FormDesc;
using forms::jsonString;

namespace {

std::string field(std::string_view name, std::string_view text) {
    return jsonString(name) + ":" + jsonString(text);
}
template <class N>
requires std::is_integral_v<N> std::string field(std::string_view name, N n) {
    if constexpr (std::is_same_v<N, bool>)
        return jsonString(name) + ":" + (n ? "true" : "false");
    else
        return jsonString(name) + ":" + std::to_string(n);
}
std::string field(std::string_view name, double d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", d);
    return jsonString(name) + ":" + buf;
}

std::string fontJson(const forms::Font& f) {
    return "{" + field("family", f.family) + "," + field("points", f.points) + "," +
           field("bold", f.bold) + "}";
}

constexpr double kCssDotsPerInch = 96;

std::string controlJson(const FormDesc& form, const forms::Plan& plan, std::size_t i) {
    const ControlDesc& c = form.controls[i];
    const forms::Plan::Control& p = plan.controls[i];
    std::string s = "{";
    s += field("name", c.name) + ",";
    s += field("kind", forms::kindName(c.kind)) + ",";
    s += field("role", forms::roleName(p.role)) + ",";
    s += field("container", c.container) + ",";
    s += field("left", c.left) + "," + field("top", c.top) + ",";
    s += field("width", c.width) + "," + field("height", c.height) + ",";
    s += field("x1", c.x1) + "," + field("y1", c.y1) + ",";
    s += field("x2", c.x2) + "," + field("y2", c.y2) + ",";
    s += field("tabIndex", c.tabIndex) + "," + field("takesFocus", forms::takesFocus(c)) + ",";
    s += field("caption", c.caption) + ",";
    s += field("accessibleName", c.accessibleName) + ",";
    s += field("unit", c.unit) + ",";
    s += field("labelledBy", c.labelledBy) + ",";
    s += field("description", c.description) + ",";
    s += "\"font\":" + fontJson(c.font) + ",";
    s += field("fore", c.fore) + "," + field("back", c.back) + ",";
    s += field("lineWidth", c.lineWidth) + ",";
    s += field("filled", c.filled) + "," + field("outline", c.outline) + ",";
    s += field("dotted", c.dotted) + "," + field("transparent", c.transparent) + ",";
    s += field("align", forms::alignName(c.align)) + ",";
    s += field("visible", c.visible) + "," + field("cancel", c.cancel) + ",";
    s += field("min", c.min) + "," + field("max", c.max) + ",";
    s += field("smallChange", c.smallChange) + "," + field("largeChange", c.largeChange) + ",";
    s += field("interval", c.interval) + ",";
    s += field("picture", c.picture) + ",";
    s += field("hidden", p.hidden) + "," + field("stack", p.stack) + ",";
    // Where the page puts it, in CSS pixels (96 to the inch), and a line's ends.
    const auto box = [](const forms::PixelBox& b) {
        return "{" + field("left", b.left) + "," + field("top", b.top) + "," +
               field("width", b.width) + "," + field("height", b.height) + "}";
    };
    s += "\"box\":" + box(p.box) + ",\"room\":" + box(p.room) + ",";
    s += "\"ends\":{" + field("x1", p.x1) + "," + field("y1", p.y1) + "," + field("x2", p.x2) +
         "," + field("y2", p.y2) + "}";
    return s + "}";
}

// What a one-column layout sets together (forms::groups), by the controls' names.
std::string groupsJson(const FormDesc& d, const forms::Groups& g) {
    const auto name = [&](std::size_t i) { return jsonString(d.controls[i].name); };
    const auto list = [&](const std::vector<std::size_t>& at) {
        std::string s = "[";
        for (std::size_t k = 0; k < at.size(); ++k) s += (k ? "," : "") + name(at[k]);
        return s + "]";
    };
    std::string s = "{\"sliders\":[";
    for (std::size_t k = 0; k < g.sliders.size(); ++k) {
        const auto& slider = g.sliders[k];
        s += std::string(k ? "," : "") + "{\"slider\":" + name(slider.slider) +
             ",\"readout\":" + (slider.readout ? name(*slider.readout) : "null") + "," +
             field("heading", slider.heading) + "," + field("unit", slider.unit) + "}";
    }
    s += "],\"results\":" + list(g.results) + ",\"options\":[";
    for (std::size_t k = 0; k < g.options.size(); ++k) s += (k ? "," : "") + list(g.options[k]);
    s += "],\"commands\":" + list(g.commands) +
         ",\"drawing\":" + (g.drawing ? name(*g.drawing) : "null") +
         ",\"others\":" + list(g.others) + "}";
    return s;
}

}  // namespace

std::string describeJson(const FormDesc& d) {
    const forms::Plan plan = forms::plan(d, kCssDotsPerInch);
    std::string s = "{";
    s += field("name", d.name) + ",";
    s += field("caption", d.caption) + ",";
    s += field("accessibleName", d.accessibleName) + ",";
    s += field("style", forms::styleName(d.style)) + ",";
    s += field("clientWidth", d.clientWidth) + "," + field("clientHeight", d.clientHeight) + ",";
    s += "\"font\":" + fontJson(d.font) + ",";
    s += field("back", d.back) + ",";
    s += field("picture", d.picture) + ",";
    s += field("pictureWidth", d.pictureWidth) + "," + field("pictureHeight", d.pictureHeight);
    s += ",\"pixels\":{" + field("clientWidth", plan.clientWidth) + "," +
         field("clientHeight", plan.clientHeight) + "," + field("pictureWidth", plan.pictureWidth) +
         "," + field("pictureHeight", plan.pictureHeight) + "}";
    s += ",\"tabOrder\":[";
    bool firstTab = true;
    for (const std::size_t i : plan.tabOrder) {
        s += (firstTab ? "" : ",") + jsonString(d.controls[i].name);
        firstTab = false;
    }
    s += "]";
    s += ",\"creationOrder\":[";
    for (std::size_t k = 0; k < plan.creationOrder.size(); ++k)
        s += (k ? "," : "") + jsonString(d.controls[plan.creationOrder[k]].name);
    s += "]";
    s += ",\"groups\":" + groupsJson(d, plan.groups);
    s += ",\"controls\":[";
    for (std::size_t i = 0; i < d.controls.size(); ++i)
        s += (i ? "," : "") + controlJson(d, plan, i);
    return s + "]}";
}

std::string stateJson(const Form& form) {
    std::string s = "{" + field("form", form.name()) + ",\"controls\":{";
    bool first = true;
    for (const forms::ControlState& c : form.controls()) {
        std::string entry;
        switch (c.desc->kind) {
            case forms::Kind::Slider:
                entry =
                    field("value", c.value) + "," + field("words", forms::metresInWords(c.value));
                break;
            case forms::Kind::Readout:
            case forms::Kind::TextBox:
                entry = field("text", c.text) + "," + field("back", c.back) + "," +
                        field("note", c.note) + "," +
                        field("description", forms::readoutDescription(c));
                break;
            case forms::Kind::Option:
                entry = field("selected", c.selected);
                break;
            default:
                continue;
        }
        s += (first ? "" : ",") + jsonString(c.desc->name) + ":{" + entry + "}";
        first = false;
    }
    return s + "}}";
}

void WebHost::syncAll() {
    for (Form* form : runtime().loadedForms()) pw_js_sync(stateJson(*form).c_str());
}

void WebHost::announce(Form&, const std::string& results) {
    pw_js_announce(results.c_str());
}

void WebHost::messageBox(const forms::Message& message) {
    // The windows behind the box show the current values while it is open.
    syncAll();
    pw_js_message_box(message.style, message.title.c_str(), message.text.c_str());
}

void WebHost::formLoaded(Form& form) {
    pw_js_form_loaded(describeJson(form.description()).c_str(), stateJson(form).c_str());
}

void WebHost::formActivated(Form& form) {
    pw_js_form_activated(std::string(form.name()).c_str());
}

void WebHost::formUnloaded(Form& form) {
    pw_js_form_unloaded(std::string(form.name()).c_str());
}

void WebHost::noFormLoaded() {
    pw_js_no_form();
}

}  // namespace formsweb

namespace formsweb {

WebHost& pageHost() {
    static WebHost h;
    return h;
}

forms::FormsRuntime& pageRuntime() {
    static forms::FormsRuntime* rt = [] {
        auto* r = new forms::FormsRuntime(pageHost());
        pageHost().attach(*r);
        return r;
    }();
    return *rt;
}

}  // namespace formsweb

namespace {

// One action of the page, as pw_act describes it: -1 for an action that names no such form or
// control or that the form does not let a user do, else whether the model refused it. The
// host's act brings the windows in line afterwards.
int actOnce(const forms::UserAction& action) {
    auto& runtime = formsweb::pageRuntime();
    if (!forms::refusal(runtime, action).empty()) return -1;
    return forms::perform(runtime, action) ? 1 : 0;
}

}  // namespace

// The page's way in: every user action is one event of the model, after which every window is
// brought in line with it. Returns 0 when the action was done, 1 when the model refused it (its
// message box has been shown), -1 when the page named no such form or control, and -2 when it
// was not taken: another action still runs, or it repeats a held press that has met a message
// box (nothing done either way).
extern "C" {

// `held` is 1 for a step that repeats a key or button still held down, 0 for a new press: the
// steps of one press go no further once one of them has met a message box, and a key held on a
// command button clicks it once.
EMSCRIPTEN_KEEPALIVE int pw_act(const char* action, const char* formName, const char* control,
                                int value, int held) {
    const auto verb = forms::verbNamed(action);
    if (!verb) return -1;
    const forms::UserAction user{*verb, formName,
                                 forms::namesControl(*verb) ? control : std::string(), value};
    auto& host = formsweb::pageHost();
    int done = -2;
    const auto once = [&] { done = actOnce(user); };
    if (!held) host.pressBegins();
    if (*verb == forms::Verb::Arrow || *verb == forms::Verb::Page)
        host.pressStep(once);
    else if (*verb != forms::Verb::Click || host.keyClicks(held != 0))
        host.act(once);
    return done;
}

// A value typed into a slider's number field on a phone, in metres: {"value":250}, the
// centimetres to drag the slider to, or {"refusal":"..."}, what the field says instead (the
// model is left as it was). The text lives until the next call.
EMSCRIPTEN_KEEPALIVE const char* pw_typed(const char* formName, const char* control,
                                          const char* text) {
    static std::string answer;
    forms::Form* form = formsweb::pageRuntime().find(formName);
    const forms::ControlState* slider = form ? form->find(control) : nullptr;
    if (!slider || slider->desc->kind != forms::Kind::Slider) {
        answer = "{\"refusal\":\"\"}";
        return answer.c_str();
    }
    const auto typed = forms::typedMetres(text, slider->desc->min, slider->desc->max);
    if (const int* value = std::get_if<int>(&typed))
        answer = "{" + formsweb::field("value", *value) + "}";
    else
        answer = "{" + formsweb::field("refusal", std::get<std::string>(typed)) + "}";
    return answer.c_str();
}

}  // extern "C"
