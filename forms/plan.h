// What every display works out alike from a form's table, besides where controls lie and what
// of them shows (forms/layout.h): sizes in pixels, the tab order, the words a screen reader is
// given, and the names of kinds and styles as the browser's page reads them.
#pragma once

#include <cstddef>
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
// buttons of each frame; the command buttons; and the drawing, the frame that holds the lines
// and shapes. Sliders, results and commands come in tab order.
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
};
Groups groups(const FormDesc& form);

// The names the browser's page knows kinds, window styles and alignments by.
std::string_view kindName(Kind kind);
std::string_view styleName(WindowStyle style);
std::string_view alignName(Align align);

}  // namespace forms
