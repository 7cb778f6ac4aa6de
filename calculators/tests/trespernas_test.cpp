// The three-leg calculator's chains, prompts, modes and search, driven as a user would.
#include <gtest/gtest.h>

#if defined(__unix__)
#include <pthread.h>
#elif defined(_WIN32)
#include <windows.h>
#endif

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "calculators/trespernas.h"
#include "tests/calculator_fixture.h"

using namespace calculators;
using forms::Int;
using testing_support::I;
using testing_support::kLoadPromptText;
using testing_support::kStalled;
using testing_support::Program;

// Whether this build may run the cascade on a deliberately small stack: only an optimised build
// without AddressSanitizer, whose frames are many times larger.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PERNADAS_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define PERNADAS_TEST_ASAN 1
#endif
#if (defined(__unix__) || defined(_WIN32)) && defined(__OPTIMIZE__) && !defined(PERNADAS_TEST_ASAN)
#define PERNADAS_TEST_SMALL_STACK 1
#endif

namespace {

const std::string kDistancePrompt =
    "Em primeiro lugar introduza  a medida da carga, através do cursor!";
struct ThreeLegs : testing_support::CalculatorTest<frmtrespernas> {
    void search() { ASSERT_FALSE(program.click(f, calculators::frmtrespernas::kSearchButton)); }
    void distanceMode() {
        ASSERT_FALSE(program.select(f, calculators::frmtrespernas::kDistanceOption));
    }
    void diameterMode() {
        ASSERT_FALSE(program.select(f, calculators::frmtrespernas::kDiameterOption));
    }
    // An endless search: it stops with the message, with the leg read-out and the angle in
    // agreement with the sliders.
    void expectStoppedSearch() {
        program.take();
        search();
        EXPECT_EQ(program.take(), std::vector<std::string>{kStalled});
        EXPECT_TRUE(program.errors.empty());
        EXPECT_NE(f.hsbangsup.Value(), 90);
        EXPECT_EQ(f.txtperna.Text(), forms::FixedTwo(forms::RealText(f.hsbperna.Value() / 100)));
        EXPECT_EQ(f.txtangsup.Text(), forms::IntegerText(f.hsbangsup.Value()));
    }
    // The next centimetre towards 90 degrees jumps over it.
    void expectNextLegOnTheOtherSideOf90() {
        const bool below = f.hsbangsup.Value() < 90;
        arrow(f.hsbperna, below ? -1 : +1);
        EXPECT_EQ(f.hsbangsup.Value() > 90, below);
        EXPECT_NE(f.hsbangsup.Value(), 90);
    }
};

}  // namespace

TEST_F(ThreeLegs, LegMovesBeforeTheLoadPromptAndComputeWithTheDesignLoad) {
    arrow(f.hsbperna, +1);
    EXPECT_EQ(program.take(), std::vector<std::string>{kLoadPromptText});
    expectState(102, 89, 50);
    EXPECT_EQ(f.txtperna.Text(), "1.02");
    EXPECT_EQ(f.txtaltura.Text(), "0.89");
    EXPECT_EQ(f.txtlcarga.Text(), "");
    EXPECT_EQ(f.txtdiam.Text(), "");
    // Every further leg move prompts again, and the search still only prompts.
    arrow(f.hsbperna, +1);
    EXPECT_EQ(program.take(), std::vector<std::string>{kLoadPromptText});
    const auto before = f.snapshot();
    search();
    EXPECT_EQ(program.take(), std::vector<std::string>{kLoadPromptText});
    expectUnchanged(before);
    // Once the load has moved, neither prompts.
    drag(f.hsblcarga, 150);
    arrow(f.hsbperna, +1);
    search();
    EXPECT_TRUE(program.take().empty());

    // The old height 100 is not below the leg 90: the outer and the nested run both reach the
    // prompt, shown once in the action.
    reopen();
    drag(f.hsbperna, 90);
    EXPECT_EQ(program.take(), std::vector<std::string>{kLoadPromptText});
    expectState(102, 89, 50);

    reopen();
    const auto fresh = f.snapshot();
    search();
    EXPECT_EQ(program.take(), std::vector<std::string>{kLoadPromptText});
    expectUnchanged(fresh);
}

TEST_F(ThreeLegs, LoadDraggedStraightToItsMinimumGivesTheOtherPrompt) {
    drag(f.hsblcarga, 50);
    // The height handler runs inside the load handler, before the load read-outs are written.
    EXPECT_EQ(program.take(), std::vector<std::string>{kDistancePrompt});
    expectState(101, 98, 25);
    EXPECT_EQ(f.txtaltura.Text(), "0.98");
    EXPECT_EQ(f.txtlcarga.Text(), "0.43");
    EXPECT_EQ(f.txtdiam.Text(), "0.50");
    EXPECT_EQ(f.txtperna.Text(), "");
    // Written once, the load read-outs end both conditions.
    drag(f.hsblcarga, 60);
    drag(f.hsblcarga, 50);
    drag(f.hsbperna, 120);
    EXPECT_TRUE(program.take().empty());
}

