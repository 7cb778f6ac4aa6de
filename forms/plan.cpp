#include "forms/plan.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace forms {

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

Groups groups(const FormDesc& form) {
    const auto controls = form.controls;
    const auto named = [&](std::string_view name) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (controls[i].name == name) return i;
        return std::nullopt;
    };
    Groups g;
    std::vector<bool> shownBySlider(controls.size(), false);
    for (const std::size_t i : tabOrder(form)) {
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
        const bool drawn =
            c.kind == Kind::Line || c.kind == Kind::Oval || c.kind == Kind::Rectangle;
        if (drawn && !g.drawing && !c.container.empty()) g.drawing = named(c.container);
    }
    return g;
}

std::string readoutDescription(const ControlState& readout) {
    std::string description(readout.desc->unit);
    if (!readout.note.empty()) {
        if (!description.empty()) description += "; ";
        description += readout.note;
    }
    return description;
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
