// The two-leg calculator's chains, prompts and search, driven as a user would.
#include <gtest/gtest.h>

#include "calculators/duaspernas.h"
#include "tests/calculator_fixture.h"

using namespace calculators;
using forms::Int;
using forms::Real;
using testing_support::kLoadPromptText;
using testing_support::kStalled;
using testing_support::Program;

namespace {

struct TwoLegs : testing_support::CalculatorTest<frmduaspernas> {
    void search() { ASSERT_FALSE(program.click(f, calculators::frmduaspernas::kSearchButton)); }
};

}  // namespace

TEST_F(TwoLegs, SearchBeforeTheLoadOnlyPrompts) {
    search();
    EXPECT_EQ(program.take(), std::vector<std::string>{kLoadPromptText});
    expectState(101, 100, 1);
    EXPECT_EQ(f.txtperna.Text(), "");
}

TEST_F(TwoLegs, LegBeforeTheLoadPromptsAndComputesWithTheDesignLoad) {
    drag(f.hsbperna, 150);
    EXPECT_EQ(program.take(), std::vector<std::string>{kLoadPromptText});
    expectState(150, 141, 39);
    EXPECT_EQ(f.txtperna.Text(), "1.50");
    EXPECT_EQ(f.txtaltura.Text(), "1.41");
    EXPECT_EQ(f.txtangsup.Text(), " 39");
    EXPECT_EQ(f.txtanginf.Text(), " 70.5");
    EXPECT_EQ(f.txtperna.BackColor(), kGreen);
    EXPECT_EQ(f.txtlcarga.Text(), "");
    search();
    EXPECT_EQ(program.take(), std::vector<std::string>{kLoadPromptText});
    expectState(150, 141, 39);
}

TEST_F(TwoLegs, ShortLegBeforeTheLoadPromptsOncePerAction) {
    // The outer run and its nested runs each reach the prompt; the user sees it once.
    drag(f.hsbperna, 100);  // the design height 100 is not below the new leg
    EXPECT_EQ(program.take(), std::vector<std::string>{kLoadPromptText});
    expectState(111, 99, 54);

    Program other;
    auto& g = other.open<frmduaspernas>();
    other.rt.drag(g.hsbperna, 51);
    EXPECT_EQ(other.take(), std::vector<std::string>{kLoadPromptText});
    EXPECT_EQ(g.hsbperna.Value(), 71);
    EXPECT_EQ(g.hsbaltura.Value(), 50);
    EXPECT_EQ(g.hsbangsup.Value(), 90);

    Program third;
    auto& k = third.open<frmduaspernas>();
    third.rt.drag(k.hsbperna, 50);
    EXPECT_EQ(third.take(), std::vector<std::string>{kLoadPromptText});
    EXPECT_EQ(k.hsbperna.Value(), 71);
    // The next action starts afresh.
    third.rt.arrow(k.hsbperna, +1);
    EXPECT_EQ(third.take(), std::vector<std::string>{kLoadPromptText});
}

TEST_F(TwoLegs, LoadChangeAdaptsTheHeightAndLeavesTheLegReadout) {
    drag(f.hsblcarga, 200);
    EXPECT_TRUE(program.take().empty());
    expectState(101, 14, 164);
    EXPECT_EQ(f.txtaltura.Text(), "0.14");
    EXPECT_EQ(f.txtlcarga.Text(), "2.00");
    EXPECT_EQ(f.txtangsup.Text(), " 164");
    EXPECT_EQ(f.txtanginf.Text(), " 8");
    EXPECT_EQ(f.txtperna.BackColor(), kRed);
    EXPECT_EQ(f.txtperna.Text(), "");
}

