#include "forms/layout.h"

#include <algorithm>
#include <array>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace forms {

namespace {

Box intersect(const Box& a, const Box& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

long long area(const Box& b) {
    return b.empty() ? 0 : static_cast<long long>(b.width()) * b.height();
}

// The largest part of `room` on one side of what `cover` hides of it.
Box uncovered(const Box& room, const Box& cover) {
    const Box hit = intersect(room, cover);
    if (hit.empty()) return room;
    const std::array<Box, 4> sides{{
        {room.left, room.top, hit.left, room.bottom},    // to its left
        {hit.right, room.top, room.right, room.bottom},  // to its right
        {room.left, room.top, room.right, hit.top},      // above it
        {room.left, hit.bottom, room.right, room.bottom},
    }};
    Box best{};
    for (const Box& side : sides)
        if (area(side) > area(best)) best = side;
    return best;
}

}  // namespace

bool opaque(const ControlDesc& c) {
    if (!c.visible) return false;
    switch (c.kind) {
        case Kind::Label:
            return !c.transparent;
        case Kind::Rectangle:
            return c.filled;
        case Kind::Frame:
        case Kind::Slider:
        case Kind::Readout:
        case Kind::TextBox:
        case Kind::Button:
        case Kind::Option:
        case Kind::Picture:
            return true;
        default:
            return false;
    }
}

std::vector<Exposure> exposures(const FormDesc& form) {
    return exposures(form, containers(form));
}

std::vector<Exposure> exposures(const FormDesc& form, const std::vector<std::size_t>& in) {
    const auto controls = form.controls;
    const std::size_t n = controls.size();
    // Each control, then the frames around it out to the form (containers refused a circle).
    std::vector<std::vector<std::size_t>> chains(n);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t at = i; at != kOnForm; at = in[at]) chains[i].push_back(at);

    // Boxes on the form, and the part of each that its frames let show.
    std::vector<Box> boxes(n), clipped(n);
    for (std::size_t i = 0; i < n; ++i) {
        const ControlDesc& c = controls[i];
        Box box = c.kind == Kind::Line ? Box{std::min(c.x1, c.x2), std::min(c.y1, c.y2),
                                             std::max(c.x1, c.x2), std::max(c.y1, c.y2)}
                                       : Box{c.left, c.top, c.left + c.width, c.top + c.height};
        for (std::size_t k = 1; k < chains[i].size(); ++k) {
            const ControlDesc& frame = controls[chains[i][k]];
            box = {box.left + frame.left, box.top + frame.top, box.right + frame.left,
                   box.bottom + frame.top};
        }
        boxes[i] = box;
    }
    for (std::size_t i = 0; i < n; ++i) {
        Box clip{0, 0, form.clientWidth, form.clientHeight};
        for (std::size_t k = 1; k < chains[i].size(); ++k)
            clip = intersect(clip, boxes[chains[i][k]]);
        clipped[i] = intersect(boxes[i], clip);
    }

    // Whether control `j` lies in front of control `i`: where their chains of frames meet, the
    // one of `j` comes first in the table. A frame's own controls lie inside it, not over its
    // caption: they take none of its room.
    auto inFront = [&](std::size_t j, std::size_t i) {
        const auto& a = chains[i];
        const auto& b = chains[j];
        for (std::size_t x = 0; x < a.size(); ++x)
            for (std::size_t y = 0; y < b.size(); ++y) {
                if (a[x] != b[y]) continue;
                if (x == 0 || y == 0) return false;  // one lies inside the other
                return b[y - 1] < a[x - 1];
            }
        // Their chains meet only at the form.
        return b.back() < a.back();
    };

    std::vector<Exposure> result(n);
    for (std::size_t i = 0; i < n; ++i) {
        // A control out of sight beyond the form's edge keeps its box: nothing lies over it.
        Box room = clipped[i].empty() ? boxes[i] : clipped[i];
        for (std::size_t j = 0; j < n && !room.empty(); ++j)
            if (j != i && opaque(controls[j]) && inFront(j, i)) room = uncovered(room, clipped[j]);
        const Box& box = boxes[i];
        // Out of sight beyond the form's edge is not hidden: it is where the layout keeps it.
        result[i].hidden = room.empty() && !clipped[i].empty() && controls[i].kind != Kind::Timer;
        result[i].room = room.empty() ? Box{}
                                      : Box{room.left - box.left, room.top - box.top,
                                            room.right - box.left, room.bottom - box.top};
    }
    return result;
}

std::vector<std::size_t> containers(const FormDesc& form) {
    const auto controls = form.controls;
    std::map<std::string_view, std::size_t> frames;
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (controls[i].kind == Kind::Frame) frames.emplace(controls[i].name, i);
    const auto refuse = [&](const ControlDesc& c, std::string_view why) {
        throw std::invalid_argument("form " + std::string(form.name) + ": control " +
                                    std::string(c.name) + " lies in " + std::string(c.container) +
                                    ", " + std::string(why));
    };
    std::vector<std::size_t> in(controls.size(), kOnForm);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].container.empty()) continue;
        const auto it = frames.find(controls[i].container);
        if (it == frames.end()) refuse(controls[i], "which is not a frame of the form");
        in[i] = it->second;
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        std::size_t steps = 0;
        for (std::size_t at = in[i]; at != kOnForm; at = in[at])
            if (++steps > controls.size())
                refuse(controls[i], "and its frames go round in a circle");
    }
    return in;
}

std::vector<std::size_t> frontToBack(const FormDesc& form) {
    const std::vector<std::size_t> in = containers(form);
    std::vector<std::size_t> order;
    order.reserve(in.size());
    const auto add = [&](auto& self, std::size_t container) -> void {
        for (std::size_t i = 0; i < in.size(); ++i)
            if (in[i] == container) {
                if (form.controls[i].kind == Kind::Frame) self(self, i);
                order.push_back(i);
            }
    };
    add(add, kOnForm);
    return order;
}

}  // namespace forms
