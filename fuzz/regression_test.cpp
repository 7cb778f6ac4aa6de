// Every input the fuzzer keeps (its seeds in fuzz/corpus, and each input that once broke an
// invariant in fuzz/regressions) replayed through the same interpreter, in the ordinary build.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "calculators/duaspernas.h"
#include "calculators/quatropernas.h"
#include "forms/form.h"
#include "forms/runtime.h"
#include "fuzz/driver.h"
#include "fuzz/invariants.h"
#include "fuzz/reference.h"

namespace fs = std::filesystem;
using fuzzing::Action;
using fuzzing::Driver;
using fuzzing::Verb;

namespace {

fs::path inputsDir() {
    const char* dir = std::getenv("PERNADAS_FUZZ_INPUTS");
    return dir ? fs::path(dir) : fs::path("fuzz");
}

std::vector<fs::path> filesIn(const fs::path& dir) {
    std::vector<fs::path> files;
    if (fs::is_directory(dir))
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string scenarioText(const fuzzing::Outcome& outcome) {
    std::string s;
    for (const auto& line : outcome.scenario) s += "  " + line + "\n";
    for (const auto& finding : outcome.findings) s += "  == " + finding + "\n";
    return s;
}

void expectAllHold(const std::vector<fs::path>& files) {
    Driver driver;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const auto outcome = driver.run(bytesOf(file));
        EXPECT_TRUE(outcome.findings.empty()) << scenarioText(outcome);
    }
}

}  // namespace

TEST(FuzzRegressions, EveryKeptCrashInputNowHolds) {
    expectAllHold(filesIn(inputsDir() / "regressions"));
}

TEST(FuzzRegressions, EverySeedHolds) {
    const auto seeds = filesIn(inputsDir() / "corpus");
    EXPECT_FALSE(seeds.empty()) << "no seeds under " << inputsDir();
    expectAllHold(seeds);
}

// The interpreter performs what the bytes say, in the order they say it, and skips what a
// user could not do (an action on a form that is not loaded).
TEST(FuzzDriver, BytesBecomeTheActionsTheyEncode) {
    Driver driver;
    const std::vector<Action> actions = {
        {Verb::Tick, "frmsplashscreen", "Timer1", 0},
        {Verb::Click, "frmmain", "command2", 0},
        {Verb::Select, "frmtrespernas", "Option2", 0},
        {Verb::Drag, "frmtrespernas", "hsblcarga", 1200},
        {Verb::Type, "frmtrespernas", "hsblcarga", 1200},
        {Verb::Page, "frmtrespernas", "hsbperna", -1},
        {Verb::Arrow, "frmtrespernas", "hsbperna", +1},
        {Verb::Click, "frmtrespernas", "Command2", 0},
        {Verb::Drag, "frmduaspernas", "hsbperna", 50},  // not loaded: skipped
        {Verb::Click, "frmtrespernas", "Command4", 0},
        {Verb::Close, "frmmain", {}, 0},
    };
    const auto outcome = driver.run(driver.encode(actions));
    EXPECT_TRUE(outcome.findings.empty()) << scenarioText(outcome);
    EXPECT_EQ(outcome.scenario,
              (std::vector<std::string>{
                  "show frmsplashscreen", "tick frmsplashscreen Timer1", "click frmmain command2",
                  "select frmtrespernas Option2", "drag frmtrespernas hsblcarga 1200",
                  "type frmtrespernas hsblcarga 1200", "page frmtrespernas hsbperna -",
                  "arrow frmtrespernas hsbperna +", "click frmtrespernas Command2",
                  "click frmtrespernas Command4", "close frmmain"}));
}

