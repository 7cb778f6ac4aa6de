// Exhaustive sweeps of the calculators: every load followed by every leg, each from a fresh
// form, and the 90-degree search after each load, both from the leg the load left and from the
// longest leg. After every action the read-outs must agree with the sliders (fuzz/invariants.h)
// and every search must end at 90 degrees or stop with its message, and stop only for the loads
// known to have no 90-degree leg it can reach.
//
// An optimised build sweeps every value; a build without optimisation or under
// AddressSanitizer takes every few values of each slider, so that it stays within a couple of
// minutes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "calculators/duaspernas.h"
#include "calculators/quatropernas.h"
#include "calculators/trespernas.h"
#include "fuzz/invariants.h"
#include "tests/calculator_fixture.h"

using namespace calculators;
using forms::Int;
using testing_support::I;
using testing_support::kStalled;
using testing_support::Program;

// Every value only where the code is optimised and not under AddressSanitizer.
#if defined(__SANITIZE_ADDRESS__)
#define PERNADAS_SWEEP_SAMPLED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PERNADAS_SWEEP_SAMPLED 1
#endif
#endif
#if !defined(__OPTIMIZE__)
#define PERNADAS_SWEEP_SAMPLED 1
#endif

namespace {

#if !defined(PERNADAS_SWEEP_SAMPLED)
constexpr int kLoadStride = 1;
constexpr int kLegStride = 1;
#else
constexpr int kLoadStride = 5;
constexpr int kLegStride = 11;
#endif

// Values from first to last, every `stride`th, always with both ends and the extra values.
std::vector<int> values(int first, int last, int stride, std::initializer_list<int> extra = {}) {
    std::set<int> v(extra);
    for (int x = first; x <= last; x += stride) v.insert(x);
    v.insert(last);
    return {v.begin(), v.end()};
}

// What a search did.
enum class Search { At90, Stopped, Refused };

// The findings of a sweep: the first few in full, and how many there were.
struct Report {
    std::vector<std::string> lines;
    long count = 0;
    void add(const std::string& context, const std::string& what) {
        if (++count <= 20) lines.push_back(context + ": " + what);
    }
    void add(const std::string& context, const invariants::Findings& found) {
        for (const auto& what : found) add(context, what);
    }
    std::string text() const {
        std::string s = std::to_string(count) + " findings\n";
        for (const auto& l : lines) s += "  " + l + "\n";
        return s;
    }
};

std::string setText(const std::set<int>& s) {
    std::ostringstream o;
    for (int x : s) o << x << ' ';
    return o.str();
}

// A form of the program, opened afresh whenever asked, with checks around each action.
template <class Form>
struct Sweep {
    Program program;
    Form& f = program.template open<Form>();
    Report report;

    void fresh() {
        program.rt.close(f);
        program.rt.showForm(f);
        program.take();
        program.errors.clear();
    }

    // An action that must not be refused, after which every read-out agrees with its slider.
    bool act(const std::string& context, forms::FormsRuntime::Outcome outcome) {
        if (outcome) {
            report.add(context, "refused with error " + std::to_string(outcome->number()));
            return false;
        }
        invariants::Findings found;
        invariants::checkCalculator(f, found);
        report.add(context, found);
        return found.empty();
    }

    // The search from the current state: it ends at 90 degrees without a word, stops with its
    // message (the form then agreeing with itself), or is refused and puts the form back.
    Search search(const std::string& context, std::string_view button) {
        const auto before = f.snapshot();
        program.take();
        const auto outcome = program.rt.click(*f.find(button));
        const auto boxes = program.take();
        invariants::Findings found;
        Search result = Search::At90;
        if (outcome) {
            invariants::checkRestored(f, before, found);
            if (boxes.size() != 1) report.add(context, "a refused search showed other boxes");
            result = Search::Refused;
        } else {
            invariants::checkCalculator(f, found);
            if (f.hsbangsup.Value() == 90) {
                if (!boxes.empty()) report.add(context, "a search at 90 degrees showed a box");
            } else if (boxes != std::vector<std::string>{kStalled}) {
                report.add(context, "a search ended at " +
                                        std::to_string(f.hsbangsup.Value().value()) +
                                        " degrees without its message");
            } else {
                result = Search::Stopped;
            }
        }
        report.add(context, found);
        return result;
    }
};

// The loads that have no leg with a computed upper angle of exactly 90.
const std::set<int> kTwoLegsNo90 = {101, 104, 107, 108, 111, 114, 118,
                                    121, 125, 128, 135, 145, 152};
// The loads with a leg from which a step down is undone: a search from above stalls there.
const std::set<int> kTwoLegsStall = {101, 102, 103, 105, 107, 108, 109, 111, 113, 114, 115, 117,
                                     119, 120, 121, 123, 125, 126, 127, 129, 131, 132, 133, 135,
                                     137, 138, 139, 141, 143, 144, 145, 147, 149, 150, 151, 153};

const std::set<int> kThreeLegsNo90Diameter = {84,  86,  87,  89,  91,  92,  94,  97,  99,  102,
                                              104, 105, 107, 110, 112, 115, 117, 120, 125, 128,
                                              130, 133, 138, 143, 146, 151, 156, 169};
const std::set<int> kThreeLegsNo90Distance = {73,  74,  76,  77,  80,  81,  83,  84,  87,
                                              90,  91,  94,  97,  101, 104, 107, 108, 111,
                                              114, 118, 121, 125, 128, 135, 145, 152};

std::set<int> within(const std::set<int>& s, const std::vector<int>& visited) {
    std::set<int> out;
    for (int x : visited)
        if (s.count(x)) out.insert(x);
    return out;
}

}  // namespace

