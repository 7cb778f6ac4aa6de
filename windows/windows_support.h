// What the Windows tests need around the code they test: Wine's (or Windows') own reg.exe to
// prepare the registry, scratch folders, copies of the marker program, and waiting for a marker.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace windows_test {

// One argument quoted for a program that splits its command line as the C runtime does:
// backslashes are literal except before a quote, where each doubles.
inline std::string argument(std::string_view arg) {
    std::string out = "\"";
    std::size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    out += '"';
    return out;
}

// Runs `program` with `args`, waits for it, and returns its exit code (-1 if it did not start).
inline int run(const std::string& program, std::initializer_list<std::string_view> args) {
    std::string line = argument(program);
    for (std::string_view a : args) line += " " + argument(a);
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');
    // Its output goes nowhere: the exit code tells what happened.
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE nowhere = ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = nowhere;
    startup.hStdError = nowhere;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr,
                                          TRUE, 0, nullptr, nullptr, &startup, &process);
    if (nowhere != INVALID_HANDLE_VALUE) ::CloseHandle(nowhere);
    if (!started) return -1;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// Whether this runs under Wine rather than on Windows itself.
inline bool underWine() {
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

inline std::string systemDirectory() {
    char dir[MAX_PATH];
    const UINT n = ::GetSystemDirectoryA(dir, sizeof dir);
    return std::string(dir, n);
}

// The system's reg.exe with these arguments ("add", "HKLM\\...", "/v", ...); its exit code.
inline int reg(std::initializer_list<std::string_view> args) {
    return run(systemDirectory() + "\\reg.exe", args);
}

// The folder this test program runs from, where the build puts the marker program too.
inline std::filesystem::path programFolder() {
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
    return std::filesystem::path(std::string(path, n)).parent_path();
}

inline std::filesystem::path markerProgram() {
    return programFolder() / "pernadas-marker.exe";
}

// A new, empty folder under the temporary folder, removed with everything in it at the end.
struct ScratchFolder {
    std::filesystem::path path;

    ScratchFolder() {
        static int count = 0;
        path =
            std::filesystem::temp_directory_path() /
            ("pernadas-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++count));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ec;
        // Attributes such as read-only or system would stop the removal.
        for (const auto& e : std::filesystem::recursive_directory_iterator(path, ec))
            ::SetFileAttributesA(e.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string operator/(std::string_view name) const { return (path / name).string(); }
};

inline std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The contents of the file at `path` once it exists, or nothing after `limit`.
inline std::optional<std::string> waitForFile(
    const std::string& path, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (auto text = readFile(path)) return text;
        if (std::chrono::steady_clock::now() >= end) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace windows_test