// The checks are not vacuous: a read-out that disagrees with its slider, a colour of the wrong
// band and a form not put back are each reported.
TEST(FuzzDriver, InvariantsSeeReadOutsThatDisagree) {
    struct Quiet : forms::Host {
        void messageBox(const forms::Message&) override {}
    } host;
    forms::FormsRuntime rt(host);
    auto& f = rt.add<calculators::frmduaspernas>();
    rt.showForm(f);
    ASSERT_FALSE(rt.drag(f.hsblcarga, forms::Int(std::int16_t{200})));
    ASSERT_FALSE(rt.drag(f.hsbperna, forms::Int(std::int16_t{300})));
    const auto good = f.snapshot();
    invariants::Findings found;
    invariants::checkCalculator(f, found);
    EXPECT_TRUE(found.empty());

    auto& leg = *f.find("txtperna");
    leg.text = "3.01";
    invariants::checkCalculator(f, found);
    EXPECT_EQ(found.size(), 1u);
    f.restore(good);
    f.find("txtanginf")->back = calculators::kYellow;
    invariants::checkCalculator(f, found);
    EXPECT_EQ(found.size(), 2u);
    invariants::checkRestored(f, good, found);
    EXPECT_EQ(found.size(), 3u);
    f.restore(good);
    f.find("hsbaltura")->value = 150;  // the height read-out still shows the old height
    invariants::checkCalculator(f, found);
    EXPECT_EQ(found.size(), 4u);
}

// The independent account agrees with worked examples of each calculator, and a state that
// differs from it in a number, a text, a colour, a message or a refusal is reported.
TEST(FuzzReference, AgreesWithWorkedExamplesAndSeesWhatDiffers) {
    struct Boxes : forms::Host {
        std::vector<reference::Judge::Box> shown;
        void messageBox(const forms::Message& m) override {
            shown.push_back({m.style, m.title, m.text});
        }
        void errorBox(const forms::RuntimeError&, const forms::Message&) override {}
    } host;
    forms::FormsRuntime rt(host);
    auto& two = rt.add<calculators::frmduaspernas>();
    auto& four = rt.add<calculators::frmquatropernas>();
    const auto judged = [&](forms::Form& form, std::string_view slider, int value) {
        host.shown.clear();
        reference::Judge judge(form, reference::Act::Drag, slider, value);
        forms::Slider s(*form.find(slider));
        const auto refused = rt.drag(s, forms::Int(static_cast<std::int16_t>(value)));
        std::optional<forms::ErrorKind> error;
        if (refused) error = refused->kind();
        invariants::Findings found;
        judge.check(form, error, host.shown, found);
        return found;
    };

    // Two legs, just shown, the leg to 150: p 150, h 141, a 39, and the load prompt once.
    rt.showForm(two);
    reference::Judge judge(two, reference::Act::Drag, "hsbperna", 150);
    EXPECT_EQ(judge.expected().messages,
              std::vector<std::string>{
                  "Introduza, em primeiro lugar, através do cursor, a medida da carga!"});
    EXPECT_TRUE(judged(two, "hsbperna", 150).empty());
    EXPECT_EQ(two.find("hsbaltura")->value, 141);
    EXPECT_EQ(two.find("hsbangsup")->value, 39);
    EXPECT_EQ(two.find("txtaltura")->text, "1.41");

    // Four legs 100 x 100, the leg to 75: the height would be below 49, so it is refused.
    rt.showForm(four);
    EXPECT_TRUE(judged(four, "hsbccarga", 101).empty());
    reference::Judge refusal(four, reference::Act::Drag, "hsbperna", 75);
    EXPECT_EQ(refusal.expected().error, forms::ErrorKind::InvalidPropertyValue);

    // What differs is reported: a number, a read-out, a colour, a message, a refusal.
    reference::Judge next(two, reference::Act::Drag, "hsblcarga", 200);
    forms::Slider load(*two.find("hsblcarga"));
    ASSERT_FALSE(rt.drag(load, forms::Int(std::int16_t{200})));
    const auto good = two.snapshot();
    const auto findings = [&](const std::optional<forms::ErrorKind>& error,
                              const std::vector<reference::Judge::Box>& shown) {
        invariants::Findings found;
        next.check(two, error, shown, found);
        two.restore(good);
        return found.size();
    };
    EXPECT_EQ(findings({}, {}), 0u);
    two.find("hsbangsup")->value = 163;
    EXPECT_EQ(findings({}, {}), 1u);
    two.find("txtaltura")->text = "0.15";
    EXPECT_EQ(findings({}, {}), 1u);
    two.find("txtanginf")->back = calculators::kYellow;
    EXPECT_EQ(findings({}, {}), 1u);
    EXPECT_EQ(findings({}, {{64, "Informação",
                             "Introduza, em primeiro lugar, através do cursor, "
                             "a medida da carga!"}}),
              1u);
    EXPECT_EQ(findings(forms::ErrorKind::Overflow, {}), 1u);
}
