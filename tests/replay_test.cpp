// The scenario runner: the scenarios kept under tests/scenarios replay to their expected output
// line by line, and the runner's own rules (folding, refusals, exit status) hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "forms/json.h"
#include "tools/replay/replay.h"

namespace fs = std::filesystem;

namespace {

fs::path scenarioDir() {
    const char* dir = std::getenv("PERNADAS_SCENARIOS");
    return dir ? fs::path(dir) : fs::path("tests/scenarios");
}

std::vector<std::string> lines(std::istream& in) {
    std::vector<std::string> out;
    for (std::string s; std::getline(in, s);) out.push_back(s);
    return out;
}

std::string replayText(const std::string& scenario, int* status = nullptr) {
    replay::Runner runner;
    std::istringstream in(scenario);
    std::ostringstream out;
    const int s = runner.run(in, out);
    if (status) *status = s;
    return out.str();
}

}  // namespace

TEST(Scenarios, ReplayToTheirExpectedOutput) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(scenarioDir())) {
        if (entry.path().extension() != ".txt") continue;
        ++count;
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream scenario(entry.path());
        std::ifstream expectedFile(fs::path(entry.path()).replace_extension(".expected"));
        ASSERT_TRUE(expectedFile) << "no expected output beside the scenario";
        replay::Runner runner;
        std::ostringstream out;
        runner.run(scenario, out);
        std::istringstream got(out.str());
        const auto actual = lines(got);
        const auto expected = lines(expectedFile);
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_EQ(actual[i], expected[i]);
    }
    EXPECT_GE(count, 4);
}

TEST(Runner, FoldsBlanksSkipsCommentsAndSetsTheExitStatus) {
    int status = -1;
    const std::string out =
        replayText("  # a comment\n\n   show    frmduaspernas  \n\tdump\tfrmduaspernas\n", &status);
    EXPECT_EQ(status, 0);
    std::istringstream in(out);
    const auto got = lines(in);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].rfind("{\"cmd\":\"show frmduaspernas\"", 0), 0u);
    EXPECT_EQ(got[1].rfind("{\"cmd\":\"dump frmduaspernas\"", 0), 0u);

    replayText("show frmduaspernas\nfly away\n", &status);
    EXPECT_EQ(status, 1);
}

TEST(Runner, BadLinesChangeNothing) {
    const std::string good = replayText("show frmduaspernas\ndump frmduaspernas\n");
    const std::string withBad = replayText(
        "show frmduaspernas\ndrag frmduaspernas hsbperna 9999\narrow frmduaspernas hsbangsup "
        "+\ndrag frmduaspernas hsbperna 100000000000000000000\ndump frmduaspernas\n");
    std::istringstream a(good), b(withBad);
    const auto goodLines = lines(a), badLines = lines(b);
    EXPECT_EQ(goodLines.back(), badLines.back());
    EXPECT_NE(badLines[1].find("\"bad\""), std::string::npos);
    EXPECT_NE(badLines[3].find("off the track"), std::string::npos);
}

// A value typed on a phone is a drag, but the slider's own value is entered too: a fresh
// calculator's load of 1,00 m runs the load's handler, where a drag to it does nothing.
TEST(Runner, TypingTheSlidersOwnValueEntersIt) {
    const auto last = [](const std::string& scenario) {
        std::istringstream in(
            replayText("show frmduaspernas\n" + scenario + "dump frmduaspernas\n"));
        return lines(in).back();
    };
    const std::string fresh = last(""), dragged = last("drag frmduaspernas hsblcarga 100\n");
    const std::string typed = last("type frmduaspernas hsblcarga 100\n");
    EXPECT_EQ(dragged, fresh);
    EXPECT_NE(typed, fresh);
    EXPECT_NE(typed.find("\"txtlcarga\":{\"text\":\"1.00\""), std::string::npos) << typed;
    EXPECT_EQ(last("type frmduaspernas hsbperna 250\n"), last("drag frmduaspernas hsbperna 250\n"));
    // Off the track it is refused as a drag is, and changes nothing.
    EXPECT_EQ(last("type frmduaspernas hsblcarga 99\n"), fresh);
}

