// fuzz_check INPUT...: replays inputs of the action fuzzer (files, or folders of them) through
// the same interpreter and checks, without libFuzzer or sanitizers, and says which of them break
// an invariant and what broke. Exit status 1 when any does, 2 when an input cannot be read.
// scripts/faults.sh runs it on the kept inputs against builds with planted faults.
//
// fuzz_check --show INPUT: the actions an input performs, as scenario lines.
// fuzz_check --encode INPUT: writes to INPUT the input that performs the scenario lines read
// from standard input ("drag frmduaspernas hsbperna 150"; the run itself starts with the splash
// shown), which is how seeds are written.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/driver.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> bytesOf(const fs::path& input, bool& ok) {
    std::ifstream in(input, std::ios::binary);
    ok = static_cast<bool>(in);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int encode(const char* output) {
    std::vector<fuzzing::Action> actions;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string verb, value;
        fuzzing::Action a;
        if (!(words >> verb) || verb[0] == '#') continue;
        words >> a.form;
        const auto named = forms::verbNamed(verb);
        if (!named) {
            std::fprintf(stderr, "fuzz_check: not an action: %s\n", line.c_str());
            return 2;
        }
        a.verb = *named;
        if (forms::namesControl(a.verb)) words >> a.control;
        if (words >> value) a.value = value == "+" ? 1 : value == "-" ? -1 : std::stoi(value);
        actions.push_back(a);
    }
    const fuzzing::Driver driver;
    const auto bytes = driver.encode(actions);
    std::ofstream out(output, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return out ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--encode") return encode(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "--show") {
        bool ok = false;
        const auto bytes = bytesOf(argv[2], ok);
        if (!ok) return 2;
        fuzzing::Driver driver;
        const auto outcome = driver.run(bytes);
        for (const auto& line : outcome.scenario) std::printf("%s\n", line.c_str());
        for (const auto& finding : outcome.findings) std::printf("== %s\n", finding.c_str());
        return outcome.findings.empty() ? 0 : 1;
    }
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        std::error_code ec;
        if (fs::is_directory(arg, ec)) {
            for (const auto& entry : fs::directory_iterator(arg, ec))
                if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                    inputs.push_back(entry.path());
        } else {
            inputs.push_back(arg);
        }
    }
    std::sort(inputs.begin(), inputs.end());

    fuzzing::Driver driver;
    int broken = 0;
    for (const fs::path& input : inputs) {
        bool ok = false;
        const auto bytes = bytesOf(input, ok);
        if (!ok) {
            std::fprintf(stderr, "fuzz_check: cannot read %s\n", input.string().c_str());
            return 2;
        }
        const fuzzing::Outcome outcome = driver.run(bytes);
        if (outcome.findings.empty()) continue;
        ++broken;
        std::printf("%s, after \"%s\": %s\n", input.filename().string().c_str(),
                    outcome.scenario.back().c_str(), outcome.findings.front().c_str());
    }
    std::printf("%zu inputs (%llu user actions), %d of them break an invariant\n", inputs.size(),
                static_cast<unsigned long long>(driver.counts().actions), broken);
    return broken ? 1 : 0;
}