TEST_F(TwoLegs, SearchStopsAtTheFirst90DegreeLegInItsDirection) {
    drag(f.hsblcarga, 200);
    search();
    expectState(141, 99, 90);
    EXPECT_EQ(f.txtperna.Text(), "1.41");
    EXPECT_EQ(f.txtaltura.Text(), "0.99");
    EXPECT_EQ(f.txtanginf.Text(), " 45");
    EXPECT_EQ(f.txtperna.BackColor(), kLightGreen);
    // From the long side the search stops at the longer of the two 90-degree legs.
    drag(f.hsbperna, 300);
    expectState(300, 283, 39);
    search();
    expectState(142, 101, 90);
    // At 90 already, nothing happens.
    search();
    expectState(142, 101, 90);
    EXPECT_TRUE(program.take().empty());
}

TEST_F(TwoLegs, SearchWithLoadMovedAndBroughtBack) {
    drag(f.hsblcarga, 101);
    drag(f.hsblcarga, 100);
    search();
    expectState(71, 50, 90);
    drag(f.hsblcarga, 300);
    search();
    expectState(212, 150, 90);
}

TEST_F(TwoLegs, GuardsRaiseALegNotLongerThanHalfTheLoad) {
    drag(f.hsblcarga, 1199);
    expectState(600, 24, 175);
    EXPECT_EQ(f.txtlcarga.Text(), "11.99");
    drag(f.hsbperna, 500);
    expectState(600, 24, 175);

    Program other;
    auto& g = other.open<frmduaspernas>();
    other.rt.drag(g.hsblcarga, 1200);
    EXPECT_EQ(g.hsbperna.Value(), 601);
    EXPECT_EQ(g.hsbaltura.Value(), 35);
    EXPECT_EQ(g.hsbangsup.Value(), 173);
    // A flat sling follows a load change by its leg: the height is raised by one first.
    other.rt.drag(g.hsblcarga, 1190);
    EXPECT_EQ(g.hsbperna.Value(), 596);
    EXPECT_EQ(g.hsbaltura.Value(), 35);
    EXPECT_EQ(g.hsbangsup.Value(), 173);

    Program third;
    auto& k = third.open<frmduaspernas>();
    third.rt.drag(k.hsblcarga, 101);
    EXPECT_EQ(k.hsbperna.Value(), 101);
    EXPECT_EQ(k.hsbaltura.Value(), 87);
    EXPECT_EQ(k.hsbangsup.Value(), 60);
    third.rt.drag(k.hsbperna, 50);
    EXPECT_EQ(k.hsbperna.Value(), 72);
    EXPECT_EQ(k.hsbaltura.Value(), 51);
    EXPECT_EQ(k.hsbangsup.Value(), 89);
}

TEST_F(TwoLegs, UnchangedRoundedHeightLeavesHeightAndAnglesAsTheyWere) {
    drag(f.hsblcarga, 1000);
    drag(f.hsbperna, 1000);
    expectState(1000, 866, 60);
    const std::string height = f.txtaltura.Text();
    drag(f.hsblcarga, 1001);
    expectState(1000, 866, 60);
    EXPECT_EQ(f.txtlcarga.Text(), "10.01");
    EXPECT_EQ(f.txtaltura.Text(), height);
    EXPECT_EQ(f.txtangsup.Text(), " 60");
}

TEST_F(TwoLegs, EndlessSearchesStopWithAMessage) {
    // No whole-centimetre leg gives 90 for a load of 101: the search would alternate for ever.
    drag(f.hsblcarga, 101);
    program.take();
    search();
    EXPECT_EQ(program.take(), std::vector<std::string>{kStalled});
    EXPECT_TRUE(f.hsbangsup.Value() == 89 || f.hsbangsup.Value() == 91);
    // The read-outs agree with the sliders where it stopped.
    EXPECT_EQ(f.txtperna.Text(), forms::FixedTwo(forms::RealText(f.hsbperna.Value() / 100)));
    EXPECT_EQ(f.hsbaltura.Value(), Height(Real(101) / 2, f.hsbperna.Value()));
}