TEST_F(ThreeLegs, DiameterModeLoadAndSearchesFromEitherSide) {
    drag(f.hsblcarga, 200);
    EXPECT_TRUE(program.take().empty());
    expectState(101, 14, 118);
    EXPECT_EQ(f.txtperna.Text(), "");
    EXPECT_EQ(f.txtaltura.Text(), "0.14");
    EXPECT_EQ(f.txtlcarga.Text(), "1.73");
    EXPECT_EQ(f.txtdiam.Text(), "2.00");
    EXPECT_EQ(f.txtangsup.BackColor(), kYellow);
    // From the short side the search stops at the shorter of the two 90-degree legs.
    search();
    expectState(122, 70, 90);
    EXPECT_EQ(f.txtperna.Text(), "1.22");
    EXPECT_EQ(f.txtaltura.Text(), "0.70");
    EXPECT_EQ(f.txtanginf.Text(), " 45");
    EXPECT_EQ(f.txtperna.BackColor(), kLightGreen);
    // At 90 already, nothing happens.
    const auto at90 = f.snapshot();
    search();
    expectUnchanged(at90);
    EXPECT_TRUE(program.take().empty());

    reopen();
    drag(f.hsblcarga, 200);
    drag(f.hsbperna, 400);
    search();
    expectState(123, 72, 90);
    EXPECT_TRUE(program.take().empty());
}

TEST_F(ThreeLegs, DistanceModeLoadRaisesTheLegAndShowsTheDiameter) {
    distanceMode();
    EXPECT_TRUE(program.take().empty());
    drag(f.hsblcarga, 200);  // R is 115.47: the leg 101 is raised to 116
    expectState(116, 11, 119);
    EXPECT_EQ(f.txtperna.Text(), "1.16");
    EXPECT_EQ(f.txtaltura.Text(), "0.11");
    EXPECT_EQ(f.txtlcarga.Text(), "2.00");
    EXPECT_EQ(f.txtdiam.Text(), "2.31");
    search();
    expectState(141, 81, 90);
    EXPECT_TRUE(program.take().empty());
}

TEST_F(ThreeLegs, ModeChangeWaitsForTheNextMove) {
    drag(f.hsblcarga, 200);
    const auto diameter = f.snapshot();
    distanceMode();
    EXPECT_TRUE(program.take().empty());
    // Only the option buttons differ.
    for (std::size_t i = 0; i < diameter.controls.size(); ++i) {
        EXPECT_EQ(f.controls()[i].value, diameter.controls[i].value);
        EXPECT_EQ(f.controls()[i].text, diameter.controls[i].text);
        EXPECT_EQ(f.controls()[i].back, diameter.controls[i].back);
    }
    EXPECT_TRUE(f.Option2.Value());
    EXPECT_FALSE(f.Option1.Value());
    // The next leg move uses the new R; the load read-outs wait for the next load move.
    arrow(f.hsbperna, +1);
    expectState(116, 11, 119);
    EXPECT_EQ(f.txtlcarga.Text(), "1.73");
    EXPECT_EQ(f.txtdiam.Text(), "2.00");
    arrow(f.hsblcarga, +1);
    EXPECT_EQ(f.txtlcarga.Text(), "2.01");
    EXPECT_EQ(f.txtdiam.Text(), "2.32");

    // The angle slider still holds 90 from the previous mode: the search does nothing.
    reopen();
    drag(f.hsblcarga, 200);
    search();
    expectState(122, 70, 90);
    distanceMode();
    const auto stale = f.snapshot();
    search();
    expectUnchanged(stale);
    EXPECT_TRUE(program.take().empty());
}

TEST_F(ThreeLegs, RaisedLegRoundsHalfToEven) {
    // L = 121, R = 60.5: the leg stepped down from 61 to 60 is raised to 61.5, which is 62.
    drag(f.hsblcarga, 121);
    drag(f.hsbperna, 61);  // the stale height throws the leg back up to 85 (height 60) first
    drag(f.hsbperna, 61);
    expectState(61, 8, 118);
    arrow(f.hsbperna, -1);
    EXPECT_EQ(f.hsbperna.Value(), 62);
    EXPECT_EQ(f.txtperna.Text(), "0.62");
    // L = 123, R = 61.5: from 62 down to 61, raised to 62.5, which is 62 again.
    drag(f.hsblcarga, 123);
    expectState(62, 8, 118);
    arrow(f.hsbperna, -1);
    expectState(62, 8, 118);
    EXPECT_EQ(f.txtperna.Text(), "0.62");
}

