// The platform on Linux and other POSIX systems. There is no registry: a read-only stand-in store
// answers the launcher's first lookup with the first system-information program found on PATH,
// and has nothing for the second. Programs are started with posix_spawn, never through a shell.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "about/platform.h"

extern char** environ;

namespace about {

namespace {

// The only key the store holds, and its only value.
constexpr std::string_view kToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr std::string_view kToolValue = "PATH";
constexpr KeyHandle kToolHandle = 1;

// In order of preference.
constexpr std::array<std::string_view, 4> kTools = {"hardinfo2", "hardinfo", "kinfocenter",
                                                    "gnome-system-monitor"};

// Registry names compare without regard to case.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool hasNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

bool executableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::string searchPath() {
    if (const char* path = std::getenv("PATH")) return path;
    // Unset PATH: the system's default search path, as the exec family uses.
    std::string fallback(::confstr(_CS_PATH, nullptr, 0), '\0');
    if (!fallback.empty()) {
        ::confstr(_CS_PATH, fallback.data(), fallback.size());
        fallback.pop_back();
    }
    return fallback;
}

// The absolute path of the first tool found, or an empty text. Entries of PATH that are not
// absolute (an empty entry means the working directory) are skipped: the store answers with an
// absolute path, never one that depends on where the program happens to run.
std::string findTool() {
    std::vector<std::string> dirs;
    const std::string path = searchPath();
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        std::string dir = path.substr(start, end - start);
        if (!dir.empty() && dir.front() == '/') {
            while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
            dirs.push_back(dir == "/" ? std::string() : dir);
        }
        start = end + 1;
    }
    for (std::string_view tool : kTools)
        for (const std::string& dir : dirs) {
            std::string candidate = dir + "/" + std::string(tool);
            if (executableFile(candidate)) return candidate;
        }
    return {};
}

// Starts `path` as a grandchild: an intermediate child spawns it and exits at once, so the program
// is adopted by the system's reaper and never lingers as our zombie. The spawn's result comes
// back through a pipe, so it is known even where children are reaped automatically.
bool spawnDetached(const std::string& path) {
    // Everything the intermediate child needs is prepared before the fork: after it, the child of
    // a multi-threaded process may call little more than posix_spawn, write and _exit.
    posix_spawnattr_t attr;
    if (::posix_spawnattr_init(&attr) != 0) return false;
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef POSIX_SPAWN_SETSID
    flags |= POSIX_SPAWN_SETSID;  // its own session: a signal to ours does not reach it
#else
    flags |= POSIX_SPAWN_SETPGROUP;
    ::posix_spawnattr_setpgroup(&attr, 0);
#endif
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    ::posix_spawnattr_setsigmask(&attr, &none);
    ::posix_spawnattr_setsigdefault(&attr, &all);
    ::posix_spawnattr_setflags(&attr, flags);

    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);  // only the standard streams pass on
#endif

    std::string arg0 = path;
    char* argv[] = {arg0.data(), nullptr};

    bool started = false;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) == 0) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(fds[0]);
            pid_t program = 0;
            const int rc = ::posix_spawn(&program, path.c_str(), &actions, &attr, argv, environ);
            [[maybe_unused]] const auto n = ::write(fds[1], &rc, sizeof rc);
            ::_exit(0);
        }
        ::close(fds[1]);
        if (child > 0) {
            int rc = -1;
            ssize_t n;
            do n = ::read(fds[0], &rc, sizeof rc);
            while (n < 0 && errno == EINTR);
            started = n == ssize_t(sizeof rc) && rc == 0;
            int status;
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
        }
        ::close(fds[0]);
    }
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attr);
    return started;
}

class PosixPlatform final : public Platform {
  public:
    long openKey(std::uint32_t root, std::string_view path, std::uint32_t,
                 KeyHandle& key) override {
        if (root != kLocalMachine || !sameName(path, kToolKey)) return kStatusNotFound;
        key = kToolHandle;
        return kStatusOk;
    }

    QueryResult queryValue(KeyHandle key, std::string_view name,
                           std::span<std::byte, kValueBufferSize> buffer) override {
        if (key != kToolHandle) return {kStatusInvalidHandle, 0, 0};
        if (!sameName(name, kToolValue)) return {kStatusNotFound, 0, 0};
        const std::string tool = findTool();
        if (tool.empty()) return {kStatusNotFound, 0, 0};
        // Stored as text values are: with the terminating NUL.
        const std::size_t size = tool.size() + 1;
        if (size > buffer.size()) return {kStatusMoreData, kTypeText, std::uint32_t(size)};
        std::memcpy(buffer.data(), tool.c_str(), size);
        return {kStatusOk, kTypeText, std::uint32_t(size)};
    }

    void closeKey(KeyHandle) override {}

    // A regular file whose name does not begin with a dot (hidden, on POSIX).
    bool fileExists(std::string_view path) override {
        if (path.empty() || hasNul(path)) return false;
        const std::size_t slash = path.rfind('/');
        const std::string_view base =
            slash == std::string_view::npos ? path : path.substr(slash + 1);
        if (base.empty() || base.front() == '.') return false;
        struct stat st {};
        return ::stat(std::string(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }

    bool launch(std::string_view path) override {
        // A NUL inside the path would cut it short and start some other program.
        if (path.empty() || hasNul(path)) return false;
        return spawnDetached(std::string(path));
    }
};

}  // namespace

Platform& machinePlatform() {
    static PosixPlatform platform;
    return platform;
}

}  // namespace about
