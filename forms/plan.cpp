#include "forms/plan.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <string>
#include <tuple>

#include "forms/layout.h"

namespace forms {

namespace {

// A line, an oval or a rectangle: what makes a frame a drawing.
bool shape(Kind kind) {
    return kind == Kind::Line || kind == Kind::Oval || kind == Kind::Rectangle;
}

}  // namespace

int twipsToPixels(int twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0));
}

char32_t capital(char32_t letter) {
    if (letter < 0x80) return static_cast<char32_t>(std::toupper(static_cast<int>(letter)));
    return letter >= 0xE0 && letter <= 0xFE && letter != 0xF7 ? letter - 0x20 : letter;
}

Colour shownColour(Colour colour) {
    return colour == kInactiveTitleText ? 0xC0C0C0 : colour;
}

Faces faces(const Font& font) {
    Faces f;
    if (font.family == "MS Sans Serif") f.families.push_back("Microsoft Sans Serif");
    f.families.push_back(font.family);
    f.serif = font.family.find("Times") != std::string_view::npos ||
              font.family.find("Perpetua") != std::string_view::npos;
    if (font.family.find("Perpetua") != std::string_view::npos) f.families.push_back("URW Bookman");
    if (f.serif)
        f.families.insert(f.families.end(), {"Liberation Serif", "DejaVu Serif"});
    else
        f.families.insert(f.families.end(), {"Liberation Sans", "Arial", "DejaVu Sans"});
    return f;
}

PixelBox fittedPicture(int width, int height, const PixelBox& box, double dotsPerInch) {
    if (width <= 0 || height <= 0) return {};
    double w = std::lround(width * dotsPerInch / 96.0),
           h = std::lround(height * dotsPerInch / 96.0);
    const double fit = std::min({1.0, box.width / std::max(w, 1.0), box.height / std::max(h, 1.0)});
    const int fw = std::max(1, static_cast<int>(std::floor(w * fit)));
    const int fh = std::max(1, static_cast<int>(std::floor(h * fit)));
    return {(box.width - fw) / 2, (box.height - fh) / 2, fw, fh};
}

std::vector<std::size_t> tabOrder(const FormDesc& form) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < form.controls.size(); ++i)
        if (takesFocus(form.controls[i])) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return form.controls[a].tabIndex < form.controls[b].tabIndex;
    });
    return order;
}

namespace {

// The groups, from what the plan has worked out already: each control's container, what of it
// shows, and the tab order.
Groups groupsOf(const FormDesc& form, const std::vector<std::size_t>& in,
                const std::vector<Exposure>& seen, const std::vector<std::size_t>& order) {
    const auto controls = form.controls;
    const auto named = [&](std::string_view name) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (controls[i].name == name) return i;
        return std::nullopt;
    };
    Groups g;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlDesc& c = controls[i];
        if (c.kind == Kind::Option) {
            auto same = std::find_if(g.options.begin(), g.options.end(), [&](const auto& group) {
                return controls[group.front()].container == c.container;
            });
            if (same == g.options.end())
                g.options.push_back({i});
            else
                same->push_back(i);
        }
        if (shape(c.kind) && !g.drawing && !c.container.empty()) g.drawing = named(c.container);
    }
    // By place, then in tab order, then as the table lists them.
    std::vector<std::size_t> inTabs(controls.size(), order.size());
    for (std::size_t k = 0; k < order.size(); ++k) inTabs[order[k]] = k;
    const auto placed = [&](std::size_t a, std::size_t b) {
        return std::tuple(controls[a].place, inTabs[a], a) <
               std::tuple(controls[b].place, inTabs[b], b);
    };
    std::vector<std::size_t> sliders;
    for (const std::size_t i : order) {
        const ControlDesc& c = controls[i];
        if (c.kind == Kind::Slider)
            sliders.push_back(i);
        else if (c.kind == Kind::Button)
            g.commands.push_back(i);
    }
    std::sort(sliders.begin(), sliders.end(), placed);
    for (std::size_t i = 0; i < controls.size() && !g.back; ++i)
        if (controls[i].kind == Kind::Button && controls[i].cancel) g.back = i;
    for (const std::size_t i : g.commands) {
        if (!controls[i].closes || g.back == i) continue;
        if (form.style == WindowStyle::Dialog && !g.back)
            g.back = i;
        else if (form.style != WindowStyle::Dialog && !g.apart)
            g.apart = i;
    }
    for (const std::size_t i : sliders) {
        const ControlDesc& c = controls[i];
        Groups::Slider s{i, std::nullopt, c.accessibleName, {}, std::nullopt};
        if (c.name.starts_with("hsb"))
            if (const auto r = named("txt" + std::string(c.name.substr(3)));
                r && controls[*r].kind == Kind::Readout) {
                s.readout = r;
                s.unit = controls[*r].unit;
            }
        // The option buttons in a frame titled as the slider is named say what it measures.
        for (std::size_t k = 0; k < g.options.size(); ++k)
            if (const auto frame = named(controls[g.options[k].front()].container);
                frame && !c.accessibleName.empty() && controls[*frame].caption == c.accessibleName)
                s.choice = k;
        g.sliders.push_back(s);
    }
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (controls[i].kind == Kind::Readout) g.results.push_back(i);
    std::sort(g.results.begin(), g.results.end(), placed);
    const bool grouped = !g.sliders.empty() || !g.results.empty() || !g.options.empty();
    struct Place {
        std::size_t index;
        int top, left, right;
    };
    std::vector<Place> others;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlDesc& c = controls[i];
        const bool shown = c.kind == Kind::TextBox || c.kind == Kind::Image ||
                           c.kind == Kind::Picture || (c.kind == Kind::Label && !grouped);
        if (!shown || !c.visible || seen[i].hidden) continue;
        Place at{i, c.top, c.left, 0};
        bool inDrawing = false;
        for (std::size_t f = in[i]; f != kOnForm; f = in[f]) {
            inDrawing = inDrawing || (g.drawing && f == *g.drawing);
            at.top += controls[f].top;
            at.left += controls[f].left;
        }
        at.right = at.left + c.width;
        if (!inDrawing) others.push_back(at);
    }
    std::stable_sort(others.begin(), others.end(), [](const Place& a, const Place& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    const auto picture = [&](const Place& at) {
        return controls[at.index].kind == Kind::Image || controls[at.index].kind == Kind::Picture;
    };
    int textsEnd = INT_MIN;
    for (const Place& at : others)
        if (!picture(at)) textsEnd = std::max(textsEnd, at.right);
    for (const Place& at : others)
        (picture(at) && textsEnd != INT_MIN && at.left >= textsEnd ? g.beside : g.others)
            .push_back(at.index);
    return g;
}

}  // namespace

