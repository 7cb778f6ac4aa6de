#include <gtest/gtest.h>

#include "forms/plan.h"

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
