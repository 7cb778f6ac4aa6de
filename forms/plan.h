// What every display works out alike from a form's table, besides where controls lie and what
// of them shows (forms/layout.h): sizes in pixels, the tab order, the words a screen reader is
// given, and the names of kinds and styles as the browser's page reads them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/description.h"
#include "forms/form.h"
#include "forms/layout.h"

namespace forms {

// Twips to pixels on a screen of `dotsPerInch` logical dots to the inch (1440 twips to the
// inch: 15 twips to a pixel at 96), rounded to the nearest pixel, halves away from zero.
int twipsToPixels(int twips, double dotsPerInch);

// Where a display puts a control in its container, in pixels: at its box, each of its corner
// and its size rounded; a label that a control in front partly covers at the part of it that
// shows, each edge rounded, so that its text is fitted to what shows. Lines are drawn between
// their ends, each rounded.
struct PixelBox {
    int left = 0, top = 0, width = 0, height = 0;
};
PixelBox placedBox(const ControlDesc& control, const Exposure& seen, double dotsPerInch);

// The controls that take the focus, as indices in the table, in the order Tab walks them: by tab
// index, the table's order between equals. The first has the focus when the window is shown.
std::vector<std::size_t> tabOrder(const FormDesc& form);

// What a screen reader adds about a read-out's value: its unit, and the colour band in words
// where it has one ("graus; banda amarela: ...").
std::string readoutDescription(const ControlState& readout);

// What a layout that reflows a window into one column (a phone's) sets together, as indices in
// the table: each slider the user can move, with its heading (what a screen reader calls it)
// and the read-out that shows its value (by the naming rule: hsbperna shows in txtperna), with
// that read-out's unit; the result read-outs that belong to no movable slider; the option
// buttons of each frame; the command buttons; the drawing, the frame that holds the lines and
// shapes; and what else shows, outside the drawing, top to bottom and then left to right: text
// boxes and pictures, and labels where the form has no sliders, results or options (where it
// has, its labels only say again what headings, names and units say). Sliders, results and
// commands come in tab order.
struct Groups {
    struct Slider {
        std::size_t slider = 0;
        std::optional<std::size_t> readout;
        std::string_view heading, unit;
    };
    std::vector<Slider> sliders;
    std::vector<std::size_t> results;
    std::vector<std::vector<std::size_t>> options;
    std::vector<std::size_t> commands;
    std::optional<std::size_t> drawing;
    std::vector<std::size_t> others;
};
Groups groups(const FormDesc& form);

// What a screen reader is told a control is. A frame that holds lines or shapes is a drawing:
// one picture, described, whose lines, shapes and letters are decoration; another frame is a
// group. A timer is nothing on screen.
enum class Role : std::uint8_t {
    None,
    Slider,
    Readout,
    TextBox,
    Label,
    Group,
    Drawing,
    Decoration,
    Button,
    Option,
    Picture
};

// A form's window as every display builds it, at one scale: worked out once from the table, so
// that no display decides any of it on its own.
struct Plan {
    struct Control {
        std::size_t index = 0;            // in the table
        std::size_t container = kOnForm;  // the frame that holds it, by index
        // Where its window goes in its container (placedBox), and in the form's client area.
        PixelBox box, inForm;
        // The part of the window left for its text, in the window's own pixels; empty where
        // nothing of it shows, and for a line.
        PixelBox room;
        bool hidden = false;  // wholly covered: neither drawn nor read
        Role role = Role::None;
        std::optional<std::size_t> labelledBy;  // the label that heads it
        // Its text's font: its own, else its frame's (as that frame resolves it), else the form's.
        const Font* font = nullptr;
        int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a line's ends in its container, in pixels
        std::size_t stack = 0;               // its place in frontToBack: 0 in front of all
    };
    double dotsPerInch = 96;
    int clientWidth = 0, clientHeight = 0, pictureWidth = 0, pictureHeight = 0;
    std::vector<Control> controls;  // as the table lists them
    std::vector<std::size_t> frontToBack, tabOrder;
    // The order to make the controls in, so that each finds its container made: the frames,
    // outer before inner, then the other controls, each in the table's order.
    std::vector<std::size_t> creationOrder;
    Groups groups;
};
// Throws std::invalid_argument for a control in no frame of the form (forms::containers).
Plan plan(const FormDesc& form, double dotsPerInch);

// The option buttons that make one group with `option` (those of its frame, itself among them),
// as indices in the table, in tab order: the arrow keys move the choice through them in turn,
// from the last round to the first. Empty for a control that is no option button.
std::vector<std::size_t> optionGroup(const Plan& plan, std::size_t option);

// The names the browser's page knows kinds, roles, window styles and alignments by.
std::string_view kindName(Kind kind);
std::string_view roleName(Role role);
std::string_view styleName(WindowStyle style);
std::string_view alignName(Align align);

}  // namespace forms
