// The declarative description of a form: its window and a table of its controls. One table per
// form serves both the headless model (names, kinds, limits, initial values, handlers) and the
// display binding (positions, captions, fonts, colours, tab order).
//
// Positions and sizes are twips (1440 to the inch) relative to the control's container: the
// form's client area, or the frame named in `container`. Within one container the table lists
// controls front to back.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace forms {

class Form;
using Handler = void (*)(Form&);

// Turns a member function of a form class into a handler the table can hold.
template <class F>
struct MemberOf;
template <class C>
struct MemberOf<void (C::*)()> {
    using Class = C;
};
template <auto Method>
void handler(Form& form) {
    using C = typename MemberOf<decltype(Method)>::Class;
    (static_cast<C&>(form).*Method)();
}

// A colour: 0xRRGGBB, or one of the marks below.
using Colour = std::int32_t;
inline constexpr Colour kDefaultColour = -1;      // the toolkit's colour for the kind
inline constexpr Colour kInactiveTitleText = -2;  // system colour: inactive title-bar text
inline constexpr Colour kHighlight = -3;          // system colour: selection highlight

enum class Kind : std::uint8_t {
    Slider,   // horizontal scroll bar
    Readout,  // locked, single-line text box
    TextBox,  // unlocked text box
    Label,
    Frame,
    Button,  // command button
    Option,  // option button
    Line,
    Oval,
    Rectangle,
    Image,    // picture stretched to its box
    Picture,  // picture box
    Timer,
};

enum class Align : std::uint8_t { Left, Centre, Right };

struct Font {
    std::string_view family{};  // empty: the form's font
    double points = 0;
    bool bold = false;
};

struct ControlDesc {
    std::string_view name;
    Kind kind = Kind::Label;
    std::string_view container{};  // the enclosing frame; empty for the form
    int left = 0, top = 0, width = 0, height = 0;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a line's two ends
    int tabIndex = -1;                   // -1: cannot take the focus
    std::string_view caption{};          // or the initial text of a text box
    std::string_view accessibleName{};   // what a screen reader calls the control
    std::string_view unit{};             // read-outs: the unit said after the value
    std::string_view labelledBy{};       // the label that heads the control on screen
    // What a screen reader adds about the control: for a drawing, what its letters mean.
    std::string_view description{};
    Font font{};
    Colour fore = kDefaultColour;  // text colour, or a line's or outline's colour
    Colour back = kDefaultColour;  // background, or a shape's fill
    int lineWidth = 1;             // pixels, for lines and outlines
    bool filled = false;           // shapes: solid fill in `back`
    bool outline = true;           // shapes: draw the outline
    bool dotted = false;           // lines
    bool transparent = false;      // labels: no background
    Align align = Align::Left;
    bool visible = true;
    bool cancel = false;    // buttons: Esc presses it
    bool closes = false;    // buttons: closes its window, though Esc does not press it
    bool selected = false;  // option buttons: selected at load
    std::int16_t min = 0, max = 32767, value = 0;
    std::int16_t smallChange = 1, largeChange = 1;
    // Sliders and read-outs: their place in a one-column layout, lowest first, the tab order
    // between equals. A calculator asks for the load's measures before the leg that the
    // calculation needs them for, and lists its results the leg first.
    std::int8_t place = 0;
    int interval = 0;            // timers, milliseconds
    std::string_view picture{};  // images and picture boxes: resource name
    Handler handler = nullptr;   // change (slider), click (button, option) or tick (timer)
};

// Whether the control is in its window's tab order: a visible slider always, and a read-out,
// text box, button, option or picture box that the table gives a tab index. Every display
// builds its focus chain from this.
constexpr bool takesFocus(const ControlDesc& d) {
    switch (d.kind) {
        case Kind::Slider:
            return d.visible;
        case Kind::Readout:
        case Kind::TextBox:
        case Kind::Button:
        case Kind::Option:
        case Kind::Picture:
            return d.tabIndex >= 0;
        default:
            return false;
    }
}

enum class WindowStyle : std::uint8_t {
    Bare,        // no title bar, sizable border (splash, main menu)
    Calculator,  // title bar with close and minimize boxes, fixed size
    Dialog,      // title bar with a close box, fixed size, not in the task bar
};

struct FormDesc {
    std::string_view name;
    std::string_view caption{};
    std::string_view accessibleName{};  // the window's name for screen readers, without a caption
    WindowStyle style = WindowStyle::Calculator;
    int clientWidth = 0, clientHeight = 0;  // twips
    Font font{"MS Sans Serif", 8.25, false};
    Colour back = kDefaultColour;
    std::string_view picture{};  // background picture, drawn at its natural size from the corner
    int pictureWidth = 0, pictureHeight = 0;  // twips
    std::span<const ControlDesc> controls{};
};

}  // namespace forms