// Two legs: every load from a fresh form, then every leg; the search from the leg the load left
// and from 2000.
TEST(TwoLegsSweep, EveryLoadThenEveryLeg) {
    Sweep<frmduaspernas> s;
    auto& f = s.f;
    const auto loads = values(100, 1200, kLoadStride, {101, 102, 104, 107, 152, 153, 200, 1199});
    std::set<int> stoppedFromLoad, stoppedFromLongest;
    for (int load : loads) {
        const std::string at = "load " + std::to_string(load);
        s.fresh();
        // The load 100 is entered by moving the slider off it and back.
        if (load == 100 && !s.act(at, s.program.rt.drag(f.hsblcarga, I(101)))) continue;
        if (!s.act(at, s.program.rt.drag(f.hsblcarga, I(load)))) continue;
        const auto loaded = f.snapshot();

        if (s.search(at + ", search", calculators::frmduaspernas::kSearchButton) == Search::Stopped)
            stoppedFromLoad.insert(load);

        for (int leg : values(50, 2000, kLegStride)) {
            const std::string ctx = at + ", leg " + std::to_string(leg);
            f.restore(loaded);
            s.program.boxes.clear();
            if (!s.act(ctx, s.program.rt.drag(f.hsbperna, I(leg)))) continue;
            if (!s.program.boxes.empty()) s.report.add(ctx, "a leg move with the load set spoke");
            // The guards keep the leg past half the load and the height well off its minimum.
            if (!(f.hsbperna.Value().value() * 2 > load && f.hsbaltura.Value().value() >= 7))
                s.report.add(ctx, "leg " + std::to_string(f.hsbperna.Value().value()) +
                                      ", height " + std::to_string(f.hsbaltura.Value().value()));
        }

        f.restore(loaded);
        if (s.act(at + ", leg 2000", s.program.rt.drag(f.hsbperna, I(2000))) &&
            s.search(at + ", search from 2000", calculators::frmduaspernas::kSearchButton) ==
                Search::Stopped)
            stoppedFromLongest.insert(load);
    }
    EXPECT_EQ(s.report.count, 0) << s.report.text();
    EXPECT_EQ(stoppedFromLoad, within(kTwoLegsNo90, loads)) << setText(stoppedFromLoad);
    std::set<int> endless = kTwoLegsNo90;
    endless.insert(kTwoLegsStall.begin(), kTwoLegsStall.end());
    EXPECT_EQ(stoppedFromLongest, within(endless, loads)) << setText(stoppedFromLongest);
}

