// A stand-in for the system-information tool. When the environment variable PERNADAS_MARKER
// names a file, it writes into it two lines, its command line and how it was asked to show its
// window ("show 1" for a normal window, "show default" when nothing was asked), and ends.
// Without the variable it just ends.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

int main() {
    char name[MAX_PATH];
    const DWORD n = ::GetEnvironmentVariableA("PERNADAS_MARKER", name, sizeof name);
    if (n == 0 || n >= sizeof name) return 0;

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoA(&startup);
    std::string text = ::GetCommandLineA();
    text += "\nshow ";
    text += (startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_string(startup.wShowWindow)
                                                     : std::string("default");
    text += "\n";

    // Written under another name and then renamed, so the marker appears whole or not at all.
    const std::string marker(name, n);
    const std::string partial = marker + ".partial";
    const HANDLE file = ::CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok =
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    if (!ok || written != text.size()) return 1;
    return ::MoveFileExA(partial.c_str(), marker.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
