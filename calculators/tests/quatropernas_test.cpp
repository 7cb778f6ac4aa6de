// The four-leg calculator's chains, prompt and search, driven as a user would.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "calculators/quatropernas.h"
#include "tests/calculator_fixture.h"

using namespace calculators;
using forms::Int;
using forms::Real;
using testing_support::I;
using testing_support::kStalled;
using testing_support::Program;

namespace {

const std::string kLoadsPrompt =
    "Introduza, em primeiro lugar, através do cursor, as medidas da carga!";

struct FourLegs : testing_support::CalculatorTest<frmquatropernas> {
    void search() { ASSERT_FALSE(program.click(f, calculators::frmquatropernas::kSearchButton)); }
    void load(int length, int width) {
        drag(f.hsbccarga, length);
        drag(f.hsblcarga, width);
    }
    // A refused action after the load prompt shown `prompts` times.
    using CalculatorTest::expectRefused;
    void expectRefused(const std::function<forms::FormsRuntime::Outcome()>& action,
                       std::size_t prompts) {
        expectRefused(action, std::vector<std::string>(prompts, kLoadsPrompt));
    }
};

}  // namespace

TEST_F(FourLegs, OpensWithItsDesignValuesAndTheSearchOnlyPrompts) {
    expectState(101, 88, 1);
    EXPECT_EQ(f.hsbccarga.Value(), 100);
    EXPECT_EQ(f.hsblcarga.Value(), 100);
    for (auto field : {f.txtperna, f.txtaltura, f.txtccarga, f.txtlcarga, f.txtangsup, f.txtanginf})
        EXPECT_EQ(field.Text(), "");
    EXPECT_EQ(f.txtangsup.BackColor(), 0xFFFFFF);
    EXPECT_TRUE(program.take().empty());
    const auto fresh = f.snapshot();
    search();
    EXPECT_EQ(program.take(), std::vector<std::string>{kLoadsPrompt});
    expectUnchanged(fresh);
}

TEST_F(FourLegs, LegMovesBeforeTheLoadPromptOnceAndCompute) {
    arrow(f.hsbperna, +1);
    EXPECT_EQ(program.take(), std::vector<std::string>{kLoadsPrompt});
    expectState(102, 74, 88);
    EXPECT_EQ(f.txtperna.Text(), "1.02");
    EXPECT_EQ(f.txtaltura.Text(), "0.74");
    EXPECT_EQ(f.txtccarga.Text(), "");
    EXPECT_EQ(f.txtlcarga.Text(), "");
    // The height 49 is the height slider's minimum: accepted.
    drag(f.hsbperna, 86);
    EXPECT_EQ(program.take(), std::vector<std::string>{kLoadsPrompt});
    expectState(86, 49, 111);
    EXPECT_EQ(f.txtaltura.Text(), "0.49");
}

TEST_F(FourLegs, OneLoadStepCarriesTheDesignHeightOver) {
    arrow(f.hsbccarga, +1);
    EXPECT_TRUE(program.take().empty());
    expectState(113, 88, 78);
    EXPECT_EQ(f.txtperna.Text(), "1.13");
    EXPECT_EQ(f.txtlcarga.Text(), "1.00");
    EXPECT_EQ(f.txtccarga.Text(), "1.01");
    EXPECT_EQ(f.txtaltura.Text(), "");  // the height did not change

    reopen();
    arrow(f.hsblcarga, +1);
    EXPECT_TRUE(program.take().empty());
    expectState(113, 88, 78);
    EXPECT_EQ(f.txtlcarga.Text(), "1.01");
    EXPECT_EQ(f.txtccarga.Text(), "");
    EXPECT_EQ(f.txtaltura.Text(), "");
}

TEST_F(FourLegs, LengthPastTheLegRaisesItWidthCarriesTheHeight) {
    drag(f.hsbccarga, 400);  // e = 206.16 passes the leg: raised to 216 first
    expectState(216, 64, 145);
    EXPECT_EQ(f.txtaltura.Text(), "0.64");
    EXPECT_EQ(f.txtccarga.Text(), "4.00");
    EXPECT_EQ(f.txtperna.BackColor(), kRed);

    reopen();
    drag(f.hsblcarga, 400);
    expectState(224, 88, 134);
    EXPECT_EQ(f.txtperna.Text(), "2.24");

    // Raised legs whose height lands on or just above the height slider's minimum.
    reopen();
    drag(f.hsbccarga, 195);
    expectState(120, 49, 132);
    reopen();
    drag(f.hsbccarga, 211);
    expectState(127, 50, 134);
}