TEST_F(TwoLegs, StallLegStopsTheSearchOnlyWhenStartedAboveIt) {
    drag(f.hsblcarga, 102);
    drag(f.hsbperna, 868);
    program.take();
    search();
    EXPECT_EQ(program.take(), std::vector<std::string>{kStalled});
    EXPECT_EQ(f.hsbperna.Value(), 868);

    Program other;
    auto& g = other.open<frmduaspernas>();
    other.rt.drag(g.hsblcarga, 102);
    other.rt.drag(g.hsbperna, 867);
    other.click(g, calculators::frmduaspernas::kSearchButton);
    EXPECT_TRUE(other.take().empty());
    EXPECT_EQ(g.hsbperna.Value(), 72);
    EXPECT_EQ(g.hsbangsup.Value(), 90);
}

TEST_F(TwoLegs, ReadoutsAgreeWithTheSlidersAfterEveryLegMove) {
    // For a spread of loads, every leg drag leaves the leg, height and angle in agreement with
    // each other and with their read-outs.
    for (int load : {100, 101, 150, 333, 700, 1200}) {
        Program p;
        auto& g = p.open<frmduaspernas>();
        p.rt.drag(g.hsblcarga, Int(static_cast<std::int16_t>(load)));
        for (int leg = 50; leg <= 2000; leg += 37) {
            ASSERT_FALSE(p.rt.drag(g.hsbperna, Int(static_cast<std::int16_t>(leg))));
            const Real x = g.hsblcarga.Value() / 2;
            const Int legNow = g.hsbperna.Value();
            SCOPED_TRACE(testing::Message() << "load " << load << " leg " << leg);
            ASSERT_GT(Real(legNow), x);
            EXPECT_LT(g.hsbaltura.Value(), legNow);
            EXPECT_EQ(g.txtperna.Text(), forms::FixedTwo(forms::RealText(legNow / 100)));
            EXPECT_EQ(g.txtangsup.Text(), forms::IntegerText(g.hsbangsup.Value()));
            EXPECT_EQ(g.txtperna.BackColor(), bandOf(g.hsbangsup.Value()).colour);
        }
    }
}

TEST_F(TwoLegs, CancelReturnsToTheMenuAndTheNextOpeningStartsAfresh) {
    drag(f.hsblcarga, 500);
    ASSERT_FALSE(program.click(f, calculators::frmduaspernas::kCancelButton));
    EXPECT_FALSE(f.loaded());
    ASSERT_TRUE(program.rt.find("frmmain")->loaded());
    program.click(*program.rt.find("frmmain"), shell::frmmain::kTwoLegsButton);
    EXPECT_TRUE(f.loaded());
    EXPECT_FALSE(program.rt.find("frmmain")->loaded());
    expectState(101, 100, 1);
    EXPECT_EQ(f.hsblcarga.Value(), 100);
    EXPECT_EQ(f.txtlcarga.Text(), "");
    EXPECT_EQ(f.txtangsup.BackColor(), 0xFFFFFF);
}

TEST_F(TwoLegs, ModelRuleLeavesAFailedChainHalfDoneUntilTheEventLoopRestores) {
    drag(f.hsblcarga, 200);
    // Driven directly, a failing assignment keeps what ran before it.
    f.hsbaltura.setValue(50);  // a chain that recomputes leg and angle
    const Int leg = f.hsbperna.Value();
    EXPECT_THROW(f.hsbperna.setValue(2001), forms::RuntimeError);
    EXPECT_EQ(f.hsbperna.Value(), leg);
    // Through the event loop, the whole action is refused and reported.
    const auto before = f.snapshot();
    const auto outcome = program.rt.perform([&] {
        f.hsbperna.setValue(1500);
        f.hsbperna.setValue(2001);
    });
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->number(), 380);
    EXPECT_EQ(f.hsbperna.Value(), leg);
    for (std::size_t i = 0; i < before.controls.size(); ++i) {
        EXPECT_EQ(f.controls()[i].value, before.controls[i].value);
        EXPECT_EQ(f.controls()[i].text, before.controls[i].text);
        EXPECT_EQ(f.controls()[i].back, before.controls[i].back);
    }
    EXPECT_EQ(program.errors.size(), 1u);
}
