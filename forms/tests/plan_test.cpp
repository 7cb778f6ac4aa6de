#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "forms/input.h"
#include "forms/plan.h"
#include "forms/runtime.h"

using namespace forms;

// The arrow keys walk the option buttons of one frame that show, in tab order, round from the
// last; an option alone in its container, or another kind of control, stays.
TEST(OptionGroups, TheArrowsWalkTheOptionsOfOneFrame) {
    const ControlDesc rows[] = {
        {.name = "F", .kind = Kind::Frame, .width = 3000, .height = 3000},
        {.name = "C", .kind = Kind::Option, .container = "F", .top = 900, .tabIndex = 5},
        {.name = "A", .kind = Kind::Option, .container = "F", .tabIndex = 1},
        {.name = "H", .kind = Kind::Option, .container = "F", .tabIndex = 2, .visible = false},
        {.name = "B", .kind = Kind::Option, .container = "F", .top = 300, .tabIndex = 3},
        {.name = "Alone", .kind = Kind::Option, .left = 4000, .tabIndex = 4}};
    const FormDesc form{.name = "f", .clientWidth = 6000, .clientHeight = 4000, .controls = rows};
    const Plan p = plan(form, 96);
    const int walks[][3] = {{2, 1, 4},  {4, 1, 1}, {1, 1, 2}, {2, -1, 1},
                            {4, -1, 2}, {5, 1, 5}, {0, 1, 0}};
    for (const auto& [from, step, to] : walks)
        EXPECT_EQ(nextOption(form, p, std::size_t(from), step), std::size_t(to)) << from << step;
}

namespace {

struct Quiet : Host {
    void messageBox(const Message&) override {}
};

class Keys : public Form {
  public:
    static constexpr ControlDesc kRows[] = {
        {.name = "F", .kind = Kind::Frame, .width = 3000, .height = 1500},
        {.name = "A",
         .kind = Kind::Option,
         .container = "F",
         .tabIndex = 3,
         .caption = "&Ao",
         .selected = true},
        {.name = "B", .kind = Kind::Option, .container = "F", .top = 600, .tabIndex = 4},
        {.name = "hsb",
         .kind = Kind::Slider,
         .top = 2000,
         .width = 2000,
         .height = 255,
         .tabIndex = 1,
         .accessibleName = " Carga   útil ",
         .min = 10,
         .max = 90,
         .value = 50},
        {.name = "hsbhid", .kind = Kind::Slider, .top = 2500, .visible = false},
        {.name = "Ok", .kind = Kind::Button, .left = 4000, .tabIndex = 2, .caption = "&Ok"},
        {.name = "Sair",
         .kind = Kind::Button,
         .left = 4000,
         .top = 600,
         .tabIndex = 0,
         .caption = "Sa&&ir",
         .cancel = true}};
    static constexpr FormDesc kForm{
        .name = "frmkeys", .clientWidth = 6000, .clientHeight = 3000, .controls = kRows};
    explicit Keys(FormsRuntime& rt) : Form(rt, kForm) {}
};

}  // namespace

