// Every form's table as the build checks it, and the faults the check finds in tables with a
// broken row planted in them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "forms/layout.h"
#include "forms/plan.h"
#include "forms/runtime.h"
#include "forms/validate.h"
#include "shell/shell.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

bool pictureExists(std::string_view name) {
    const fs::path folder = fs::path(__FILE__).parent_path().parent_path() / "resources";
    return fs::is_regular_file(folder / (std::string(name) + ".svg"));
}

struct Quiet : Host {
    void messageBox(const Message&) override {}
};

std::vector<std::string> faultsOf(std::span<const ControlDesc> controls) {
    const FormDesc form{.name = "frmtest", .controls = controls};
    return tableFaults(form, [](std::string_view name) { return name == "logo"; });
}

}  // namespace

TEST(Tables, EveryFormOfTheProgramIsSound) {
    // Building the forms also binds every control their handlers use.
    Quiet host;
    FormsRuntime runtime(host);
    ASSERT_NO_THROW(shell::addProgramForms(runtime));
    ASSERT_EQ(runtime.forms().size(), 6u);
    for (Form* form : runtime.forms()) {
        SCOPED_TRACE(std::string(form->name()));
        const FormDesc& d = form->description();
        EXPECT_EQ(tableFaults(d, pictureExists), std::vector<std::string>{});
        // Every display builds each control once, in a frame that is there.
        std::vector<std::size_t> order = frontToBack(d);
        std::sort(order.begin(), order.end());
        EXPECT_EQ(order.size(), d.controls.size());
        EXPECT_TRUE(std::adjacent_find(order.begin(), order.end()) == order.end());
        // The window every display builds, at 96 and 144 dpi: each control made after its
        // container, placed in it, its text's room inside its window; a frame that holds
        // shapes is a drawing.
        for (const double dpi : {96.0, 144.0}) {
            SCOPED_TRACE(dpi);
            const Plan p = plan(d, dpi);
            std::vector<bool> made(d.controls.size(), false);
            for (const std::size_t i : p.creationOrder) {
                const std::size_t in = p.controls[i].container;
                EXPECT_TRUE(in == kOnForm || made[in]) << d.controls[i].name;
                made[i] = true;
            }
            EXPECT_EQ(std::count(made.begin(), made.end(), true), std::ptrdiff_t(made.size()));
            for (const Plan::Control& c : p.controls) {
                const ControlDesc& cd = d.controls[c.index];
                SCOPED_TRACE(std::string(cd.name));
                const PixelBox outer = c.container == kOnForm
                                           ? PixelBox{0, 0, p.clientWidth, p.clientHeight}
                                           : p.controls[c.container].inForm;
                EXPECT_EQ(c.inForm.left, outer.left + c.box.left);
                EXPECT_EQ(c.inForm.top, outer.top + c.box.top);
                EXPECT_EQ(
                    c.container == kOnForm ? std::string_view() : cd.container,
                    c.container == kOnForm ? std::string_view() : d.controls[c.container].name);
                EXPECT_LE(c.room.left + c.room.width, c.box.width);
                EXPECT_LE(c.room.top + c.room.height, c.box.height);
                const bool holdsShapes =
                    std::any_of(d.controls.begin(), d.controls.end(), [&](const ControlDesc& o) {
                        return o.container == cd.name &&
                               (o.kind == Kind::Line || o.kind == Kind::Oval ||
                                o.kind == Kind::Rectangle);
                    });
                EXPECT_EQ(c.role == Role::Drawing, cd.kind == Kind::Frame && holdsShapes);
                // An outline's stroke lies wholly inside its box, its outer edge on the box's.
                if ((cd.kind == Kind::Oval || cd.kind == Kind::Rectangle) && cd.outline) {
                    const double half = c.lineWidth / 2.0;
                    EXPECT_EQ(c.outline.left - half, 0);
                    EXPECT_EQ(c.outline.top - half, 0);
                    EXPECT_EQ(c.outline.left + c.outline.width + half, c.box.width);
                    EXPECT_EQ(c.outline.top + c.outline.height + half, c.box.height);
                }
                if (!cd.labelledBy.empty()) {
                    ASSERT_TRUE(c.labelledBy.has_value());
                    EXPECT_EQ(d.controls[*c.labelledBy].name, cd.labelledBy);
                }
            }
        }
    }
    // Each form's tab order; the first has the focus when the window has just been shown:
    // "Terminar" on the menu (Enter ends the program), "Cancelar" on each calculator, the
    // system information button on the about dialog.
    using Names = std::vector<std::string_view>;
    const auto names = [](const FormDesc& d, const std::vector<std::size_t>& at) {
        Names out;
        for (const std::size_t i : at) out.push_back(d.controls[i].name);
        return out;
    };
    const std::pair<const char*, Names> tabs[] = {
        {"frmsplashscreen", {}},
        {"frmmain", {"Command5", "command1", "command2", "Command3", "Command6"}},
        {"frmduaspernas",
         {"Command3", "hsblcarga", "hsbperna", "txtperna", "txtaltura", "txtlcarga", "txtangsup",
          "txtanginf", "Command4"}},
        {"frmtrespernas",
         {"Command4", "hsblcarga", "hsbperna", "txtperna", "txtaltura", "txtlcarga", "txtangsup",
          "txtanginf", "Command2", "txtdiam", "Option1", "Option2"}},
        {"frmquatropernas",
         {"Command3", "txtanginf", "txtangsup", "txtlcarga", "txtaltura", "txtperna", "hsbperna",
          "hsblcarga", "hsbccarga", "txtccarga", "Command4"}},
        {"frmacerca",
         {"cmdSysinfo", "cmdOk", "Text12", "Text11", "Text10", "Text9", "Text8", "Text7", "Text6",
          "Text5", "Text4", "Text3", "Text2", "Text1", "Picture1", "Picture2", "Text13",
          "Text14"}}};
    for (const auto& [name, order] : tabs) {
        const FormDesc& d = runtime.find(name)->description();
        EXPECT_EQ(names(d, plan(d, 96).tabOrder), order) << name;
    }
    // What a one-column layout sets together, by name.
    const FormDesc& two = runtime.find("frmduaspernas")->description();
    const Groups g = groups(two);
    ASSERT_EQ(g.sliders.size(), 2u);  // the height and the angle are never moved by hand
    EXPECT_EQ(two.controls[g.sliders[0].slider].name, "hsblcarga");  // the load comes first
    EXPECT_EQ(two.controls[*g.sliders[0].readout].name, "txtlcarga");
    EXPECT_EQ(g.sliders[0].heading, "Carga (medida a introduzir)");
    EXPECT_EQ(g.sliders[0].unit, "metros");
    EXPECT_EQ(two.controls[g.sliders[1].slider].name, "hsbperna");
    EXPECT_EQ(two.controls[*g.sliders[1].readout].name, "txtperna");
    EXPECT_EQ(names(two, g.results),
              (Names{"txtperna", "txtaltura", "txtangsup", "txtanginf", "txtlcarga"}));
    EXPECT_EQ(names(two, g.commands), (Names{"Command3", "Command4"}));
    EXPECT_EQ(two.controls[g.back.value()].name, "Command3");  // Cancelar, in the bar
    EXPECT_FALSE(g.apart.has_value());
    ASSERT_TRUE(g.drawing.has_value());
    EXPECT_EQ(two.controls[*g.drawing].name, "Frame1");
    EXPECT_TRUE(g.options.empty());
    const FormDesc& three = runtime.find("frmtrespernas")->description();
    const Groups t = groups(three);
    ASSERT_EQ(t.options.size(), 1u);
    EXPECT_EQ(names(three, t.options[0]), (Names{"Option2", "Option1"}));
    EXPECT_EQ(t.sliders[0].choice, 0u);  // distance or diameter, asked before the load
    EXPECT_EQ(t.sliders[1].choice, std::nullopt);
    // The load's measures before the leg, whatever the tab order; the leg's results first.
    const FormDesc& four = runtime.find("frmquatropernas")->description();
    const Groups q = groups(four);
    Names sliders;
    for (const auto& s : q.sliders) sliders.push_back(four.controls[s.slider].name);
    EXPECT_EQ(sliders, (Names{"hsbccarga", "hsblcarga", "hsbperna"}));
    EXPECT_EQ(names(four, q.results),
              (Names{"txtperna", "txtaltura", "txtangsup", "txtanginf", "txtccarga", "txtlcarga"}));
    // What else shows, top to bottom: the splash's texts; nothing on a calculator, whose labels
    // only head its sliders and read-outs.
    const FormDesc& splash = runtime.find("frmsplashscreen")->description();
    EXPECT_EQ(names(splash, groups(splash).others),
              (Names{"Image1", "Label1", "Label2", "C", "Label4", "Label5"}));
    EXPECT_TRUE(g.others.empty() && g.beside.empty() && groups(splash).beside.empty());
    // The menu's way out stands apart, after "Acerca"; the about box's Ok is its way back, and
    // its badges, in a column right of its texts, go together, after them.
    const FormDesc& menu = runtime.find("frmmain")->description();
    const Groups m = groups(menu);
    EXPECT_FALSE(m.back.has_value());
    EXPECT_EQ(menu.controls[m.apart.value()].name, "Command5");
    const FormDesc& about = runtime.find("frmacerca")->description();
    const Groups a = groups(about);
    EXPECT_EQ(about.controls[a.back.value()].name, "cmdOk");
    EXPECT_FALSE(a.apart.has_value());
    EXPECT_EQ(names(about, a.beside), (Names{"Picture2", "Image1", "Image2"}));
    EXPECT_EQ(names(about, a.others),
              (Names{"Picture1", "Text11", "Text12", "Text1", "Text2", "Text3", "Text4", "Text5",
                     "Text8", "Text9", "Text6", "Text10", "Text7", "Text13", "Text14"}));
}