TEST_F(FourLegs, LegBelowTheHalfDiagonalIsRaisedTenPastIt) {
    load(400, 400);
    expectState(290, 64, 154);
    drag(f.hsbperna, 100);  // below the half-diagonal 282.84
    expectState(293, 76, 150);
    EXPECT_EQ(f.txtperna.Text(), "2.93");
    EXPECT_EQ(f.txtaltura.Text(), "0.76");
    EXPECT_TRUE(program.take().empty());
}

TEST_F(FourLegs, LoadChangeThatKeepsLegAndHeightKeepsTheOldAngle) {
    load(308, 610);
    drag(f.hsbperna, 372);
    expectState(372, 147, 133);
    const std::string leg = f.txtperna.Text(), height = f.txtaltura.Text();
    arrow(f.hsbccarga, +1);
    // The new load's own angle for this leg would be one more.
    EXPECT_EQ(UpperAngle(forms::Sqrt(forms::Sqr(309) + forms::Sqr(610)) / 2, 372), 134);
    expectState(372, 147, 133);
    EXPECT_EQ(f.txtccarga.Text(), "3.09");
    EXPECT_EQ(f.txtlcarga.Text(), "6.10");
    EXPECT_EQ(f.txtperna.Text(), leg);
    EXPECT_EQ(f.txtaltura.Text(), height);
    EXPECT_EQ(f.txtangsup.Text(), " 133");
}

TEST_F(FourLegs, SearchStopsAtTheFirst90DegreeLegInItsDirection) {
    load(300, 200);
    expectState(189, 57, 145);
    search();  // legs 254, 255 and 256 all give 90
    expectState(254, 179, 90);
    EXPECT_EQ(f.txtperna.Text(), "2.54");
    EXPECT_EQ(f.txtaltura.Text(), "1.79");
    EXPECT_EQ(f.txtperna.BackColor(), kLightGreen);
    drag(f.hsbperna, 2000);
    search();
    expectState(256, 182, 90);
    const auto at90 = f.snapshot();
    search();
    expectUnchanged(at90);

    reopen();
    load(1200, 1200);
    search();
    expectState(1195, 841, 90);
    drag(f.hsbperna, 2000);
    search();
    expectState(1205, 856, 90);
    EXPECT_TRUE(program.take().empty());
}

TEST_F(FourLegs, LoadMovedAndBroughtBackEndsTheNoLoadCondition) {
    drag(f.hsblcarga, 150);
    drag(f.hsblcarga, 100);
    EXPECT_EQ(f.txtlcarga.Text(), "1.00");
    EXPECT_EQ(f.txtccarga.Text(), "");
    search();
    expectState(100, 71, 90);
    drag(f.hsbperna, 2000);
    search();
    expectState(100, 71, 90);
    EXPECT_TRUE(program.take().empty());

    reopen();
    drag(f.hsbccarga, 101);
    drag(f.hsbccarga, 100);
    arrow(f.hsbperna, +1);
    search();
    expectState(100, 71, 90);
    EXPECT_TRUE(program.take().empty());
}

TEST_F(FourLegs, LegsWhoseHeightWouldFallBelowTheMinimumAreRefused) {
    // For 100 x 100 the legs 71 to 85 have a height below 49.
    for (int leg = 71; leg <= 85; ++leg) {
        SCOPED_TRACE(leg);
        expectRefused([&] { return program.rt.drag(f.hsbperna, I(leg)); }, 1);
    }
    // The legs 50 to 70 are raised to 81 (height 40): the outer and the nested run have both
    // reached the prompt before the failure, shown once.
    for (int leg = 50; leg <= 70; ++leg) {
        SCOPED_TRACE(leg);
        expectRefused([&] { return program.rt.drag(f.hsbperna, I(leg)); }, 1);
    }
    expectState(101, 88, 1);
    EXPECT_EQ(program.errors.size(), 36u);
}