TEST_F(ThreeLegs, LongLegOverASmallLoadDescendsBelowRSquared) {
    for (int leg : {626, 627, 1000, 1999}) {
        SCOPED_TRACE(leg);
        reopen();
        drag(f.hsblcarga, 50);
        drag(f.hsbperna, leg);
        expectState(625, 624, 4);
        EXPECT_EQ(f.txtperna.Text(), "6.25");
        EXPECT_EQ(f.txtaltura.Text(), "6.24");
    }
    // In distance mode R squared is 833.3: the leg ends above it.
    for (int leg : {835, 1200, 2000}) {
        SCOPED_TRACE(leg);
        reopen();
        distanceMode();
        drag(f.hsblcarga, 50);
        drag(f.hsbperna, leg);
        EXPECT_EQ(f.hsbperna.Value(), 834);
        EXPECT_EQ(f.hsbaltura.Value(), 833);
        EXPECT_EQ(f.txtperna.Text(), "8.34");
    }
    // A load change that leaves a long leg above R squared descends the same way.
    reopen();
    drag(f.hsblcarga, 60);
    drag(f.hsbperna, 1000);
    drag(f.hsblcarga, 50);
    EXPECT_EQ(f.hsbperna.Value(), 625);
    EXPECT_EQ(f.hsbaltura.Value(), 624);
}

TEST_F(ThreeLegs, ALongDescentBeforeTheLoadPromptsOnce) {
    // On a fresh form the leg at 1000 and the load straight to 50: the leg walks down from
    // 1000, and every nested height run reaches the load prompt while the load read-out is
    // still empty.
    drag(f.hsbperna, 1000);
    program.take();
    const auto before = f.snapshot();
    f.hsblcarga.setValue(50);  // the model driven directly: every nested run's prompt
    EXPECT_EQ(program.take(), std::vector<std::string>(377, kDistancePrompt));
    const auto directly = f.snapshot();

    f.restore(before);
    drag(f.hsblcarga, 50);  // the user's action: one box
    EXPECT_EQ(program.take(), std::vector<std::string>{kDistancePrompt});
    expectUnchanged(directly);
}

TEST_F(ThreeLegs, FlattestSlingHasHeightOneAndAngle120) {
    distanceMode();
    drag(f.hsblcarga, 168);
    for (int i = 0; i < 4; ++i) arrow(f.hsbperna, -1);
    expectState(97, 1, 120);
    EXPECT_EQ(f.txtaltura.Text(), "0.01");
    EXPECT_EQ(f.txtperna.Text(), "0.97");
    EXPECT_EQ(f.txtperna.BackColor(), kYellow);
}

TEST_F(ThreeLegs, ActionsThatWouldLeaveASliderOffItsTrackAreRefused) {
    // For a small load the 90-degree leg is shorter than the leg slider allows: the search walks
    // down to 50 and would go on to 49.
    drag(f.hsblcarga, 60);
    expectRefused([&] { return program.click(f, calculators::frmtrespernas::kSearchButton); });
    EXPECT_EQ(f.txtperna.Text(), "");

    // After a change to distance mode the height still belongs to the diameter.
    reopen();
    drag(f.hsblcarga, 1200);
    drag(f.hsbperna, 2000);
    expectState(2000, 1908, 30);
    distanceMode();
    // The leg lowered to 1879 is not above the stale height: the height becomes 1878, whose
    // leg is 2002.
    expectRefused([&] { return program.rt.drag(f.hsbperna, I(1879)); });
    // The search's first step would take the leg to 2030.
    expectRefused([&] { return program.click(f, calculators::frmtrespernas::kSearchButton); });
    EXPECT_TRUE(f.Option2.Value());
    // A load move brings the height up to date, after which the search works.
    arrow(f.hsblcarga, -1);
    search();
    EXPECT_EQ(f.hsbangsup.Value(), 90);
    EXPECT_EQ(program.errors.size(), 2u);

    // And back: a short leg in distance mode, then diameter mode; the first step assigns 49.
    reopen();
    distanceMode();
    drag(f.hsblcarga, 98);
    for (int i = 0; i < 44 && f.hsbperna.Value() > 57; ++i) arrow(f.hsbperna, -1);
    expectState(57, 7, 119);
    diameterMode();
    expectRefused([&] { return program.click(f, calculators::frmtrespernas::kSearchButton); });
    EXPECT_TRUE(f.Option1.Value());
}