TEST(Runner, RefusedActionReportsTheErrorAndRestoresTheForm) {
    // Four-leg, 100 x 100: a leg of 75 gives a height below the slider's minimum.
    const std::string out = replayText(
        "show frmquatropernas\narrow frmquatropernas hsbccarga +\ndump frmquatropernas\n"
        "drag frmquatropernas hsbperna 75\ndump frmquatropernas\n");
    std::istringstream in(out);
    const auto got = lines(in);
    ASSERT_EQ(got.size(), 5u);
    EXPECT_NE(got[3].find("\"error\":{\"number\":380,\"kind\":\"InvalidPropertyValue\"}"),
              std::string::npos);
    EXPECT_EQ(got[2].substr(got[2].find("\"form\"")), got[4].substr(got[4].find("\"form\"")));
}

TEST(Runner, JsonStringsEscapeWhatTheyMust) {
    EXPECT_EQ(forms::jsonString("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
    EXPECT_EQ(forms::jsonString("Informação"), "\"Informação\"");
    // The output stays UTF-8 whatever bytes the scenario held.
    EXPECT_EQ(forms::jsonString("frm\xe9main"), "\"frm\xEF\xBF\xBDmain\"");
    EXPECT_EQ(forms::jsonString("\xC3"), "\"\xEF\xBF\xBD\"");
    EXPECT_EQ(forms::jsonString("\xED\xA0\x80"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");
}

TEST(Runner, AScenarioThatCannotBeReadIsNotARun) {
    replay::Runner runner;
    std::ifstream directory(scenarioDir());
    std::ostringstream out;
    EXPECT_EQ(runner.run(directory, out), 2);
    EXPECT_EQ(out.str(), "");
}

// A line of up to kMaxLine bytes is read as any other; a longer one is one bad line, answered
// with its first words, and the lines after it are performed. Lines that cross the runner's
// reads and a last line without its line end are whole lines.
TEST(Runner, ALineTooLongIsOneBadLine) {
    const std::string longest = "show frmmain" + std::string(replay::kMaxLine - 12, ' ');
    int status = -1;
    std::string out = replayText(longest + "\n" + longest + "x\ndump frmmain", &status);
    EXPECT_EQ(status, 1);
    std::istringstream in(out);
    const auto got = lines(in);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].rfind("{\"cmd\":\"show frmmain\",\"messages\"", 0), 0u);
    EXPECT_EQ(got[1], "{\"cmd\":\"show frmmain...\",\"bad\":\"line too long\"}");
    EXPECT_EQ(got[2].rfind("{\"cmd\":\"dump frmmain\",\"form\"", 0), 0u);

    // Its prefix is cut where a character begins, and stays UTF-8.
    out = replayText(std::string(31, 'a') + "\xC3\xA7" + std::string(replay::kMaxLine, 'b'));
    EXPECT_EQ(out, "{\"cmd\":\"" + std::string(31, 'a') + "...\",\"bad\":\"line too long\"}\n");

    // Many short lines, crossing every read.
    std::string many = "show frmduaspernas\n";
    for (int i = 0; i < 20000; ++i) many += i % 2 ? "dump frmduaspernas\n" : "# a comment\n";
    out = replayText(many, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 10001);
}

// Answers that cannot be written end the run at once: exit status 2, nothing more performed.
TEST(Runner, AnswersThatCannotBeWrittenEndTheRun) {
    struct Failing : replay::Channel {
        std::string scenario = "show frmmain\nshow frmduaspernas\n";
        int writes = 0;
        // One line at each read, as from a program that drives the runner line by line.
        long read(char* buffer, std::size_t size) override {
            const std::size_t n = std::min(size, scenario.find('\n') + 1);
            scenario.copy(buffer, n);
            scenario.erase(0, n);
            return static_cast<long>(n);
        }
        bool write(std::string_view) override {
            ++writes;
            return false;
        }
    } channel;
    replay::Runner runner;
    EXPECT_EQ(runner.run(channel), replay::kNotRun);
    EXPECT_EQ(channel.writes, 1);
    EXPECT_FALSE(runner.runtime().find("frmduaspernas")->loaded()) << "performed after a failure";
}
