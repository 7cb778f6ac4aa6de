// The about dialog among the program's forms: what it keeps while open and forgets when closed,
// and its launcher button. How it opens and closes among the other forms is in the scenario
// tests/scenarios/acerca.txt.
#include <gtest/gtest.h>

#include "about/acerca.h"
#include "about/sysinfo.h"
#include "about/tests/fake_platform.h"
#include "shell/shell.h"
#include "tests/program.h"

using about::frmacerca;
using about_test::FakePlatform;
using testing_support::Program;

TEST(AboutDialog, TypedTextLastsWhileOpenAndIsGoneAfterUnload) {
    Program program;
    auto& menu = program.open<shell::frmmain>();
    ASSERT_FALSE(program.click(menu, shell::frmmain::kAboutButton));
    auto& about = static_cast<frmacerca&>(*program.rt.find("frmacerca"));
    forms::ControlState& address = program.control(about, "Text1");
    const std::string original = address.text;
    ASSERT_FALSE(original.empty());

    address.text = "Rua Nova, 1";
    ASSERT_FALSE(program.click(menu, shell::frmmain::kAboutButton));  // only brought to the front
    EXPECT_EQ(address.text, "Rua Nova, 1");

    ASSERT_FALSE(program.click(about, about::frmacerca::kOkButton));
    EXPECT_FALSE(about.loaded());
    ASSERT_FALSE(program.click(menu, shell::frmmain::kAboutButton));
    EXPECT_EQ(address.text, original);

    // The same through the window's close box.
    address.text = "";
    ASSERT_FALSE(program.rt.close(about));
    ASSERT_FALSE(program.rt.showForm(about));
    EXPECT_EQ(address.text, original);
    EXPECT_TRUE(program.boxes.empty());
}

namespace {

// The dialog alone, on a store prepared by the test.
struct DialogOnFake : ::testing::Test, forms::Host {
    std::vector<forms::Message> boxes;
    forms::FormsRuntime rt{*this};
    FakePlatform store;
    frmacerca& about = rt.add<frmacerca>(store);

    void messageBox(const forms::Message& m) override { boxes.push_back(m); }
};

}  // namespace

TEST_F(DialogOnFake, SysinfoReportsEveryFailureAndTheDialogStays) {
    ASSERT_FALSE(rt.showForm(about));
    ASSERT_FALSE(rt.click(*about.find(about::frmacerca::kSysInfoButton)));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, about::kUnavailable);
    EXPECT_TRUE(about.loaded());

    // A run-time error inside the launcher never reaches the event loop.
    boxes.clear();
    store.value(about::kToolKey, about::kToolValue, about_test::text("/usr/bin/hardinfo2"));
    store.onLaunch = [] { throw forms::RuntimeError(forms::ErrorKind::Overflow); };
    EXPECT_FALSE(rt.click(*about.find(about::frmacerca::kSysInfoButton)));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(about.loaded());
}
