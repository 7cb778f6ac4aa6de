// The headless scenario runner: one line of a scenario is one user action or query on the
// program's forms, answered by one JSON object on one line.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/runtime.h"

namespace replay {

class Runner : public forms::Host {
  public:
    Runner();
    ~Runner() override;

    // Performs one scenario line. Returns the JSON object it answers, or an empty text for a
    // blank or comment line. Sets `bad` when the line could not be performed.
    std::string line(std::string_view text, bool& bad);

    // Runs a whole scenario; returns the exit status (0 all performed, 1 some line was bad).
    int run(std::istream& in, std::ostream& out);

    forms::FormsRuntime& runtime() { return *runtime_; }

  private:
    void messageBox(const forms::Message& message) override;
    void errorBox(const forms::RuntimeError& error, const forms::Message& message) override;

    std::string perform(const std::string& cmd, const std::vector<std::string>& words, bool& bad);
    std::string dump(const std::string& cmd, forms::Form& form);

    std::unique_ptr<forms::FormsRuntime> runtime_;
    std::vector<forms::Message> messages_;
};

// A JSON string literal, quotes included.
std::string jsonString(std::string_view text);

}  // namespace replay
