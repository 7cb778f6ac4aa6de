// What every display works out alike from a form's table: here, where the arrow keys move the
// choice among option buttons.
#include <gtest/gtest.h>

#include "forms/plan.h"

using namespace forms;

// The arrow keys walk the option buttons of one frame in tab order, round from the last, past
// one that does not show; an option alone in its frame, or a control of another kind, stays.
TEST(OptionGroups, TheArrowsWalkTheOptionsOfOneFrame) {
    const ControlDesc rows[] = {
        {.name = "F", .kind = Kind::Frame, .width = 3000, .height = 3000},
        {.name = "G", .kind = Kind::Frame, .left = 4000, .width = 1000, .height = 1000},
        {.name = "C", .kind = Kind::Option, .container = "F", .top = 900, .tabIndex = 5},
        {.name = "A", .kind = Kind::Option, .container = "F", .tabIndex = 1},
        {.name = "Hid", .kind = Kind::Option, .container = "F", .tabIndex = 2, .visible = false},
        {.name = "B", .kind = Kind::Option, .container = "F", .top = 300, .tabIndex = 3},
        {.name = "Alone", .kind = Kind::Option, .container = "G", .tabIndex = 4},
    };
    const FormDesc form{
        .name = "frmtest", .clientWidth = 6000, .clientHeight = 4000, .controls = rows};
    const Plan p = plan(form, 96);
    const std::size_t c = 2, a = 3, b = 5, alone = 6;
    EXPECT_EQ(nextOption(form, p, a, +1), b);
    EXPECT_EQ(nextOption(form, p, b, +1), c);
    EXPECT_EQ(nextOption(form, p, c, +1), a);
    EXPECT_EQ(nextOption(form, p, a, -1), c);
    EXPECT_EQ(nextOption(form, p, b, -1), a);
    EXPECT_EQ(nextOption(form, p, alone, +1), alone);
    EXPECT_EQ(nextOption(form, p, 0, +1), 0u);
}
