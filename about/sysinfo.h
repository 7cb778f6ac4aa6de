// The launcher of the operating system's system-information tool: it looks the tool up in the
// registry and starts it, and turns every failure on the way into one plain message box.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "about/platform.h"
#include "forms/runtime.h"

namespace about {

inline constexpr std::string_view kToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr std::string_view kToolValue = "PATH";
inline constexpr std::string_view kToolFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr std::string_view kToolFolderValue = "MSINFO";
inline constexpr std::string_view kToolFile = "\\MSINFO32.EXE";
inline constexpr std::string_view kUnavailable = "System Information Is Unavailable At This Time";

// Reads the value `valueName` of the key `keyPath` under `rootKey`. A missing key or value (or
// one longer than the 1024-byte buffer) empties `result` and returns false. A found value returns
// true and sets `result` by its type: a text value to its text (without the terminating NUL when
// it was stored with one), a 32-bit number to its decimal digits; a value of any other type
// leaves `result` as it was passed in. Errors that the platform throws pass through.
bool GetKeyValue(Platform& platform, std::uint32_t rootKey, std::string_view keyPath,
                 std::string_view valueName, std::string& result);

// Finds the system-information tool and starts it. Whatever fails on the way (the lookup, the
// existence test, the launch, a PlatformError or a run-time error thrown by them) shows the plain
// message box "System Information Is Unavailable At This Time". Any other exception is a fault of
// the program, not of the machine, and passes through.
void StartSysInfo(Platform& platform, forms::FormsRuntime& runtime);

}  // namespace about
