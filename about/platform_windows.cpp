// The platform on Windows: the real registry through advapi32 (its three functions looked up by
// name at their first use), the real file attributes, and a real process launch.
#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "about/platform.h"

namespace about {

namespace {

using RegOpenKeyExAFn = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
using RegQueryValueExAFn = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
using RegCloseKeyFn = LONG(WINAPI*)(HKEY);

struct Advapi {
    RegOpenKeyExAFn open = nullptr;
    RegQueryValueExAFn query = nullptr;
    RegCloseKeyFn close = nullptr;
};

template <class Fn>
Fn lookUp(HMODULE module, const char* name) {
    const FARPROC proc = ::GetProcAddress(module, name);
    if (!proc) throw PlatformError(std::string("advapi32 has no ") + name);
    // Through a plain function pointer type, which every function pointer converts to and from.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

// The three functions, found at the first call; a failed lookup fails that call and is tried
// again at the next.
const Advapi& advapi() {
    static Advapi found;
    if (!found.open || !found.query || !found.close) {
        const HMODULE module = ::LoadLibraryA("advapi32.dll");
        if (!module) throw PlatformError("advapi32 cannot be loaded");
        Advapi fns;
        fns.open = lookUp<RegOpenKeyExAFn>(module, "RegOpenKeyExA");
        fns.query = lookUp<RegQueryValueExAFn>(module, "RegQueryValueExA");
        fns.close = lookUp<RegCloseKeyFn>(module, "RegCloseKey");
        found = fns;  // the library stays loaded for the rest of the run
    }
    return found;
}

// A root key given as a 32-bit number: the system's predefined handles are those numbers
// sign-extended to the width of a pointer.
HKEY rootHandle(std::uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

HKEY keyHandle(KeyHandle key) {
    return reinterpret_cast<HKEY>(key);
}

bool hasNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

class WindowsPlatform final : public Platform {
  public:
    long openKey(std::uint32_t root, std::string_view path, std::uint32_t access,
                 KeyHandle& key) override {
        // A NUL inside the path would cut it short and open some other key.
        if (hasNul(path)) return kStatusInvalidParameter;
        const Advapi& api = advapi();
        HKEY opened = nullptr;
        const std::string p(path);
        const LONG rc =
            api.open(rootHandle(root), p.c_str(), 0, static_cast<REGSAM>(access), &opened);
        if (rc == ERROR_SUCCESS) key = reinterpret_cast<KeyHandle>(opened);
        return rc;
    }

    QueryResult queryValue(KeyHandle key, std::string_view name,
                           std::span<std::byte, kValueBufferSize> buffer) override {
        if (hasNul(name)) return {kStatusInvalidParameter, 0, 0};
        const Advapi& api = advapi();
        const std::string n(name);
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(buffer.size());
        const LONG rc = api.query(keyHandle(key), n.c_str(), nullptr, &type,
                                  reinterpret_cast<LPBYTE>(buffer.data()), &size);
        return {rc, static_cast<std::uint32_t>(type), static_cast<std::uint32_t>(size)};
    }

    void closeKey(KeyHandle key) override { advapi().close(keyHandle(key)); }

    bool fileExists(std::string_view path) override {
        failure_.clear();
        if (path.empty() || hasNul(path)) return false;
        const DWORD attributes = ::GetFileAttributesA(std::string(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return failed("GetFileAttributesA");
        constexpr DWORD kNotOrdinary =
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if ((attributes & kNotOrdinary) == 0) return true;
        failure_ = "attributes " + std::to_string(attributes);
        return false;
    }

    bool launch(std::string_view path) override {
        failure_.clear();
        if (path.empty() || hasNul(path) || path.find('"') != std::string_view::npos) return false;
        const std::string application(path);
        // The program is named on its own, so no search happens; its command line is just its
        // own name, quoted, as programs expect in their first argument.
        std::string line = "\"" + application + "\"";
        std::vector<char> commandLine(line.begin(), line.end());
        commandLine.push_back('\0');

        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessA(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &process))
            return failed("CreateProcessA");
        // Not waited for: the program runs on its own.
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return true;
    }

    std::string lastFailure() const override { return failure_; }

  private:
    bool failed(const char* call) {
        failure_ = std::string(call) + " error " + std::to_string(::GetLastError());
        return false;
    }

    std::string failure_;
};

}  // namespace

Platform& machinePlatform() {
    static WindowsPlatform platform;
    return platform;
}

}  // namespace about

#endif  // _WIN32
