#include "display/web/webhost.h"

#include <emscripten/emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "forms/actions.h"
#include "forms/input.h"
#include "forms/job.h"
#include "forms/json.h"
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
EM_JS(void, pw_js_announce, (const char* results, const char* legLoad), {
    Module.pernadasPage.announceResults(UTF8ToString(results), UTF8ToString(legLoad));
});
EM_JS(void, pw_js_no_form, (), {
    Module.pernadasPage.noFormLoaded();
});
EM_ASYNC_JS(void, pw_js_message_box, (int style, const char* title, const char* text,
                                      const char* styleName), {
    await Module.pernadasPage.messageBox(style, UTF8ToString(title), UTF8ToString(text),
                                         UTF8ToString(styleName));
});
// clang-format on

namespace formsweb {

using forms::ControlDesc;
using forms::Form;
using forms::FormDesc;
using forms::jsonString;

namespace {

// A JSON object written field by field: one small writer for every table the page reads.
class Json {
  public:
    [[gnu::noinline]] Json& text(std::string_view name, std::string_view value) {
        key(name) += jsonString(value);
        return *this;
    }
    [[gnu::noinline]] Json& number(std::string_view name, long long value) {
        return raw(name, std::to_string(value));
    }
    [[gnu::noinline]] Json& real(std::string_view name, double value) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.6g", value);
        return raw(name, buf);
    }
    [[gnu::noinline]] Json& flag(std::string_view name, bool value) {
        return raw(name, value ? "true" : "false");
    }
    [[gnu::noinline]] Json& raw(std::string_view name, std::string_view json) {
        key(name) += json;
        return *this;
    }
    std::string done() { return s_ + "}"; }

  private:
    std::string& key(std::string_view name) {
        s_ += s_.size() > 1 ? "," : "";
        return (s_ += jsonString(name)) += ":";
    }
    std::string s_ = "{";
};

std::string fontJson(const forms::Font& f) {
    return Json().text("family", f.family).real("points", f.points).flag("bold", f.bold).done();
}

std::string facesJson(const forms::Font& f) {
    const forms::Faces faces = forms::faces(f);
    std::string families = "[";
    for (const std::string_view family : faces.families)
        (families += families.size() > 1 ? "," : "") += jsonString(family);
    return Json()
        .raw("families", families + "]")
        .text("generic", faces.serif ? "serif" : "sans-serif")
        .real("points", f.points)
        .flag("bold", f.bold)
        .done();
}

// A box in whole pixels (PixelBox), or one whose sides may fall on half pixels (StrokeBox).
template <class Box>
std::string boxJson(const Box& b) {
    return Json()
        .real("left", b.left)
        .real("top", b.top)
        .real("width", b.width)
        .real("height", b.height)
        .done();
}

std::string_view styleWord(int style) {
    return style == forms::kStyleCritical      ? "critical"
           : style == forms::kStyleInformation ? "information"
                                               : "plain";
}

// The page's window is planned at the web's 96 CSS pixels to the inch.
constexpr double kCssDotsPerInch = 96;

// Each drawing's own size in pixels, read from its svg element when the site is built.
struct Drawing {
    std::string_view name;
    int width, height;
};
constexpr Drawing kDrawings[] = {
#include "drawings.inc"
};

// Where a picture box shows its drawing, in its own pixels (forms::fittedPicture); empty for
// another control, or a drawing the site lacks.
forms::PixelBox fitted(const ControlDesc& c, const forms::Plan::Control& p) {
    if (c.kind != forms::Kind::Picture) return {};
    for (const Drawing& d : kDrawings)
        if (d.name == c.picture)
            return forms::fittedPicture(d.width, d.height, p.box, kCssDotsPerInch);
    return {};
}

// Controls by their names: a list, or one (null for none).
std::string names(const FormDesc& d, const std::vector<std::size_t>& at) {
    std::string s = "[";
    for (const std::size_t i : at) (s += s.size() > 1 ? "," : "") += jsonString(d.controls[i].name);
    return s + "]";
}
std::string name(const FormDesc& d, std::optional<std::size_t> at) {
    return at ? jsonString(d.controls[*at].name) : "null";
}

std::string controlJson(const FormDesc& form, const forms::Plan& plan, std::size_t i) {
    const ControlDesc& c = form.controls[i];
    const forms::Plan::Control& p = plan.controls[i];
    const std::string colours = Json()
                                    .text("fore", forms::colourName(p.fore))
                                    .text("back", forms::colourName(p.back))
                                    .text("behind", forms::colourName(p.behind))
                                    .done();
    const std::string ends =
        Json().number("x1", p.x1).number("y1", p.y1).number("x2", p.x2).number("y2", p.y2).done();
    return Json()
        .text("name", c.name)
        .text("kind", forms::kindName(c.kind))
        .text("role", forms::roleName(p.role))
        .text("container", c.container)
        .flag("takesFocus", forms::takesFocus(c))
        .flag("made", p.made)
        .text("caption", c.caption)
        .text("accessibleName", c.accessibleName)
        .text("spoken", p.spoken)
        .text("accessKey", p.accessKey ? forms::utf8(p.accessKey) : std::string())
        .text("unit", c.unit)
        .text("labelledBy", p.labelledBy ? form.controls[*p.labelledBy].name : "")
        .text("description", c.description)
        .raw("font", fontJson(c.font))
        .raw("face", facesJson(*p.font))
        .number("fore", c.fore)
        .number("back", c.back)
        .raw("colours", colours)
        .number("lineWidth", p.lineWidth)
        .flag("filled", c.filled)
        .flag("outline", c.outline)
        .flag("dotted", c.dotted)
        .flag("transparent", c.transparent)
        .text("align", forms::alignName(c.align))
        .flag("visible", c.visible)
        .flag("cancel", c.cancel)
        .number("min", c.min)
        .number("max", c.max)
        .number("smallChange", c.smallChange)
        .number("largeChange", c.largeChange)
        .number("interval", c.interval)
        .text("picture", c.picture)
        .flag("hidden", p.hidden)
        .number("stack", static_cast<long long>(p.stack))
        // Where the page puts it, in CSS pixels (96 to the inch); a line's ends, where an
        // outline's stroke runs, and where a picture box shows its drawing.
        .raw("box", boxJson(p.box))
        .raw("room", boxJson(p.room))
        .raw("ends", ends)
        .raw("stroke", boxJson(p.outline))
        .raw("fitted", boxJson(fitted(c, p)))
        .done();
}

// What a one-column layout sets together (Plan::groups), by the controls' names.
std::string groupsJson(const FormDesc& d, const forms::Groups& g) {
    std::string sliders = "[", options = "[";
    for (const auto& slider : g.sliders)
        (sliders += sliders.size() > 1 ? "," : "") +=
            Json()
                .raw("slider", name(d, slider.slider))
                .text("heading", slider.heading)
                .raw("choice", slider.choice ? std::to_string(*slider.choice) : "null")
                .done();
    for (const auto& group : g.options)
        (options += options.size() > 1 ? "," : "") += names(d, group);
    return Json()
        .raw("sliders", sliders + "]")
        .raw("results", names(d, g.results))
        .raw("options", options + "]")
        .raw("commands", names(d, g.commands))
        .raw("back", name(d, g.back))
        .raw("apart", name(d, g.apart))
        .raw("drawing", name(d, g.drawing))
        .raw("others", names(d, g.others))
        .raw("beside", names(d, g.beside))
        .done();
}

}  // namespace