TEST(Tables, APlantedFaultIsFound) {
    const ControlDesc frame{.name = "Frame1", .kind = Kind::Frame};
    const ControlDesc slider{.name = "A", .kind = Kind::Slider, .tabIndex = 1, .min = 0, .max = 10};
    struct Case {
        const char* what;
        ControlDesc row;
        const char* found;
    };
    const Case cases[] = {
        {"a name used twice",
         {.name = "A", .kind = Kind::Label},
         "frmtest.A: the name is used twice"},
        {"an unknown container",
         {.name = "L", .kind = Kind::Label, .container = "Frame9"},
         "frmtest.L: its container Frame9 is not a frame of the form"},
        {"a container that is no frame",
         {.name = "L", .kind = Kind::Label, .container = "A"},
         "frmtest.L: its container A is not a frame of the form"},
        {"a tab index used twice",
         {.name = "B", .kind = Kind::Button, .tabIndex = 1},
         "frmtest.B: the tab index 1 is used twice"},
        {"a value off the track",
         {.name = "S", .kind = Kind::Slider, .min = 5, .max = 10, .value = 11},
         "frmtest.S: the initial value is off the track"},
        {"a missing picture",
         {.name = "P", .kind = Kind::Image, .picture = "nowhere"},
         "frmtest.P: the picture 'nowhere' is missing"},
        {"a caption that is not a label",
         {.name = "T", .kind = Kind::Readout, .labelledBy = "Frame1"},
         "frmtest.T: it is headed by Frame1, not a label of the form"},
    };
    ControlDesc sound[] = {frame, slider, {.name = "P", .kind = Kind::Image, .picture = "logo"}};
    EXPECT_TRUE(faultsOf(sound).empty());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ControlDesc broken[] = {frame, slider, c.row};
        EXPECT_EQ(faultsOf(broken), std::vector<std::string>{c.found});
        // Where the control lies is the model's to say for every display: it refuses the
        // table rather than let a display put the control somewhere else.
        const bool misplaced = std::string_view(c.found).find("container") != std::string::npos;
        const FormDesc form{.name = "frmtest", .controls = broken};
        if (misplaced) {
            EXPECT_THROW(frontToBack(form), std::invalid_argument);
            EXPECT_THROW(plan(form, 96), std::invalid_argument);
        }
    }
    // Frames inside each other in a circle.
    const ControlDesc circle[] = {{.name = "F1", .kind = Kind::Frame, .container = "F2"},
                                  {.name = "F2", .kind = Kind::Frame, .container = "F1"}};
    EXPECT_EQ(faultsOf(circle).size(), 2u);
    EXPECT_THROW(containers(FormDesc{.name = "frmtest", .controls = circle}),
                 std::invalid_argument);
    // Front to back across the form: a frame's own controls just in front of the frame.
    const ControlDesc nested[] = {{.name = "A", .kind = Kind::Label},
                                  {.name = "F", .kind = Kind::Frame},
                                  {.name = "B", .kind = Kind::Label, .container = "F"},
                                  {.name = "C", .kind = Kind::Label}};
    EXPECT_EQ(frontToBack(FormDesc{.name = "frmtest", .controls = nested}),
              (std::vector<std::size_t>{0, 2, 1, 3}));
    // The tab order: by tab index, leaving out what takes no focus.
    const ControlDesc tabs[] = {{.name = "L", .kind = Kind::Label, .tabIndex = 0},
                                {.name = "B", .kind = Kind::Button, .tabIndex = 2},
                                {.name = "R", .kind = Kind::Readout},
                                {.name = "A", .kind = Kind::Button, .tabIndex = 1}};
    EXPECT_EQ(tabOrder(FormDesc{.name = "frmtest", .controls = tabs}),
              (std::vector<std::size_t>{3, 1}));
}