namespace {

// Three legs in one mode: every load, then every leg.
void sweepThreeLegs(bool distanceMode, const std::set<int>& no90, int smallestReaching90) {
    Sweep<frmtrespernas> s;
    auto& f = s.f;
    const auto loads = values(50, 1200, kLoadStride, {51, 70, 71, 81, 82, 84, 100, 169, 170});
    std::set<int> stoppedFromLoad, refusedFromLoad, stoppedFromLongest;
    for (int load : loads) {
        const std::string at =
            std::string(distanceMode ? "distance" : "diameter") + " load " + std::to_string(load);
        s.fresh();
        if (distanceMode &&
            !s.act(at, s.program.select(f, calculators::frmtrespernas::kDistanceOption)))
            continue;
        if (load == 100 && !s.act(at, s.program.rt.drag(f.hsblcarga, I(101)))) continue;
        if (!s.act(at, s.program.rt.drag(f.hsblcarga, I(load)))) continue;
        const auto loaded = f.snapshot();
        const double r = invariants::threeLegRadius(load, !distanceMode);

        switch (s.search(at + ", search", calculators::frmtrespernas::kSearchButton)) {
            case Search::Stopped:
                stoppedFromLoad.insert(load);
                break;
            case Search::Refused:
                refusedFromLoad.insert(load);
                break;
            case Search::At90:
                break;
        }

        for (int leg : values(50, 2000, kLegStride)) {
            const std::string ctx = at + ", leg " + std::to_string(leg);
            f.restore(loaded);
            s.program.boxes.clear();
            if (!s.act(ctx, s.program.rt.drag(f.hsbperna, I(leg)))) continue;
            if (!s.program.boxes.empty()) s.report.add(ctx, "a leg move with the load set spoke");
            // The leg stays longer than the radius, and the sling never flatter than 120.
            if (!(f.hsbperna.Value().value() > r && f.hsbangsup.Value().value() <= 120))
                s.report.add(ctx, "leg " + std::to_string(f.hsbperna.Value().value()) + ", angle " +
                                      std::to_string(f.hsbangsup.Value().value()));
        }

        f.restore(loaded);
        if (s.act(at + ", leg 2000", s.program.rt.drag(f.hsbperna, I(2000))) &&
            s.search(at + ", search from 2000", calculators::frmtrespernas::kSearchButton) ==
                Search::Stopped)
            stoppedFromLongest.insert(load);
    }
    EXPECT_EQ(s.report.count, 0) << s.report.text();
    EXPECT_EQ(stoppedFromLoad, within(no90, loads)) << setText(stoppedFromLoad);
    // Below the smallest load that reaches 90 the 90-degree leg is shorter than the slider
    // allows: the search walks down to 50 and is refused there.
    std::set<int> small;
    for (int load : loads)
        if (load < smallestReaching90) small.insert(load);
    EXPECT_EQ(refusedFromLoad, small) << setText(refusedFromLoad);
    // From the longest leg the search also stops at a stall leg, where a step down is undone:
    // the height of the leg p is at least p - 1, and the leg of the height p - 2 is p again.
    std::set<int> stall;
    for (int load = 50; load <= 1200; ++load) {
        const double r = invariants::threeLegRadius(load, !distanceMode);
        for (int p = 50; p <= 2000; ++p)
            if (p > r && std::nearbyint(std::sqrt(double(p) * p - r * r)) >= p - 1 &&
                std::nearbyint(std::sqrt(double(p - 2) * (p - 2) + r * r)) == p)
                stall.insert(load);
    }
    EXPECT_EQ(stall.size(), distanceMode ? 66u : 69u);
    std::set<int> endless = no90;
    endless.insert(stall.begin(), stall.end());
    EXPECT_EQ(stoppedFromLongest, within(endless, loads)) << setText(stoppedFromLongest);
}

}  // namespace

TEST(ThreeLegsSweep, DiameterModeEveryLoadThenEveryLeg) {
    sweepThreeLegs(false, kThreeLegsNo90Diameter, 82);
}

TEST(ThreeLegsSweep, DistanceModeEveryLoadThenEveryLeg) {
    sweepThreeLegs(true, kThreeLegsNo90Distance, 71);
}

namespace {

// The four-leg loads with no leg of exactly 90 degrees: the two sides differ by 1 (the smaller
// from 100 to 113), by 3 (from 100 to 110) or by 5 (from 100 to 104).
bool fourLegsNo90(int length, int width) {
    const int small = std::min(length, width), gap = std::abs(length - width);
    return (gap == 1 && small <= 113) || (gap == 3 && small <= 110) || (gap == 5 && small <= 104);
}

// Half-to-even rounding to whole centimetres, as the forms round.
int wholeCentimetres(double x) {
    return static_cast<int>(std::nearbyint(x));
}

}  // namespace