std::string describeJson(const FormDesc& d) {
    const forms::Plan plan = forms::plan(d, kCssDotsPerInch);
    std::string controls = "[";
    for (std::size_t i = 0; i < d.controls.size(); ++i)
        (controls += i ? "," : "") += controlJson(d, plan, i);
    return Json()
        .text("name", d.name)
        .text("caption", d.caption)
        .text("accessibleName", d.accessibleName)
        .text("style", forms::styleName(d.style))
        .raw("font", fontJson(d.font))
        .raw("face", facesJson(d.font))
        .number("back", d.back)
        .text("colour", forms::colourName(plan.back))
        .text("picture", d.picture)
        .raw("pixels", Json()
                           .number("clientWidth", plan.clientWidth)
                           .number("clientHeight", plan.clientHeight)
                           .number("pictureWidth", plan.pictureWidth)
                           .number("pictureHeight", plan.pictureHeight)
                           .done())
        .raw("cancel", name(d, plan.cancel))
        .real("smallestPoints", forms::kSmallestPoints)
        .real("shrinkPoints", forms::kShrinkPoints)
        .raw("tabOrder", names(d, plan.tabOrder))
        .raw("creationOrder", names(d, plan.creationOrder))
        .raw("groups", groupsJson(d, plan.groups))
        .raw("controls", controls + "]")
        .done();
}