Groups groups(const FormDesc& form) {
    return groupsOf(form, containers(form), exposures(form), tabOrder(form));
}

namespace {

Role roleOf(const FormDesc& form, const ControlDesc& c) {
    switch (c.kind) {
        case Kind::Slider:
            return Role::Slider;
        case Kind::Readout:
            return Role::Readout;
        case Kind::TextBox:
            return Role::TextBox;
        case Kind::Label:
            return Role::Label;
        case Kind::Frame:
            for (const ControlDesc& inside : form.controls)
                if (inside.container == c.name && shape(inside.kind)) return Role::Drawing;
            return Role::Group;
        case Kind::Line:
        case Kind::Oval:
        case Kind::Rectangle:
            return Role::Decoration;
        case Kind::Button:
            return Role::Button;
        case Kind::Option:
            return Role::Option;
        case Kind::Image:
        case Kind::Picture:
            return Role::Picture;
        case Kind::Timer:
            return Role::None;
    }
    return Role::None;
}

// A caption's access key: the letter after a single '&' ("&&" is a plain '&'), in capitals.
char32_t accessKeyOf(std::string_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[++i] == '&') continue;
        const auto byte = static_cast<unsigned char>(caption[i]);
        if (byte < 0x80) return capital(byte);
        // A letter of two bytes (the Latin-1 ones of Portuguese).
        if (i + 1 < caption.size() && (byte & 0xE0) == 0xC0)
            return capital(((byte & 0x1Fu) << 6) |
                           (static_cast<unsigned char>(caption[i + 1]) & 0x3Fu));
        return 0;
    }
    return 0;
}

