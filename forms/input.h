// What a key, a notch of the wheel or a press of the mouse button does in a form's window: one
// map for every display. A display says what came in and on which control; the map says which
// user action that is, how it runs, and where the focus goes. The display keeps only its
// toolkit's side: turning its own key codes and events into these, and moving the focus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "forms/actions.h"
#include "forms/plan.h"

namespace forms {

enum class Key : std::uint8_t {
    Other,
    Left,
    Right,
    Up,
    Down,
    PageUp,
    PageDown,
    Home,
    End,
    Enter,
    Escape,
    Tab,
    BackTab,  // Shift+Tab
    Access,   // a letter typed with Alt
};
// The words the browser's page names keys by ("left", "pageup", "backtab", "access"); Other for
// a word it does not know.
Key keyNamed(std::string_view word);

// The parts of a slider a mouse button presses. Each step the toolkit repeats while the button is
// held is one more press of the same part.
enum class Part : std::uint8_t { LessArrow, MoreArrow, TrackBefore, TrackAfter };

struct Input {
    enum class Type : std::uint8_t {
        Key,    // a key goes down (or repeats, held)
        Notch,  // one whole notch of the wheel
        Press,  // a step of a mouse button held on a part of a slider
        Click,  // a click (or the toolkit's own key) on a command or option button
    };
    Type type = Type::Key;
    Key key = Key::Other;
    char32_t letter = 0;          // Access: the letter, in either case
    int towardsUser = 0;          // Notch: +1 turned towards the user, -1 away from the user
    Part part = Part::LessArrow;  // Press
    bool repeat = false;          // Key, Press: a key or a button still held down

    static Input keyDown(Key key, bool repeat = false, char32_t letter = 0) {
        Input in;
        in.key = key;
        in.repeat = repeat;
        in.letter = letter;
        return in;
    }
    static Input notch(int towardsUser) {
        Input in;
        in.type = Type::Notch;
        in.towardsUser = towardsUser;
        return in;
    }
    static Input press(Part part, bool repeat) {
        Input in;
        in.type = Type::Press;
        in.part = part;
        in.repeat = repeat;
        return in;
    }
    static Input click() {
        Input in;
        in.type = Type::Click;
        return in;
    }
};

// How a display runs the action: once; as one step of a press, which goes no further once a
// step of it has met a message box (DisplayHost::pressStep); as the click of a key held on a
// command button, once per press (DisplayHost::keyClicks).
enum class Run : std::uint8_t { Once, Step, KeyClick };

struct Response {
    bool taken = false;  // the input was the model's: the toolkit does nothing more with it
    std::optional<UserAction> action;
    Run run = Run::Once;
    std::optional<std::size_t> focus;  // the control the focus goes to, by index in the table
};

// What an input on control `at` (the one with the focus, pressed or under the wheel; kOnForm for
// the window itself) does:
// - Esc anywhere clicks the cancel button; Tab and Shift+Tab walk the tab order, round from the
//   last to the first; a letter with Alt gives the focus to the button or option button whose
//   access key it is, and clicks or chooses it.
// - On a slider the arrow keys (Right and Down towards Max) and the wheel (towards the user) step
//   by SmallChange, the page keys and the track by LargeChange, Home and End drag the thumb to
//   either end; every step of a key or a button is a step of a press, the wheel's notches each
//   one action.
// - On an option button the arrow keys move the focus and the choice through its group
//   (nextOption); on a command button Enter clicks it, once for as long as it is held.
// - A click clicks a command button and chooses an option button.
Response respond(const Form& form, const Plan& plan, std::size_t at, const Input& input);

// A wheel's turn, added up into whole notches: a toolkit reports a turn in its own units, of which
// `perNotch` make one notch (120 on Windows and in Qt), a fine-grained wheel in parts of one.
class Wheel {
  public:
    // The whole notches the turn completes, towards the user positive; the rest waits for the
    // next turn of the same control.
    int turn(std::size_t control, int towardsUser, int perNotch);
    void drop() { rest_ = 0; }

  private:
    std::size_t control_ = kOnForm;
    int rest_ = 0;
};

}  // namespace forms
