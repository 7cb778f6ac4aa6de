// libFuzzer entry: every input is a sequence of user actions on the program (see driver.h). A
// broken invariant aborts with what was found and the actions, as a scenario for
// pernadas-replay, that led to it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/driver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzing::Driver driver;
    const fuzzing::Outcome outcome = driver.run({data, size});
    if (outcome.findings.empty()) return 0;
    std::fprintf(stderr, "== broken invariant after the last of these actions:\n");
    for (const auto& line : outcome.scenario) std::fprintf(stderr, "%s\n", line.c_str());
    for (const auto& finding : outcome.findings) std::fprintf(stderr, "== %s\n", finding.c_str());
    std::abort();
}
