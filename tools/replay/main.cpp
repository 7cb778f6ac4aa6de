// pernadas-replay [SCENARIO]: drives the program's forms headless, one JSON line per command.
//
// Exit status: 0 when every line was performed, 1 when some line was bad, 2 when the scenario
// could not be read or the answers could not be written (with the reason on standard error). A
// reader that goes away (`| head -1`) ends the run at once and quietly, by SIGPIPE as for any
// filter.
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

#include "tools/replay/replay.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
int openForReading(const char* path) {
    return _open(path, _O_RDONLY | _O_BINARY);
}
long readSome(int fd, char* buffer, std::size_t size) {
    return _read(fd, buffer, static_cast<unsigned>(size > 1u << 30 ? 1u << 30 : size));
}
long writeSome(int fd, const char* bytes, std::size_t size) {
    return _write(fd, bytes, static_cast<unsigned>(size > 1u << 30 ? 1u << 30 : size));
}
bool descriptorOpen(int) {
    return true;  // a closed one fails at the first write
}
#else
int openForReading(const char* path) {
    return open(path, O_RDONLY | O_CLOEXEC);
}
long readSome(int fd, char* buffer, std::size_t size) {
    return static_cast<long>(read(fd, buffer, size));
}
long writeSome(int fd, const char* bytes, std::size_t size) {
    return static_cast<long>(write(fd, bytes, size));
}
bool descriptorOpen(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}
#endif

// Waits until a descriptor set to non-blocking by whoever passed it can go on.
void await(int fd, bool forWriting) {
#ifdef _WIN32
    (void)fd, (void)forWriting;
#else
    pollfd p{fd, static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    poll(&p, 1, -1);
#endif
}

// The scenario from a descriptor, the answers to standard output, each failure with its reason.
class Descriptors : public replay::Channel {
  public:
    Descriptors(int in, std::string inName) : in_(in), inName_(std::move(inName)) {}

    long read(char* buffer, std::size_t size) override {
        for (;;) {
            const long got = readSome(in_, buffer, size);
            if (got >= 0) return got;
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                await(in_, false);
                continue;
            }
            failure_ = "cannot read " + inName_ + ": " + std::strerror(errno);
            return -1;
        }
    }

    bool write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const long put = writeSome(1, bytes.data(), bytes.size());
            if (put > 0) {
                bytes.remove_prefix(static_cast<std::size_t>(put));
                continue;
            }
            if (put < 0 && errno == EINTR) continue;
            if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                await(1, true);
                continue;
            }
            // Nobody reads the answers any more: nothing to say, and nobody to say it to.
            if (put < 0 && errno == EPIPE) return false;
            failure_ = std::string("cannot write standard output: ") +
                       (put < 0 ? std::strerror(errno) : "nothing was written");
            return false;
        }
        return true;
    }

    // Why the run stopped, or empty.
    const std::string& failure() const { return failure_; }

  private:
    int in_;
    std::string inName_;
    std::string failure_;
};

int notRun(const std::string& why) {
    std::cerr << "pernadas-replay: " << why << '\n';
    return replay::kNotRun;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::cerr << "usage: pernadas-replay [SCENARIO]\n";
        return replay::kNotRun;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "pernadas-replay " PERNADAS_VERSION "\n" << std::flush;
        return std::cout ? 0 : notRun("cannot write standard output");
    }
#ifdef SIGPIPE
    // Whatever the parent set: a reader that goes away ends the run at once, without a word.
    std::signal(SIGPIPE, SIG_DFL);
#endif
#ifdef _WIN32
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
#endif
    // Checked first, so that no descriptor opened below can take its place.
    if (!descriptorOpen(1)) return notRun("cannot write standard output: it is closed");

    int in = 0;
    std::string inName = "standard input";
    if (argc == 2) {
        in = openForReading(argv[1]);
        inName = argv[1];
        if (in < 0) return notRun("cannot read " + inName + ": " + std::strerror(errno));
    }
    Descriptors channel(in, inName);
    replay::Runner runner;
    const int status = runner.run(channel);
    if (status == replay::kNotRun && !channel.failure().empty()) return notRun(channel.failure());
    return status;
}