TEST(Tables, WhatShowsOfEachControl) {
    // Two labels side by side, in a frame behind a read-out, with a transparent label and an
    // opaque one over them; the room is in twips from the control's own corner.
    const ControlDesc controls[] = {
        {.name = "T", .kind = Kind::Readout, .left = 1000, .top = 0, .width = 500, .height = 300},
        {.name = "F", .kind = Kind::Frame, .left = 0, .top = 100, .width = 1200, .height = 600},
        {.name = "See",
         .kind = Kind::Label,
         .container = "F",
         .left = 100,
         .top = 0,
         .width = 300,
         .height = 200,
         .transparent = true},
        {.name = "Over",
         .kind = Kind::Label,
         .container = "F",
         .left = 500,
         .top = 0,
         .width = 300,
         .height = 200},
        {.name = "A",
         .kind = Kind::Label,
         .container = "F",
         .left = 0,
         .top = 0,
         .width = 700,
         .height = 200},
        {.name = "B",
         .kind = Kind::Label,
         .container = "F",
         .left = 800,
         .top = 100,
         .width = 600,
         .height = 300},
        {.name = "Under",
         .kind = Kind::Label,
         .left = 100,
         .top = 200,
         .width = 300,
         .height = 300},
        {.name = "Away",
         .kind = Kind::Button,
         .left = -5000,
         .top = 0,
         .width = 300,
         .height = 300},
    };
    const FormDesc form{
        .name = "frmtest", .clientWidth = 2000, .clientHeight = 1000, .controls = controls};
    const std::vector<Exposure> seen = exposures(form);
    ASSERT_EQ(seen.size(), std::size(controls));
    struct Case {
        const char* what;
        std::size_t control;
        Box room;
        bool hidden;
    };
    const Case cases[] = {
        {"the read-out in front of everything", 0, {0, 0, 500, 300}, false},
        {"the frame: its controls lie inside it, not over it", 1, {0, 0, 1000, 600}, false},
        {"a transparent label in front hides nothing", 2, {0, 0, 300, 200}, false},
        {"an opaque label in front cuts its right-hand end", 4, {0, 0, 500, 200}, false},
        {"cut by its frame's edge and by the read-out over its frame",
         5,
         {0, 100, 400, 300},
         false},
        {"wholly under a frame listed before it", 6, {}, true},
        {"out of sight beyond the form's edge, not hidden", 7, {0, 0, 300, 300}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(seen[c.control].room, c.room);
        EXPECT_EQ(seen[c.control].hidden, c.hidden);
    }
}