TEST_F(FourLegs, LengthsWhoseRaisedLegIsTooFlatAreRefused) {
    // From the initial state, the leg raised for these lengths has a height below 49.
    std::vector<int> refused;
    for (int length = 176; length <= 211; ++length) {
        SCOPED_TRACE(length);
        const auto outcome = program.rt.drag(f.hsbccarga, I(length));
        if (outcome) {
            refused.push_back(length);
            EXPECT_EQ(outcome->kind(), forms::ErrorKind::InvalidPropertyValue);
            expectState(101, 88, 1);
            EXPECT_EQ(f.hsbccarga.Value(), 100);
            EXPECT_EQ(f.txtccarga.Text(), "");
        } else {
            EXPECT_GE(f.hsbaltura.Value(), 49);
        }
        reopen();
    }
    EXPECT_EQ(refused, (std::vector<int>{176, 177, 178, 179, 180, 181, 182, 183, 184, 185,
                                         186, 187, 188, 189, 190, 191, 192, 193, 194, 196,
                                         197, 198, 199, 201, 203, 206, 208, 210}));
}

TEST_F(FourLegs, LoadChangesThatCarryAnUnreachableHeightAreRefused) {
    // Length 205 leaves the height at 49; one more centimetre of width would make it 48.
    drag(f.hsbccarga, 205);
    expectState(124, 49, 134);
    expectRefused([&] { return program.rt.arrow(f.hsblcarga, +1); });

    // The height 1999 of the leg 2000 needs a leg of 2001 once either load reaches 119.
    reopen();
    drag(f.hsbperna, 2000);
    expectState(2000, 1999, 4);
    program.take();
    expectRefused([&] { return program.rt.drag(f.hsbccarga, I(119)); });
    expectRefused([&] { return program.rt.drag(f.hsblcarga, I(119)); });
    drag(f.hsblcarga, 118);
    expectState(2000, 1999, 4);
}

TEST_F(FourLegs, SearchesWithoutA90DegreeLegStopWithAMessage) {
    // Dimensions that differ by 1, 3 or 5 with a small enough smaller one have no leg that gives
    // exactly 90; either slider may hold the smaller one.
    struct Load {
        int length, width;
    };
    std::vector<Load> loads;
    for (int smaller = 100; smaller <= 113; ++smaller) loads.push_back({smaller + 1, smaller});
    for (int smaller = 100; smaller <= 110; ++smaller) loads.push_back({smaller, smaller + 3});
    for (int smaller = 100; smaller <= 104; ++smaller) loads.push_back({smaller + 5, smaller});
    ASSERT_EQ(loads.size(), 30u);
    for (auto [length, width] : loads) {
        SCOPED_TRACE(testing::Message() << length << " x " << width);
        reopen();
        load(length, width);
        search();
        EXPECT_EQ(program.take(), std::vector<std::string>{kStalled});
        EXPECT_TRUE(f.hsbangsup.Value() == 89 || f.hsbangsup.Value() == 91);
        EXPECT_EQ(f.txtperna.Text(), forms::FixedTwo(forms::RealText(f.hsbperna.Value() / 100)));
        EXPECT_EQ(f.txtangsup.Text(), forms::IntegerText(f.hsbangsup.Value()));
    }
    EXPECT_TRUE(program.errors.empty());
    // Their neighbours have a 90-degree leg.
    for (auto [length, width] : {Load{102, 100}, Load{115, 113}, Load{100, 114}, Load{111, 105}}) {
        SCOPED_TRACE(testing::Message() << length << " x " << width);
        reopen();
        load(length, width);
        search();
        EXPECT_EQ(f.hsbangsup.Value(), 90);
        EXPECT_TRUE(program.take().empty());
    }
}

TEST_F(FourLegs, HeightHandlerAngleUsesTheSinglePrecisionHalfDiagonal) {
    // For 108 x 106 and the leg 91, the half-diagonal gives 113 degrees in double precision and
    // 112 in single precision.
    load(109, 106);
    drag(f.hsbperna, 91);
    expectState(91, 50, 113);
    // The length change keeps the leg and moves the height: the height handler sets the angle.
    arrow(f.hsbccarga, -1);
    expectState(91, 51, 112);
    EXPECT_EQ(f.txtangsup.Text(), " 112");
    // Through the leg handler the same leg and load give the double-precision angle.
    arrow(f.hsbperna, +1);
    arrow(f.hsbperna, -1);
    expectState(91, 51, 113);
}