std::string stateJson(const Form& form) {
    Json controls;
    for (const forms::ControlState& c : form.controls()) {
        Json entry;
        switch (c.desc->kind) {
            case forms::Kind::Slider:
                entry.number("value", c.value).text("words", forms::metresInWords(c.value));
                break;
            case forms::Kind::Readout:
            case forms::Kind::TextBox:
                entry.text("text", c.text)
                    .number("back", c.back)
                    .text("colour", forms::colourName(c.back))
                    .text("note", c.note)
                    .text("description", forms::readoutDescription(c));
                break;
            case forms::Kind::Option:
                entry.flag("selected", c.selected);
                break;
            default:
                continue;
        }
        controls.raw(c.desc->name, entry.done());
    }
    Json json;
    json.text("form", form.name()).raw("controls", controls.done());
    // What a phone shows of a sling beyond the read-outs, with its names.
    if (const forms::LegLoad load = form.legLoad(); load.legs > 0) {
        static const std::string names = Json()
                                             .text("factor", forms::kFactorName)
                                             .text("weight", forms::kWeightName)
                                             .text("perLeg", forms::kPerLegName)
                                             .text("twoLegs", forms::kTwoLegsCarry)
                                             .text("share", forms::kShareName)
                                             .done();
        json.raw("load", Json()
                             .number("weight", load.weight)
                             .text("after", load.after)
                             .text("factor", load.factor)
                             .text("perLeg", load.perLeg)
                             .text("share", load.share)
                             .raw("names", names)
                             .done());
    }
    return json.done();
}

void WebHost::syncAll() {
    for (Form* form : runtime().loadedForms()) pw_js_sync(stateJson(*form).c_str());
}

void WebHost::announce(Form&, const std::string& results, const std::string& legLoad) {
    pw_js_announce(results.c_str(), legLoad.c_str());
}

void WebHost::showBox(const forms::Message& message) {
    pw_js_message_box(message.style, message.title.c_str(), message.text.c_str(),
                      std::string(styleWord(message.style)).c_str());
}

forms::Plan WebHost::planOf(const Form& form) {
    return forms::plan(form.description(), kCssDotsPerInch);
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

using formsweb::ActResult;

// One action of the page, as pw_act describes it: Unknown for an action that names no such form
// or control or that the form does not let a user do, else whether the model refused it. The
// host's act brings the windows in line afterwards.
int actOnce(const forms::UserAction& action) {
    auto& runtime = formsweb::pageRuntime();
    if (!forms::refusal(runtime, action).empty()) return int(ActResult::Unknown);
    return int(forms::perform(runtime, action) ? ActResult::Refused : ActResult::Done);
}

// The job being set again from the page's address, while it is, and the load's weight it gives
// once its actions are done.
std::optional<forms::JobReplay> jobReplay;
std::string_view jobForm;
int jobWeight = 0;

// The part of a slider the page names ("less", "more", "before", "after").
std::optional<forms::Part> partNamed(std::string_view word) {
    if (word == "less") return forms::Part::LessArrow;
    if (word == "more") return forms::Part::MoreArrow;
    if (word == "before") return forms::Part::TrackBefore;
    if (word == "after") return forms::Part::TrackAfter;
    return std::nullopt;
}

}  // namespace