// Four legs: a grid of loads that takes in every load the calculator's known edge cases name,
// each from a fresh form; then every leg, and the search from the leg the load left and from 2000.
TEST(FourLegsSweep, GridOfLoadsThenEveryLeg) {
    Sweep<frmquatropernas> s;
    auto& f = s.f;
    // Every pair of these sides (a coarser set without optimisation), and the loads the
    // edge cases name: single steps off the design load, the lengths whose raised leg is too
    // short, the loads with no 90-degree leg, and the largest.
#if !defined(PERNADAS_SWEEP_SAMPLED)
    std::vector<int> sides = values(100, 119, 1);
    for (int x : {120, 150, 176, 194, 195, 196, 199, 200, 201, 203, 205, 206,  208,  210,  211,
                  250, 290, 300, 308, 309, 400, 500, 600, 610, 700, 800, 1000, 1190, 1199, 1200})
        sides.push_back(x);
#else
    const std::vector<int> sides = {100, 101, 104, 113, 119, 200, 308, 400, 610, 800, 1200};
#endif
    std::set<std::pair<int, int>> loads;
    for (int length : sides)
        for (int width : sides) loads.insert({length, width});
    for (int length = 176; length <= 211; ++length) loads.insert({length, 100});
    for (auto [length, width] : {std::pair{205, 101},
                                 {309, 610},
                                 {300, 200},
                                 {600, 800},
                                 {100, 119},
                                 {119, 100},
                                 {100, 400},
                                 {400, 100}})
        loads.insert({length, width});
    for (int small = 100; small <= 113; ++small)
        for (int gap : {1, 3, 5})
            if (fourLegsNo90(small, small + gap)) {
                loads.insert({small, small + gap});
                loads.insert({small + gap, small});
            }

    std::set<int> lengthsRefusedFromFresh;
    for (auto [length, width] : loads) {
        const std::string at = "load " + std::to_string(length) + " x " + std::to_string(width);
        // From a fresh form the length first; some lengths cannot be reached from the design
        // leg (the raised leg's height falls under the minimum) and are refused, putting the
        // form back. Those are reached over a long leg instead.
        s.fresh();
        // The load 100 x 100 is entered by moving the length off it and back.
        if (length == 100 && width == 100 && !s.act(at, s.program.rt.drag(f.hsbccarga, I(101))))
            continue;
        auto before = f.snapshot();
        auto refused = s.program.rt.drag(f.hsbccarga, I(length));
        if (!refused) {
            before = f.snapshot();
            refused = s.program.rt.drag(f.hsblcarga, I(width));
        }
        if (refused) {
            if (width == 100 && f.hsbccarga.Value() == 100) lengthsRefusedFromFresh.insert(length);
            invariants::Findings found;
            invariants::checkRestored(f, before, found);
            s.report.add(at + ", refused", found);
            s.fresh();
            if (!s.act(at, s.program.rt.drag(f.hsbperna, I(1000))) ||
                !s.act(at, s.program.rt.drag(f.hsbccarga, I(length))) ||
                !s.act(at, s.program.rt.drag(f.hsblcarga, I(width))))
                continue;
        } else if (!s.act(at, refused)) {
            continue;
        }
        const auto loaded = f.snapshot();
        const double d = std::sqrt(double(length) * length + double(width) * width) / 2;

        const bool no90 = fourLegsNo90(length, width);
        if ((s.search(at + ", search", calculators::frmquatropernas::kSearchButton) ==
             Search::Stopped) != no90)
            s.report.add(at, no90 ? "the search reached 90" : "the search stopped");

        for (int leg : values(50, 2000, kLegStride)) {
            const std::string ctx = at + ", leg " + std::to_string(leg);
            f.restore(loaded);
            // A leg shorter than the half-diagonal is raised ten centimetres past it; the
            // move is refused exactly when the height of the leg falls under 49.
            const int raised = leg < d ? wholeCentimetres(d + 10) : leg;
            const bool low = wholeCentimetres(std::sqrt(double(raised) * raised - d * d)) < 49;
            const bool moves = leg != f.hsbperna.Value().value();
            const auto before = f.snapshot();
            const auto outcome = s.program.rt.drag(f.hsbperna, I(leg));
            if (bool(outcome) != (low && moves)) {
                s.report.add(ctx, outcome ? "refused" : "not refused");
            } else if (outcome) {
                invariants::Findings found;
                invariants::checkRestored(f, before, found);
                s.report.add(ctx, found);
            } else {
                s.act(ctx, outcome);
            }
        }

        f.restore(loaded);
        if (s.act(at + ", leg 2000", s.program.rt.drag(f.hsbperna, I(2000))) &&
            (s.search(at + ", search from 2000", calculators::frmquatropernas::kSearchButton) ==
             Search::Stopped) != no90)
            s.report.add(at + ", from 2000", no90 ? "reached 90" : "stopped");
    }
    EXPECT_EQ(s.report.count, 0) << s.report.text();
    // From the design leg, these lengths raise the leg to a height under the minimum.
    std::set<int> tooShort = {201, 203, 206, 208, 210};
    for (int length = 176; length <= 199; ++length)
        if (length != 195) tooShort.insert(length);
    EXPECT_EQ(lengthsRefusedFromFresh, tooShort) << setText(lengthsRefusedFromFresh);
}
