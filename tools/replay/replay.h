// The headless scenario runner: one line of a scenario is one user action or query on the
// program's forms, answered by one JSON object on one line.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/runtime.h"

namespace replay {

// The longest scenario line, in bytes, not counting its line end. A longer line is one bad line
// ("line too long"), read past without being kept.
inline constexpr std::size_t kMaxLine = 4096;

// The exit statuses of a run.
inline constexpr int kAllPerformed = 0;  // every line was performed
inline constexpr int kSomeBad = 1;       // some line could not be performed
inline constexpr int kNotRun = 2;        // the scenario could not be read, or the answers written

// Where a run reads its scenario and writes its answers.
class Channel {
  public:
    virtual ~Channel() = default;
    // Up to `size` bytes of the scenario into `buffer`: the number read, 0 at its end, or -1 when
    // it cannot be read.
    virtual long read(char* buffer, std::size_t size) = 0;
    // All of `bytes`; false when they cannot be written.
    virtual bool write(std::string_view bytes) = 0;
};

class Runner : public forms::Host {
  public:
    Runner();
    ~Runner() override;

    // Performs one scenario line. Returns the JSON object it answers, or an empty text for a
    // blank or comment line. Sets `bad` when the line could not be performed.
    std::string line(std::string_view text, bool& bad);

    // The answer to a line longer than kMaxLine, of which `prefix` holds the first bytes.
    std::string tooLong(std::string_view prefix);

    // Runs a whole scenario and returns the exit status. It keeps at most one line and a few
    // answers in memory, whatever the size of the scenario. The answers are written whenever
    // the scenario has nothing more to read at once, so that a program driving the runner line
    // by line gets each answer; the run ends at once when they cannot be written.
    int run(Channel& channel);
    // The same from a stream to a stream.
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

}  // namespace replay
