// Every form's table as the build checks it, and the faults the check finds in tables with a
// broken row planted in them.
#include <gtest/gtest.h>

#include <filesystem>

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
        EXPECT_EQ(tableFaults(form->description(), pictureExists), std::vector<std::string>{});
    }
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
    }
    // Frames inside each other in a circle.
    const ControlDesc circle[] = {{.name = "F1", .kind = Kind::Frame, .container = "F2"},
                                  {.name = "F2", .kind = Kind::Frame, .container = "F1"}};
    EXPECT_EQ(faultsOf(circle).size(), 2u);
}
