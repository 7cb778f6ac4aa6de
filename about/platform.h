// What the system-information launcher needs from the operating system: a registry-like store of
// keys and values, a test for an ordinary file, and the launch of a program. The launcher is
// written once against this interface; each platform supplies its own, and tests a fake.
//
// Texts are passed as they are, byte for byte, in the platform's narrow encoding (the ANSI code
// page on Windows, the file system's bytes on POSIX).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace about {

// Registry roots, as 32-bit numbers.
inline constexpr std::uint32_t kLocalMachine = 0x80000002;

// Status codes of the store: 0 is success, anything else a failure.
inline constexpr long kStatusOk = 0;
inline constexpr long kStatusNotFound = 2;
inline constexpr long kStatusAccessDenied = 5;
inline constexpr long kStatusInvalidHandle = 6;
inline constexpr long kStatusInvalidParameter = 87;
inline constexpr long kStatusMoreData = 234;  // the value does not fit the buffer

// Value types.
inline constexpr std::uint32_t kTypeText = 1;    // text, normally ending in a NUL byte
inline constexpr std::uint32_t kTypeNumber = 4;  // 32-bit number, little-endian

// Access rights for opening a key: query values, enumerate sub-keys, notify, read control.
inline constexpr std::uint32_t kKeyRead = 0x20019;

inline constexpr std::size_t kValueBufferSize = 1024;

using KeyHandle = std::uintptr_t;

// A failure of the platform itself, such as a registry function that cannot be found. The
// launcher turns it into its message; any other exception is a fault of the program and goes on.
class PlatformError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct QueryResult {
    long status = kStatusNotFound;
    std::uint32_t type = 0;
    std::uint32_t bytes = 0;  // bytes written; on kStatusMoreData, the size the value needs
};

class Platform {
  public:
    virtual ~Platform() = default;

    // Opens `path` under `root`. Returns kStatusOk and sets `key`, or another status.
    virtual long openKey(std::uint32_t root, std::string_view path, std::uint32_t access,
                         KeyHandle& key) = 0;
    // Reads the value `name` of an open key into `buffer`.
    virtual QueryResult queryValue(KeyHandle key, std::string_view name,
                                   std::span<std::byte, kValueBufferSize> buffer) = 0;
    virtual void closeKey(KeyHandle key) = 0;

    // Whether `path` names an ordinary file: not a directory, not hidden, not a system file.
    virtual bool fileExists(std::string_view path) = 0;

    // Starts the program at `path` in a normal, focused window and returns at once, without
    // waiting for it. False when the program could not be started.
    virtual bool launch(std::string_view path) = 0;

    // Why the last fileExists or launch said no, in the system's own terms (the call and its
    // error code), for a trace or a failing test; empty when it said yes or cannot tell.
    virtual std::string lastFailure() const { return {}; }
};

// The platform of the machine the program runs on.
Platform& machinePlatform();

}  // namespace about