// Blanks folded into one, and none at either end: how a screen reader is given a name.
std::string folded(std::string_view text) {
    std::string out;
    for (const char ch : text) {
        if (ch == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += ch;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string spokenName(const ControlDesc& c) {
    if (!c.accessibleName.empty()) return folded(c.accessibleName);
    if (c.kind != Kind::Label && c.kind != Kind::Frame && c.kind != Kind::Button &&
        c.kind != Kind::Option)
        return {};
    std::string plain;
    for (std::size_t i = 0; i < c.caption.size(); ++i) {
        if (c.caption[i] == '&' && i + 1 < c.caption.size()) ++i;
        plain += c.caption[i];
    }
    return folded(plain);
}

}  // namespace

Plan plan(const FormDesc& form, double dotsPerInch) {
    const auto px = [&](int twips) { return twipsToPixels(twips, dotsPerInch); };
    const std::vector<std::size_t> in = containers(form);
    const std::vector<Exposure> seen = exposures(form, in);
    Plan p;
    p.dotsPerInch = dotsPerInch;
    p.clientWidth = px(form.clientWidth);
    p.clientHeight = px(form.clientHeight);
    p.pictureWidth = px(form.pictureWidth);
    p.pictureHeight = px(form.pictureHeight);
    p.back = shownColour(form.back);
    p.controls.resize(form.controls.size());
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
        const ControlDesc& c = form.controls[i];
        Plan::Control& planned = p.controls[i];
        planned.index = i;
        planned.container = in[i];
        // The box, and the part of it that shows, each edge rounded once: a label that a
        // control in front partly covers is put at the part that shows, so that its text is
        // fitted to it.
        const Box& r = seen[i].room;
        PixelBox shows;
        if (!r.empty()) {
            const int left = px(c.left + r.left), top = px(c.top + r.top);
            shows = {left, top, px(c.left + r.right) - left, px(c.top + r.bottom) - top};
        }
        planned.box = c.kind == Kind::Label && !r.empty()
                          ? shows
                          : PixelBox{px(c.left), px(c.top), px(c.width), px(c.height)};
        if (!r.empty() && c.kind != Kind::Line)
            planned.room = {shows.left - planned.box.left, shows.top - planned.box.top, shows.width,
                            shows.height};
        planned.hidden = seen[i].hidden;
        planned.made =
            c.kind != Kind::Timer && !(c.kind == Kind::Slider && !c.visible) && !planned.hidden;
        planned.role = roleOf(form, c);
        for (std::size_t k = 0; k < form.controls.size() && !c.labelledBy.empty(); ++k)
            if (form.controls[k].name == c.labelledBy) planned.labelledBy = k;
        planned.spoken = spokenName(c);
        if (c.kind == Kind::Button || c.kind == Kind::Option)
            planned.accessKey = accessKeyOf(c.caption);
        if (c.kind == Kind::Button && c.cancel && !p.cancel) p.cancel = i;
        planned.fore = shownColour(c.fore);
        planned.back = shownColour(c.back);
        planned.lineWidth =
            std::max(1, static_cast<int>(std::lround(c.lineWidth * dotsPerInch / 96)));
        if ((c.kind == Kind::Oval || c.kind == Kind::Rectangle) && c.outline) {
            const double half = planned.lineWidth / 2.0;
            planned.outline = {half, half, std::max(0.0, planned.box.width - 2 * half),
                               std::max(0.0, planned.box.height - 2 * half)};
        }
        planned.x1 = px(c.x1);
        planned.y1 = px(c.y1);
        planned.x2 = px(c.x2);
        planned.y2 = px(c.y2);
    }
    // Frames hold no circle (containers refused one), so each chain ends at the form.
    for (Plan::Control& planned : p.controls) {
        planned.font = &form.font;
        for (std::size_t at = planned.index; at != kOnForm; at = in[at])
            if (!form.controls[at].font.family.empty()) {
                planned.font = &form.controls[at].font;
                break;
            }
        planned.behind = p.back;
        for (std::size_t at = planned.container; at != kOnForm; at = in[at])
            if (form.controls[at].back != kDefaultColour) {
                planned.behind = p.controls[at].back;
                break;
            }
        planned.inForm = planned.box;
        for (std::size_t at = planned.container; at != kOnForm; at = in[at]) {
            planned.inForm.left += p.controls[at].box.left;
            planned.inForm.top += p.controls[at].box.top;
        }
    }
    p.frontToBack = frontToBack(form);
    for (std::size_t at = 0; at < p.frontToBack.size(); ++at)
        p.controls[p.frontToBack[at]].stack = at;
    std::vector<int> depth(in.size(), 0);
    for (std::size_t i = 0; i < in.size(); ++i)
        for (std::size_t at = in[i]; at != kOnForm; at = in[at]) ++depth[i];
    for (std::size_t i = 0; i < in.size(); ++i) p.creationOrder.push_back(i);
    const auto rank = [&](std::size_t i) {
        return form.controls[i].kind == Kind::Frame ? depth[i] : INT_MAX;
    };
    std::stable_sort(p.creationOrder.begin(), p.creationOrder.end(),
                     [&](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
    p.tabOrder = tabOrder(form);
    p.groups = groupsOf(form, in, seen, p.tabOrder);
    return p;
}

std::string readoutDescription(const ControlState& readout) {
    std::string description(readout.desc->unit);
    if (!readout.note.empty()) {
        if (!description.empty()) description += "; ";
        description += readout.note;
    }
    return description;
}

ReadoutsSeen readoutsNow(const Form& form) {
    ReadoutsSeen seen;
    for (const ControlState& c : form.controls())
        if (c.desc->kind == Kind::Readout) seen.emplace_back(c.text, c.note);
    return seen;
}

std::string changedResults(const Form& form, const ReadoutsSeen& before) {
    std::string said;
    std::vector<std::string_view> bands;
    std::size_t at = 0;
    for (const ControlState& c : form.controls()) {
        if (c.desc->kind != Kind::Readout) continue;
        const bool same =
            at < before.size() && before[at].first == c.text && before[at].second == c.note;
        ++at;
        const std::size_t first = c.text.find_first_not_of(' ');
        if (same || first == std::string::npos) continue;
        if (!said.empty()) said += "; ";
        said += folded(c.desc->accessibleName);
        said += ' ';
        said.append(c.text, first, c.text.find_last_not_of(' ') + 1 - first);
        if (!c.desc->unit.empty()) (said += ' ') += c.desc->unit;
        if (!c.note.empty() && std::find(bands.begin(), bands.end(), c.note) == bands.end()) {
            (said += ", ") += c.note;
            bands.push_back(c.note);
        }
    }
    return said;
}

std::size_t nextOption(const FormDesc& form, const Plan& plan, std::size_t option, int step) {
    if (option >= plan.controls.size() || form.controls[option].kind != Kind::Option) return option;
    std::vector<std::size_t> group;
    for (const std::size_t i : plan.tabOrder)
        if (form.controls[i].kind == Kind::Option && form.controls[i].visible &&
            !plan.controls[i].hidden &&
            plan.controls[i].container == plan.controls[option].container)
            group.push_back(i);
    const auto at = std::find(group.begin(), group.end(), option);
    if (at == group.end() || step == 0) return option;
    const auto n = static_cast<std::ptrdiff_t>(group.size());
    const std::ptrdiff_t from = at - group.begin();
    return group[static_cast<std::size_t>(((from + step) % n + n) % n)];
}

std::string_view kindName(Kind kind) {
    switch (kind) {
        case Kind::Slider:
            return "slider";
        case Kind::Readout:
            return "readout";
        case Kind::TextBox:
            return "textbox";
        case Kind::Label:
            return "label";
        case Kind::Frame:
            return "frame";
        case Kind::Button:
            return "button";
        case Kind::Option:
            return "option";
        case Kind::Line:
            return "line";
        case Kind::Oval:
            return "oval";
        case Kind::Rectangle:
            return "rectangle";
        case Kind::Image:
            return "image";
        case Kind::Picture:
            return "picture";
        case Kind::Timer:
            return "timer";
    }
    return {};
}

std::string_view roleName(Role role) {
    switch (role) {
        case Role::None:
            return "none";
        case Role::Slider:
            return "slider";
        case Role::Readout:
            return "readout";
        case Role::TextBox:
            return "textbox";
        case Role::Label:
            return "label";
        case Role::Group:
            return "group";
        case Role::Drawing:
            return "drawing";
        case Role::Decoration:
            return "decoration";
        case Role::Button:
            return "button";
        case Role::Option:
            return "option";
        case Role::Picture:
            return "picture";
    }
    return {};
}

std::string_view styleName(WindowStyle style) {
    switch (style) {
        case WindowStyle::Bare:
            return "bare";
        case WindowStyle::Calculator:
            return "calculator";
        case WindowStyle::Dialog:
            return "dialog";
    }
    return {};
}

std::string_view alignName(Align align) {
    switch (align) {
        case Align::Left:
            return "left";
        case Align::Centre:
            return "center";
        case Align::Right:
            return "right";
    }
    return {};
}

std::string colourName(Colour colour) {
    colour = shownColour(colour);
    if (colour == kDefaultColour) return {};
    if (colour == kHighlight) return "highlight";
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string name = "#";
    for (int shift = 20; shift >= 0; shift -= 4) name += kHex[(colour >> shift) & 0xF];
    return name;
}

std::string utf8(char32_t letter) {
    std::string out;
    if (letter < 0x80) {
        out += static_cast<char>(letter);
    } else if (letter < 0x800) {
        out += static_cast<char>(0xC0 | (letter >> 6));
        out += static_cast<char>(0x80 | (letter & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (letter >> 12));
        out += static_cast<char>(0x80 | ((letter >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (letter & 0x3F));
    }
    return out;
}

}  // namespace forms
