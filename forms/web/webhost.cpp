#include "forms/web/webhost.h"

#include <emscripten/emscripten.h>

#include <cstdio>
#include <type_traits>

#include "forms/layout.h"
#include "shell/shell.h"

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

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

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

// What of the control shows: the part of it left seen (twips from its corner), and whether it
// is wholly covered.
std::string exposureJson(const forms::Exposure& e) {
    const forms::Box& r = e.room;
    return field("hidden", e.hidden) + ",\"room\":{" + field("left", r.left) + "," +
           field("top", r.top) + "," + field("right", r.right) + "," + field("bottom", r.bottom) +
           "}";
}

std::string controlJson(const ControlDesc& c, const forms::Exposure& seen) {
    std::string s = "{";
    s += field("name", c.name) + ",";
    s += field("kind", static_cast<int>(c.kind)) + ",";
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
    s += field("align", static_cast<int>(c.align)) + ",";
    s += field("visible", c.visible) + "," + field("cancel", c.cancel) + ",";
    s += field("min", c.min) + "," + field("max", c.max) + ",";
    s += field("smallChange", c.smallChange) + "," + field("largeChange", c.largeChange) + ",";
    s += field("interval", c.interval) + ",";
    s += field("picture", c.picture) + ",";
    s += exposureJson(seen);
    return s + "}";
}

}  // namespace

std::string describeJson(const FormDesc& d) {
    std::string s = "{";
    s += field("name", d.name) + ",";
    s += field("caption", d.caption) + ",";
    s += field("accessibleName", d.accessibleName) + ",";
    s += field("style", static_cast<int>(d.style)) + ",";
    s += field("clientWidth", d.clientWidth) + "," + field("clientHeight", d.clientHeight) + ",";
    s += "\"font\":" + fontJson(d.font) + ",";
    s += field("back", d.back) + ",";
    s += field("picture", d.picture) + ",";
    s += field("pictureWidth", d.pictureWidth) + "," + field("pictureHeight", d.pictureHeight);
    s += ",\"controls\":[";
    const std::vector<forms::Exposure> seen = forms::exposures(d);
    for (std::size_t i = 0; i < d.controls.size(); ++i)
        s += (i ? "," : "") + controlJson(d.controls[i], seen[i]);
    return s + "]}";
}

std::string stateJson(const Form& form) {
    std::string s = "{" + field("form", form.name()) + ",\"controls\":{";
    bool first = true;
    for (const forms::ControlState& c : form.controls()) {
        std::string entry;
        switch (c.desc->kind) {
            case forms::Kind::Slider:
                entry = field("value", c.value);
                break;
            case forms::Kind::Readout:
            case forms::Kind::TextBox:
                entry = field("text", c.text) + "," + field("back", c.back) + "," +
                        field("note", c.note);
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

namespace {

formsweb::WebHost& host() {
    static formsweb::WebHost h;
    return h;
}

forms::FormsRuntime& runtime() {
    static forms::FormsRuntime* rt = [] {
        auto* r = new forms::FormsRuntime(host());
        host().attach(*r);
        return r;
    }();
    return *rt;
}

forms::Form* startForm = nullptr;

// One action of the page, as pw_act describes it.
int actOnce(const char* action, const char* formName, const char* control, int value) {
    forms::Form* form = runtime().find(formName);
    if (!form) return -1;
    const std::string_view act = action;
    forms::FormsRuntime::Outcome outcome;
    if (act == "show") {
        outcome = runtime().showForm(*form);
    } else if (act == "close") {
        if (!form->loaded()) return -1;
        outcome = runtime().close(*form);
    } else {
        forms::ControlState* c = form->find(control);
        if (!c || !form->loaded()) return -1;
        const forms::Kind kind = c->desc->kind;
        const bool slider = kind == forms::Kind::Slider && c->desc->visible;
        const int direction = value < 0 ? -1 : +1;
        if (act == "arrow" && slider) {
            outcome = runtime().arrow(forms::Slider(*c), direction);
        } else if (act == "page" && slider) {
            outcome = runtime().page(forms::Slider(*c), direction);
        } else if (act == "drag" && slider) {
            // The page keeps the thumb on its track; a value off it is refused here too.
            if (value < c->desc->min || value > c->desc->max) return -1;
            outcome =
                runtime().drag(forms::Slider(*c), forms::Int(static_cast<std::int16_t>(value)));
        } else if (act == "click" && kind == forms::Kind::Button) {
            outcome = runtime().click(*c);
        } else if (act == "select" && kind == forms::Kind::Option) {
            outcome = runtime().select(*c);
        } else if (act == "tick" && kind == forms::Kind::Timer) {
            outcome = runtime().tick(*c);
        } else {
            return -1;
        }
    }
    host().syncAll();
    return outcome ? 1 : 0;
}

}  // namespace

// The page's way in: every user action is one event of the model, after which every window is
// brought in line with it. Returns 0 when the action was done, 1 when the model refused it (its
// message box has been shown), -1 when the page named no such form or control, and -2 while
// another action still runs (nothing done either way).
extern "C" {

// With `open` false the forms are only made ready, and the page shows the first one itself:
// the browser tests replay scenarios from a program that shows nothing yet.
EMSCRIPTEN_KEEPALIVE int pw_start(int open) {
    if (!startForm) startForm = &shell::addProgramForms(runtime());
    if (!open) return 0;
    const auto outcome = runtime().start(*startForm);
    host().syncAll();
    return outcome ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int pw_act(const char* action, const char* formName, const char* control,
                                int value) {
    int done = -2;
    runtime().oneAtATime([&] { done = actOnce(action, formName, control, value); });
    return done;
}

}  // extern "C"

int main() {
    return 0;
}