TEST_F(ThreeLegs, SearchesWithoutA90DegreeLegStopWithAMessage) {
    // No leg gives exactly 90 for these loads: the search would alternate between two legs.
    for (int load : {84,  86,  87,  89,  91,  92,  94,  97,  99,  102, 104, 105, 107, 110,
                     112, 115, 117, 120, 125, 128, 130, 133, 138, 143, 146, 151, 156, 169}) {
        SCOPED_TRACE(testing::Message() << "diameter " << load);
        reopen();
        drag(f.hsblcarga, load);
        expectStoppedSearch();
        expectNextLegOnTheOtherSideOf90();
    }
    for (int load : {73,  74,  76,  77,  80,  81,  83,  84,  87,  90,  91,  94,  97,
                     101, 104, 107, 108, 111, 114, 118, 121, 125, 128, 135, 145, 152}) {
        SCOPED_TRACE(testing::Message() << "distance " << load);
        reopen();
        distanceMode();
        drag(f.hsblcarga, load);
        expectStoppedSearch();
        expectNextLegOnTheOtherSideOf90();
    }
    // Their neighbours have a 90-degree leg, and the search ends there without a word.
    for (int load : {85, 88, 101, 170}) {
        SCOPED_TRACE(load);
        reopen();
        drag(f.hsblcarga, load);
        search();
        EXPECT_EQ(f.hsbangsup.Value(), 90);
        EXPECT_TRUE(program.take().empty());
    }
}

TEST_F(ThreeLegs, SearchFromAboveTheStallLegStopsThereWithAMessage) {
    // L = 90: from the leg 676 a step down is undone (height 675, leg recomputed as 676).
    drag(f.hsblcarga, 90);
    drag(f.hsbperna, 1000);
    expectStoppedSearch();
    expectState(676, 675, 7);
    EXPECT_EQ(f.txtaltura.Text(), "6.75");
    // Below the stall leg the search reaches 90.
    reopen();
    drag(f.hsblcarga, 90);
    drag(f.hsbperna, 600);
    search();
    EXPECT_EQ(f.hsbangsup.Value(), 90);
    EXPECT_TRUE(program.take().empty());
}

namespace {

struct DeepChainResult {
    int leg = 0, height = 0;
    std::string legText, heightText;
    bool refused = true;
};

// Diameter mode, L = 50, the leg dragged from 101 to 2000: the leg walks down to 625 with two
// nested handler runs for every centimetre.
DeepChainResult runDeepChain() {
    DeepChainResult r;
    Program program;
    auto& f = program.open<frmtrespernas>();
    if (program.rt.drag(f.hsblcarga, I(50))) return r;
    r.refused = program.rt.drag(f.hsbperna, I(2000)).has_value();
    r.leg = f.hsbperna.Value().value();
    r.height = f.hsbaltura.Value().value();
    r.legText = f.txtperna.Text();
    r.heightText = f.txtaltura.Text();
    return r;
}

void expectDeepChainEnd(const DeepChainResult& r) {
    EXPECT_FALSE(r.refused);
    EXPECT_EQ(r.leg, 625);
    EXPECT_EQ(r.height, 624);
    EXPECT_EQ(r.legText, "6.25");
    EXPECT_EQ(r.heightText, "6.24");
}

}  // namespace

TEST(ThreeLegsDeepChain, LongestCascadeEndsWhereTheNestedRunsLeadIt) {
    expectDeepChainEnd(runDeepChain());
}

TEST(ThreeLegsDeepChain, LongestCascadeFitsInAOneMebibyteStack) {
#if defined(PERNADAS_TEST_SMALL_STACK) && defined(_WIN32)
    // A Windows program's main thread has 1 MiB of stack unless it asks for more.
    DeepChainResult result;
    HANDLE thread = CreateThread(
        nullptr, 1024 * 1024,
        [](LPVOID out) -> DWORD {
            *static_cast<DeepChainResult*>(out) = runDeepChain();
            return 0;
        },
        &result, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    CloseHandle(thread);
    expectDeepChainEnd(result);
#elif defined(PERNADAS_TEST_SMALL_STACK)
    pthread_attr_t attr;
    ASSERT_EQ(pthread_attr_init(&attr), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, 1024 * 1024), 0);
    DeepChainResult result;
    pthread_t thread;
    const int started = pthread_create(
        &thread, &attr,
        [](void* out) -> void* {
            *static_cast<DeepChainResult*>(out) = runDeepChain();
            return nullptr;
        },
        &result);
    pthread_attr_destroy(&attr);
    ASSERT_EQ(started, 0);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
    expectDeepChainEnd(result);
#else
    GTEST_SKIP() << "the stack depth is measured only in an optimised build without "
                    "AddressSanitizer";
#endif
}