// Every display hands its toolkit's keys, wheel notches, presses and clicks to one map; what each
// does, on which control, is this table's. Access keys, Esc and Tab reach across the window.
TEST(InputMap, KeysNotchesPressesAndClicksAreTheModelsActions) {
    Quiet host;
    FormsRuntime rt(host);
    Keys& form = rt.add<Keys>();
    rt.show(form);
    const Plan p = plan(Keys::kForm, 96);
    EXPECT_FALSE(p.controls[4].made);  // a slider never shown: no display makes it
    EXPECT_EQ(p.controls[1].accessKey, U'A');
    EXPECT_EQ(p.controls[6].accessKey, 0u);  // "&&" is a plain '&'
    // What a screen reader calls them: the caption without its access mark, blanks folded.
    EXPECT_EQ(p.controls[1].spoken, "Ao");
    EXPECT_EQ(p.controls[6].spoken, "Sa&ir");
    EXPECT_EQ(p.controls[3].spoken, "Carga útil");
    constexpr std::size_t kA = 1, kB = 2, kSlider = 3, kOk = 5, kSair = 6;
    using I = Input;
    struct Row {
        std::size_t at;
        Input input;
        const char* action;  // "" for none
        forms::Run run;
        std::optional<std::size_t> focus;
    };
    const Row rows[] = {
        {kSlider, I::keyDown(Key::Right), "arrow frmkeys hsb +", forms::Run::Step, {}},
        {kSlider, I::keyDown(Key::Down), "arrow frmkeys hsb +", forms::Run::Step, {}},
        {kSlider, I::keyDown(Key::Up, true), "arrow frmkeys hsb -", forms::Run::Step, {}},
        {kSlider, I::keyDown(Key::PageDown), "page frmkeys hsb +", forms::Run::Step, {}},
        {kSlider, I::keyDown(Key::PageUp), "page frmkeys hsb -", forms::Run::Step, {}},
        {kSlider, I::keyDown(Key::Home), "drag frmkeys hsb 10", forms::Run::Step, {}},
        {kSlider, I::keyDown(Key::End), "drag frmkeys hsb 90", forms::Run::Step, {}},
        {kSlider, I::notch(+1), "arrow frmkeys hsb +", forms::Run::Once, {}},
        {kSlider, I::notch(-1), "arrow frmkeys hsb -", forms::Run::Once, {}},
        {kSlider, I::press(Part::LessArrow, false), "arrow frmkeys hsb -", forms::Run::Step, {}},
        {kSlider, I::press(Part::TrackAfter, true), "page frmkeys hsb +", forms::Run::Step, {}},
        {kSlider, I::keyDown(Key::Enter), "", forms::Run::Once, {}},
        {kSlider, I::keyDown(Key::Escape), "click frmkeys Sair", forms::Run::Once, {}},
        {kOk, I::keyDown(Key::Enter, true), "click frmkeys Ok", forms::Run::KeyClick, {}},
        {kOk, I::click(), "click frmkeys Ok", forms::Run::Once, {}},
        {kB, I::click(), "select frmkeys B", forms::Run::Once, {}},
        {kA, I::keyDown(Key::Down), "select frmkeys B", forms::Run::Once, kB},
        {kA, I::keyDown(Key::Up), "select frmkeys B", forms::Run::Once, kB},  // round the group
        {kB, I::keyDown(Key::Down), "", forms::Run::Once, kA},                // A is chosen already
        {kOnForm, I::keyDown(Key::Access, false, U'a'), "select frmkeys A", forms::Run::Once, kA},
        {kSlider, I::keyDown(Key::Access, false, U'o'), "click frmkeys Ok", forms::Run::Once, kOk},
        {kSair, I::keyDown(Key::Tab), "", forms::Run::Once, kSlider},
        {kB, I::keyDown(Key::Tab), "", forms::Run::Once, kSair},  // round from the last
        {kSair, I::keyDown(Key::BackTab), "", forms::Run::Once, kB},
        {kOnForm, I::keyDown(Key::Tab), "", forms::Run::Once, kSair},
    };
    for (const Row& row : rows) {
        const Response r = respond(form, p, row.at, row.input);
        SCOPED_TRACE(std::string(row.action) + " at " + std::to_string(row.at));
        EXPECT_EQ(r.action ? r.action->line() : "", row.action);
        if (r.action) {
            EXPECT_EQ(r.run, row.run);
        }
        EXPECT_EQ(r.focus, row.focus);
    }
    // A wheel's turn adds up to whole notches; another slider starts afresh.
    Wheel wheel;
    EXPECT_EQ(wheel.turn(kSlider, 60, 120), 0);
    EXPECT_EQ(wheel.turn(kSlider, 300, 120), 3);
    EXPECT_EQ(wheel.turn(kSlider, -150, 120), -1);
    EXPECT_EQ(wheel.turn(kA, 100, 120), 0);
}

// A picture in a picture box: at its size on the screen, shrunk where it is larger than the box
// (the same for both sides), centred in the box's own pixels.
TEST(Pictures, APictureFitsItsBox) {
    const auto fit = [](int width, int height, PixelBox box, double dpi) {
        const PixelBox f = fittedPicture(width, height, box, dpi);
        return std::array{f.left, f.top, f.width, f.height};
    };
    EXPECT_EQ(fit(313, 72, {0, 0, 313, 65}, 96), (std::array{15, 0, 282, 65}));
    EXPECT_EQ(fit(356, 543, {7, 9, 65, 81}, 96), (std::array{6, 0, 53, 81}));
    EXPECT_EQ(fit(40, 20, {0, 0, 100, 50}, 144), (std::array{20, 10, 60, 30}));
    EXPECT_EQ(fit(0, 20, {0, 0, 100, 50}, 96), (std::array{0, 0, 0, 0}));
}
