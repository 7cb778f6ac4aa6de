#include "about/sysinfo.h"

#include <array>
#include <cstddef>

namespace about {

bool GetKeyValue(Platform& platform, std::uint32_t rootKey, std::string_view keyPath,
                 std::string_view valueName, std::string& result) {
    KeyHandle key{};
    // Read rights only: the lookup never writes, and write rights on a machine-wide key are
    // refused to ordinary users.
    if (platform.openKey(rootKey, keyPath, kKeyRead, key) != kStatusOk) {
        result.clear();
        return false;
    }
    // Closes the key on every way out, an error thrown by the platform included.
    struct Closer {
        Platform& platform;
        KeyHandle key;
        ~Closer() {
            try {
                platform.closeKey(key);
            } catch (const PlatformError&) {
                // The result of closing is of no interest.
            }
        }
    } closer{platform, key};

    std::array<std::byte, kValueBufferSize> buffer{};
    const QueryResult q = platform.queryValue(key, valueName, buffer);
    // A value that did not fit counts as missing, however the platform reported it.
    if (q.status != kStatusOk || q.bytes > buffer.size()) {
        result.clear();
        return false;
    }

    // The text is as long as the bytes written, less a NUL in the last written place.
    const auto* chars = reinterpret_cast<const char*>(buffer.data());
    std::size_t length = q.bytes;
    if (length > 0 && chars[length - 1] == '\0') --length;

    if (q.type == kTypeText) {
        result.assign(chars, length);
    } else if (q.type == kTypeNumber) {
        std::uint32_t n = 0;
        for (std::size_t i = 4; i-- > 0;) n = (n << 8) | std::to_integer<std::uint32_t>(buffer[i]);
        result = std::to_string(n);
    }
    return true;
}

void StartSysInfo(Platform& platform, forms::FormsRuntime& runtime) {
    bool started = false;
    try {
        std::string path;
        if (GetKeyValue(platform, kLocalMachine, kToolKey, kToolValue, path)) {
            // The tool's own entry is trusted as it stands: no existence test.
            started = platform.launch(path);
        } else if (GetKeyValue(platform, kLocalMachine, kToolFolderKey, kToolFolderValue, path)) {
            path += kToolFile;
            started = platform.fileExists(path) && platform.launch(path);
        }
    } catch (const PlatformError&) {
        // The platform failed (no registry functions, say): the box below says so.
        started = false;
    } catch (const forms::RuntimeError&) {
        // So does a run-time error on the way.
        started = false;
    }
    if (!started) runtime.plainBox(kUnavailable);
}

}  // namespace about