// The page's way in: every user action is one event of the model, after which every window is
// brought in line with it. Returns an ActResult: Done, Refused (its message box has been shown),
// Unknown (the page named no such form or control), or NotTaken: another action still runs, or
// it repeats a held press that has met a message box (nothing done either way).
extern "C" {

// `repeat` is 1 for a step that repeats a key or button still held down, 0 for a new press:
// the steps of one press go no further once one of them has met a message box, and a key held
// on a command button clicks it once.
EMSCRIPTEN_KEEPALIVE int pw_act(const char* action, const char* formName, const char* control,
                                int value, int repeat) {
    const auto verb = forms::verbNamed(action);
    if (!verb) return int(ActResult::Unknown);
    const forms::UserAction user{*verb, formName,
                                 forms::namesControl(*verb) ? control : std::string(), value};
    auto& host = formsweb::pageHost();
    int done = int(ActResult::NotTaken);
    const auto once = [&] { done = actOnce(user); };
    if (!repeat) host.pressBegins();
    if (*verb == forms::Verb::Arrow || *verb == forms::Verb::Page)
        host.pressStep(once);
    else if (*verb != forms::Verb::Click || host.keyClicks(repeat != 0))
        host.act(once);
    return done;
}

// An input of the page's user, handed to the model's map (forms/input.h) on a control of a
// form (an empty name: the window): `type` "key" (`what` the key's word, "access" with `value`
// the letter's code), "press" (`what` the part of the slider: "less", "more", "before",
// "after"), "click", or "wheel" (`value` the turn towards the user, of which `what`, a number,
// make one notch). Answers {"taken":true,"done":true,"focus":"Option2"}: whether the input was
// the model's (the page then does nothing more with it), whether an action ran, and the
// control the focus goes to, or null. The text lives until the next call.
EMSCRIPTEN_KEEPALIVE const char* pw_input(const char* formName, const char* control,
                                          const char* type, const char* what, int value,
                                          int repeat) {
    static std::string answer;
    answer = "{\"taken\":false,\"done\":false,\"focus\":null}";
    auto& host = formsweb::pageHost();
    forms::Form* form = formsweb::pageRuntime().find(formName);
    if (!form || !form->loaded()) return answer.c_str();
    const forms::ControlState* state = form->find(control);
    const std::size_t at = state ? std::size_t(state - form->controls().data()) : forms::kOnForm;
    const forms::Plan plan = host.planOf(*form);
    const std::string_view kind = type;
    forms::Input in;
    if (kind == "key") {
        in = forms::Input::keyDown(forms::keyNamed(what), repeat != 0, char32_t(value));
    } else if (kind == "press") {
        const auto part = partNamed(what);
        if (!part) return answer.c_str();
        in = forms::Input::press(*part, repeat != 0);
    } else if (kind == "click") {
        in = forms::Input::click();
    } else if (kind == "wheel") {
        if (at == forms::kOnForm) return answer.c_str();
        host.wheel(*form, plan, at, value, std::atoi(what));
        answer = "{\"taken\":true,\"done\":true,\"focus\":null}";
        return answer.c_str();
    } else {
        return answer.c_str();
    }
    const auto handled = host.input(*form, plan, at, in);
    const auto& r = handled.response;
    answer = formsweb::Json()
                 .flag("taken", r.taken)
                 .flag("done", handled.done)
                 .raw("focus",
                      r.focus ? forms::jsonString(form->controls()[*r.focus].desc->name) : "null")
                 .done();
    return answer.c_str();
}

// The names of pw_act's answers and of the message boxes' styles, for the page:
// {"results":{"done":0,...},"styles":{"plain":0,"critical":16,"information":64}}.
EMSCRIPTEN_KEEPALIVE const char* pw_names() {
    static_assert(int(ActResult::Done) == 0 && int(ActResult::Refused) == 1 &&
                  int(ActResult::Unknown) == -1 && int(ActResult::NotTaken) == -2);
    static_assert(forms::kStylePlain == 0 && forms::kStyleCritical == 16 &&
                  forms::kStyleInformation == 64);
    return R"({"results":{"done":0,"refused":1,"unknown":-1,"notTaken":-2},)"
           R"("styles":{"plain":0,"critical":16,"information":64}})";
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
        answer = formsweb::Json().number("value", *value).done();
    else
        answer = formsweb::Json().text("refusal", std::get<std::string>(typed)).done();
    return answer.c_str();
}

// The load's weight typed into a calculator's field on a phone ("1200"; "" for none): an empty
// text once it is taken (the windows are in line with it and its load on each leg said), or why
// not, in Portuguese, for the field to say.
EMSCRIPTEN_KEEPALIVE const char* pw_weight(const char* formName, const char* text) {
    forms::Form* form = formsweb::pageRuntime().find(formName);
    const int kg = forms::typedWeight(text);
    if (kg >= 0 && form) formsweb::pageHost().setWeight(*form, kg);
    return kg < 0 ? forms::kWeightRefused.data() : "";
}

// The job of a loaded calculator as the query of the page's address
// ("janela=frmduaspernas&hsblcarga=120&hsbperna=150"), or an empty text for a window that
// keeps none. The text lives until the next call.
EMSCRIPTEN_KEEPALIVE const char* pw_job_query(const char* formName) {
    static std::string answer;
    const forms::Form* form = formsweb::pageRuntime().find(formName);
    answer = form && form->loaded() ? forms::jobQuery(*form) : std::string();
    return answer.c_str();
}

// Reads a job from an address's query, to be set again once the program has opened its menu:
// an empty text when it can be, and the actions are then handed out by pw_job_next; else why
// not, in Portuguese, for the page to say (nothing is done). The text lives until the next call.
EMSCRIPTEN_KEEPALIVE const char* pw_job_begin(const char* query) {
    static std::string answer;
    forms::JobRead read = forms::jobActions(formsweb::pageRuntime(), query);
    jobReplay.reset();
    jobWeight = read.weight;
    jobForm = read.window;
    if (read.refusal.empty()) jobReplay.emplace(std::move(read.actions));
    answer = std::move(read.refusal);
    return answer.c_str();
}

// The next action of the job being set again, in the words the page's pw_act takes
// ("type frmduaspernas hsbperna 150"), or an empty text once the job is set. The text lives
// until the next call.
EMSCRIPTEN_KEEPALIVE const char* pw_job_next() {
    static std::string answer;
    auto& runtime = formsweb::pageRuntime();
    const auto action = jobReplay ? jobReplay->next(runtime) : std::nullopt;
    if (!action && jobReplay) {
        // The weight goes to the window the job opened, as the user would type it.
        forms::Form* form = runtime.find(jobForm);
        if (jobWeight > 0 && form) formsweb::pageHost().setWeight(*form, jobWeight);
        jobReplay.reset();
    }
    answer = action ? action->line() : std::string();
    return answer.c_str();
}

}  // extern "C"
