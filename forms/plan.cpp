#include "forms/plan.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

namespace forms {

namespace {

bool drawn(Kind kind) {
    return kind == Kind::Line || kind == Kind::Oval || kind == Kind::Rectangle;
}

}  // namespace

int twipsToPixels(int twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0));
}

PixelBox placedBox(const ControlDesc& c, const Exposure& seen, double dotsPerInch) {
    const auto px = [&](int twips) { return twipsToPixels(twips, dotsPerInch); };
    const Box& room = seen.room;
    if (c.kind == Kind::Label && !room.empty()) {
        const int left = px(c.left + room.left), top = px(c.top + room.top);
        return {left, top, px(c.left + room.right) - left, px(c.top + room.bottom) - top};
    }
    return {px(c.left), px(c.top), px(c.width), px(c.height)};
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
Groups groupsOf(const FormDesc& form, const std::vector<std::size_t>& held,
                const std::vector<Exposure>& seen, const std::vector<std::size_t>& order) {
    const auto controls = form.controls;
    const auto named = [&](std::string_view name) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (controls[i].name == name) return i;
        return std::nullopt;
    };
    Groups g;
    std::vector<bool> shownBySlider(controls.size(), false);
    for (const std::size_t i : order) {
        const ControlDesc& c = controls[i];
        if (c.kind == Kind::Slider) {
            Groups::Slider s{i, std::nullopt, c.accessibleName, {}};
            if (c.name.starts_with("hsb"))
                if (const auto r = named("txt" + std::string(c.name.substr(3)));
                    r && controls[*r].kind == Kind::Readout) {
                    s.readout = r;
                    s.unit = controls[*r].unit;
                    shownBySlider[*r] = true;
                }
            g.sliders.push_back(s);
        } else if (c.kind == Kind::Button) {
            g.commands.push_back(i);
        }
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlDesc& c = controls[i];
        if (c.kind == Kind::Readout && !shownBySlider[i]) g.results.push_back(i);
        if (c.kind == Kind::Option) {
            auto same = std::find_if(g.options.begin(), g.options.end(), [&](const auto& group) {
                return controls[group.front()].container == c.container;
            });
            if (same == g.options.end())
                g.options.push_back({i});
            else
                same->push_back(i);
        }
        if (drawn(c.kind) && !g.drawing && !c.container.empty()) g.drawing = named(c.container);
    }
    const bool grouped = !g.sliders.empty() || !g.results.empty() || !g.options.empty();
    struct Place {
        std::size_t index;
        int top, left;
    };
    std::vector<Place> others;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlDesc& c = controls[i];
        const bool shown = c.kind == Kind::TextBox || c.kind == Kind::Image ||
                           c.kind == Kind::Picture || (c.kind == Kind::Label && !grouped);
        if (!shown || !c.visible || seen[i].hidden) continue;
        Place at{i, c.top, c.left};
        bool inDrawing = false;
        for (std::size_t f = held[i]; f != kOnForm; f = held[f]) {
            inDrawing = inDrawing || (g.drawing && f == *g.drawing);
            at.top += controls[f].top;
            at.left += controls[f].left;
        }
        if (!inDrawing) others.push_back(at);
    }
    std::stable_sort(others.begin(), others.end(), [](const Place& a, const Place& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    for (const Place& at : others) g.others.push_back(at.index);
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
                if (inside.container == c.name && drawn(inside.kind)) return Role::Drawing;
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

}  // namespace

Plan plan(const FormDesc& form, double dotsPerInch) {
    const auto px = [&](int twips) { return twipsToPixels(twips, dotsPerInch); };
    const std::vector<std::size_t> held = containers(form);
    const std::vector<Exposure> seen = exposures(form);
    Plan p;
    p.dotsPerInch = dotsPerInch;
    p.clientWidth = px(form.clientWidth);
    p.clientHeight = px(form.clientHeight);
    p.pictureWidth = px(form.pictureWidth);
    p.pictureHeight = px(form.pictureHeight);
    p.controls.resize(form.controls.size());
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
        const ControlDesc& c = form.controls[i];
        Plan::Control& planned = p.controls[i];
        planned.index = i;
        planned.container = held[i];
        planned.box = placedBox(c, seen[i], dotsPerInch);
        const Box& r = seen[i].room;
        if (!r.empty() && c.kind != Kind::Line) {
            const int left = px(c.left + r.left), top = px(c.top + r.top);
            planned.room = {left - planned.box.left, top - planned.box.top,
                            px(c.left + r.right) - left, px(c.top + r.bottom) - top};
        }
        planned.hidden = seen[i].hidden;
        planned.role = roleOf(form, c);
        for (std::size_t k = 0; k < form.controls.size() && !c.labelledBy.empty(); ++k)
            if (form.controls[k].name == c.labelledBy) planned.labelledBy = k;
        planned.x1 = px(c.x1);
        planned.y1 = px(c.y1);
        planned.x2 = px(c.x2);
        planned.y2 = px(c.y2);
    }
    // Frames hold no circle (containers refused one), so each chain ends at the form.
    for (Plan::Control& planned : p.controls) {
        planned.font = &form.font;
        for (std::size_t at = planned.index; at != kOnForm; at = held[at])
            if (!form.controls[at].font.family.empty()) {
                planned.font = &form.controls[at].font;
                break;
            }
        planned.inForm = planned.box;
        for (std::size_t at = planned.container; at != kOnForm; at = held[at]) {
            planned.inForm.left += p.controls[at].box.left;
            planned.inForm.top += p.controls[at].box.top;
        }
    }
    p.frontToBack = frontToBack(form);
    for (std::size_t at = 0; at < p.frontToBack.size(); ++at)
        p.controls[p.frontToBack[at]].stack = at;
    std::vector<int> depth(held.size(), 0);
    for (std::size_t i = 0; i < held.size(); ++i)
        for (std::size_t at = held[i]; at != kOnForm; at = held[at]) ++depth[i];
    for (std::size_t i = 0; i < held.size(); ++i) p.creationOrder.push_back(i);
    const auto rank = [&](std::size_t i) {
        return form.controls[i].kind == Kind::Frame ? depth[i] : INT_MAX;
    };
    std::stable_sort(p.creationOrder.begin(), p.creationOrder.end(),
                     [&](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
    p.tabOrder = tabOrder(form);
    p.groups = groupsOf(form, held, seen, p.tabOrder);
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

std::vector<std::size_t> optionGroup(const Plan& plan, std::size_t option) {
    for (std::vector<std::size_t> group : plan.groups.options) {
        if (std::find(group.begin(), group.end(), option) == group.end()) continue;
        const auto place = [&](std::size_t i) {
            return std::find(plan.tabOrder.begin(), plan.tabOrder.end(), i) - plan.tabOrder.begin();
        };
        std::stable_sort(group.begin(), group.end(),
                         [&](std::size_t a, std::size_t b) { return place(a) < place(b); });
        return group;
    }
    return {};
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

}  // namespace forms
