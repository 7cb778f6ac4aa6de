// peak_rss REPORT SECONDS PROGRAM [ARGS...]: runs PROGRAM with this process's standard input,
// output and error, and writes to the file REPORT how much memory it held at its peak and how it
// ended:
//
//   peak_kib 3516
//   ended exit 1          (or "ended signal 15")
//
// With SECONDS above 0, a program still running after that many seconds is sent SIGTERM; that
// is how the tests see that a runner reading an endless input keeps its memory bounded.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: peak_rss REPORT SECONDS PROGRAM [ARGS...]\n");
        return 125;
    }
    const char* report = argv[1];
    const double seconds = std::atof(argv[2]);

    const pid_t child = fork();
    if (child < 0) {
        std::perror("peak_rss: fork");
        return 125;
    }
    if (child == 0) {
        execvp(argv[3], argv + 3);
        std::fprintf(stderr, "peak_rss: cannot run %s: %s\n", argv[3], std::strerror(errno));
        _exit(127);
    }

    int status = 0;
    rusage usage{};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        const pid_t done = wait4(child, &status, seconds > 0 ? WNOHANG : 0, &usage);
        if (done == child) break;
        if (done < 0 && errno != EINTR) {
            std::perror("peak_rss: wait4");
            return 125;
        }
        if (done == 0 && std::chrono::steady_clock::now() >= deadline) {
            kill(child, SIGTERM);
            if (wait4(child, &status, 0, &usage) != child) return 125;
            break;
        }
        if (done == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    std::FILE* out = std::fopen(report, "w");
    if (!out) {
        std::perror("peak_rss: report");
        return 125;
    }
    // ru_maxrss is in kibibytes on Linux.
    std::fprintf(out, "peak_kib %ld\n", usage.ru_maxrss);
    if (WIFEXITED(status))
        std::fprintf(out, "ended exit %d\n", WEXITSTATUS(status));
    else
        std::fprintf(out, "ended signal %d\n", WTERMSIG(status));
    return std::fclose(out) == 0 ? 0 : 125;
}
