// The workings under the plan (forms/plan.h), internal to the model: no display includes this.
// What of each control shows on screen: the rules every display applies alike. A control is
// clipped by the frames that hold it, and hidden where an opaque control lies in front of it
// (the table lists each container's controls front to back; a frame's controls lie in front
// of the frame, and behind whatever lies in front of the frame).
#pragma once

#include <cstddef>
#include <vector>

#include "forms/description.h"
#include "forms/plan.h"

namespace forms {

// A rectangle in twips: left and top inside it, right and bottom just outside.
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool operator==(const Box&) const = default;
};

// Whether the control, where it is shown, hides what lies behind it: a frame, a label that is
// not transparent, a filled rectangle, and every windowed control (slider, text box, button,
// option, picture box). Lines, ovals and stretched pictures let what is behind them show.
bool opaque(const ControlDesc& c);

// What of one control shows.
struct Exposure {
    // The part of its box left for its text: the largest rectangle of the box, within its
    // frames and the form, that no opaque control in front of it covers (the whole box of one
    // that lies out of sight beyond the form's edge). Twips from the control's own corner.
    Box room;
    // Wholly covered by opaque controls in front of it, where it lies within its frames and the
    // form: nothing of it can be seen.
    bool hidden = false;
};

// One entry for each control of the form, in the table's order; `in` as containers() gives it.
std::vector<Exposure> exposures(const FormDesc& form, const std::vector<std::size_t>& in);
std::vector<Exposure> exposures(const FormDesc& form);

// Each control's container, as its index in the table, or kOnForm for the form. Throws
// std::invalid_argument, naming the form and the control, where a control lies in something
// that is not a frame of the form or frames hold each other in a circle: every display refuses
// such a table rather than put the control somewhere else (tableFaults reports it as well).
std::vector<std::size_t> containers(const FormDesc& form);

// The controls front to back across the whole form, as indices in the table: within a container
// as the table lists them, a frame's own controls just in front of the frame.
std::vector<std::size_t> frontToBack(const FormDesc& form);

// Twips to pixels on a screen of `dotsPerInch` logical dots to the inch (1440 twips to the
// inch: 15 twips to a pixel at 96), rounded to the nearest pixel, halves away from zero.
int twipsToPixels(int twips, double dotsPerInch);

// The controls that take the focus, as indices in the table, in the order Tab walks them: by tab
// index, the table's order between equals.
std::vector<std::size_t> tabOrder(const FormDesc& form);

// What a one-column layout sets together (Plan::groups).
Groups groups(const FormDesc& form);

}  // namespace forms
