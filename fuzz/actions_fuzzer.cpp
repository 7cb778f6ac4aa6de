// libFuzzer entry: every input is a sequence of user actions on the program (see driver.h). A
// broken invariant aborts with what was found and the actions, as a scenario for
// pernadas-replay, that led to it. At its end the fuzzer says how many runs and user actions it
// performed, and how many actions on a calculator fell on a rounding boundary and went unjudged.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/driver.h"

namespace {

fuzzing::Driver& driver() {
    static fuzzing::Driver d;
    return d;
}

void sayCounts() {
    const auto& c = driver().counts();
    std::fprintf(stderr, "stat::user_actions: %llu\nstat::runs_of_actions: %llu\n",
                 static_cast<unsigned long long>(c.actions),
                 static_cast<unsigned long long>(c.runs));
    std::fprintf(stderr, "stat::unjudged_actions: %llu\n",
                 static_cast<unsigned long long>(c.unjudged));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    driver();
    std::atexit(sayCounts);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzzing::Outcome outcome = driver().run({data, size});
    if (outcome.findings.empty()) return 0;
    std::fprintf(stderr, "== broken invariant after the last of these actions:\n");
    for (const auto& line : outcome.scenario) std::fprintf(stderr, "%s\n", line.c_str());
    for (const auto& finding : outcome.findings) std::fprintf(stderr, "== %s\n", finding.c_str());
    std::abort();
}
