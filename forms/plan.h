// What every display works out alike from a form's table: the plan of its window (where each
// control lies, what of it shows, its colours, font and access key, the tab order), the words a
// screen reader is given, and the names of kinds and styles as the browser's page reads them.
// The workings under the plan (forms/layout.h) are the model's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "forms/description.h"
#include "forms/form.h"

namespace forms {

// Where a display puts a control in its container, in pixels.
struct PixelBox {
    int left = 0, top = 0, width = 0, height = 0;
};

// A rectangle in pixels whose sides may fall halfway between two pixels: where the middle of a
// stroke runs.
struct StrokeBox {
    double left = 0, top = 0, width = 0, height = 0;
};

// What a screen reader adds about a read-out's value: its unit, and the colour band in words
// where it has one ("graus; banda amarela: ...").
std::string readoutDescription(const ControlState& readout);

// The results a user action changed, as a screen reader says them once after it: "Comprimento
// da Pernada 2.55 metros; Ângulo superior 95 graus, banda amarela: ..." (the name with its
// blanks folded, the text, the unit, and the band, which several read-outs share and which is
// said once, after the first of them). Empty when no read-out's text or band changed, or none
// that changed shows a value. `before` holds each read-out's text and band as the action found
// them, in the form's order (readoutsNow); empty for a form that was not loaded then.
using ReadoutsSeen = std::vector<std::pair<std::string, std::string_view>>;
ReadoutsSeen readoutsNow(const Form& form);
std::string changedResults(const Form& form, const ReadoutsSeen& before);

// What a layout that reflows a window into one column (a phone's) sets together, as indices in
// the table: each slider the user can move, with its heading (what a screen reader calls it)
// and the read-out that shows its value (by the naming rule: hsbperna shows in txtperna), with
// that read-out's unit; the result read-outs that belong to no movable slider; the option
// buttons of each frame; the command buttons; the drawing, the frame that holds the lines and
// shapes; and what else shows, outside the drawing, top to bottom and then left to right: text
// boxes and pictures, and labels where the form has no sliders, results or options (where it
// has, its labels only say again what headings, names and units say), less the pictures that
// lie in a column of their own to the right of every text there (the badges beside an address),
// which go together, top to bottom, so that none falls between a text and the one it heads.
// Sliders, results and commands come in tab order. Of the commands: the way back, which such a
// layout puts in its title bar (the cancel button, else a button that closes a dialog: the
// window it was opened over lies under it), and the one set apart at the foot, after the
// others (a button that closes a window that is no dialog, and so leaves what lies beneath: the
// menu's way out).
struct Groups {
    struct Slider {
        std::size_t slider = 0;
        std::optional<std::size_t> readout;
        std::string_view heading, unit;
        // In `options`: the choice of what it measures, the option buttons of a frame titled as
        // the slider is named.
        std::optional<std::size_t> choice;
    };
    // The sliders a user moves, in the order they are asked for; every read-out, in the order
    // it is listed.
    std::vector<Slider> sliders;
    std::vector<std::size_t> results;
    std::vector<std::vector<std::size_t>> options;
    std::vector<std::size_t> commands;
    std::optional<std::size_t> back, apart;
    std::optional<std::size_t> drawing;
    std::vector<std::size_t> others, beside;
};

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

// The frame a control lies in, as its index in the table, where it lies on the form itself.
inline constexpr std::size_t kOnForm = static_cast<std::size_t>(-1);

// A colour of the table as every display shows it: the classic scheme's grey for the text of an
// inactive title bar, whatever the system's; kDefaultColour (the toolkit's colour for the kind)
// and kHighlight (the system's selection colour) are left for the display, else 0xRRGGBB.
Colour shownColour(Colour colour);

// A letter's capital, for an access key: ASCII's, and Latin-1's that Portuguese uses.
char32_t capital(char32_t letter);

// The smallest size a text shrinks to where the font that stands in for the described one makes
// it larger than its room, and the step it shrinks by, in points.
inline constexpr double kSmallestPoints = 5;
inline constexpr double kShrinkPoints = 0.25;

// The faces a display asks for, best first, for a font of the layouts: where the system has an
// outline twin of the family, that ("MS Sans Serif" is a bitmap font on Windows, coarse at
// 125 % and more); the family itself; then close faces of the same kind that Linux and
// Windows have.
struct Faces {
    std::vector<std::string_view> families;
    bool serif = false;
};
Faces faces(const Font& font);

// A picture of `width` by `height` pixels at 96 dpi in a picture box: at its size on this screen,
// shrunk to fit the box where it is larger (the same for both sides), centred; in the box's own
// pixels.
PixelBox fittedPicture(int width, int height, const PixelBox& box, double dotsPerInch);

// A form's window as every display builds it, at one scale: worked out once from the table, so
// that no display decides any of it on its own.
struct Plan {
    struct Control {
        std::size_t index = 0;            // in the table
        std::size_t container = kOnForm;  // the frame that holds it, by index
        // Whether a display makes anything of it: not of a timer (it ticks with the window),
        // of a slider that is never shown (nothing can reach it) or of a control wholly covered
        // by those in front of it (nobody sees it, and a screen reader is not given it).
        bool made = false;
        // Where its window goes in its container (a label that a control in front partly
        // covers at the part of it that shows, each edge rounded), and in the form's client
        // area; each corner and size rounded to the pixel.
        PixelBox box, inForm;
        // The part of the window left for its text, in the window's own pixels; empty where
        // nothing of it shows, and for a line.
        PixelBox room;
        bool hidden = false;  // wholly covered: neither drawn nor read
        Role role = Role::None;
        std::optional<std::size_t> labelledBy;  // the label that heads it
        // What a screen reader calls it: its name for screen readers, else a label's, a
        // frame's or a button's caption without its access mark; blanks folded.
        std::string spoken;
        char32_t accessKey = 0;  // the letter after a single '&' of its caption, in capitals
        // Its text's font: its own, else its frame's (as that frame resolves it), else the form's.
        const Font* font = nullptr;
        // Its colours (shownColour): its text's or its line's, its background or fill, and the
        // one it sits on, its container's as that resolves it, else the form's.
        Colour fore = kDefaultColour, back = kDefaultColour, behind = kDefaultColour;
        int lineWidth = 1;  // a line's or an outline's, in pixels
        // A rectangle's or an oval's outline: where the middle of its stroke runs (the rectangle,
        // or the oval it bounds), in the shape's own pixels, so that the stroke lies wholly
        // inside the box, its outer edge on the box's edge; on half pixels where the width is
        // odd. Empty where the shape has none.
        StrokeBox outline;
        int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a line's ends in its container, in pixels
        std::size_t stack = 0;               // its place in frontToBack: 0 in front of all
    };
    double dotsPerInch = 96;
    int clientWidth = 0, clientHeight = 0, pictureWidth = 0, pictureHeight = 0;
    Colour back = kDefaultColour;   // the form's
    std::vector<Control> controls;  // as the table lists them
    // The controls front to back, a frame's own just in front of the frame; the tab order (the
    // first has the focus when the window is shown).
    std::vector<std::size_t> frontToBack, tabOrder;
    // The order to make the controls in, so that each finds its container made: the frames,
    // outer before inner, then the other controls, each in the table's order.
    std::vector<std::size_t> creationOrder;
    std::optional<std::size_t> cancel;  // the button Esc clicks
    Groups groups;
};
// Throws std::invalid_argument for a control in no frame of the form.
Plan plan(const FormDesc& form, double dotsPerInch);

// The option button an arrow key moves the choice to from `option` (an index in the table), as
// in a group of radio buttons: among the option buttons of its frame that show, in tab order,
// the next one (step +1: Down or Right) or the one before (step -1: Up or Left), round from the
// last to the first. `option` itself where it has no other in its group.
std::size_t nextOption(const FormDesc& form, const Plan& plan, std::size_t option, int step);

// The names the browser's page knows kinds, roles, window styles and alignments by.
std::string_view kindName(Kind kind);
std::string_view roleName(Role role);
std::string_view styleName(WindowStyle style);
std::string_view alignName(Align align);
// A colour as the page reads it: "#RRGGBB", "highlight" for the system's selection colour, and
// empty for the toolkit's colour for the kind (after shownColour).
std::string colourName(Colour colour);
// A letter in UTF-8.
std::string utf8(char32_t letter);

}  // namespace forms
