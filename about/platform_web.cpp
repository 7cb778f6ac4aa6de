// The browser's platform: a page has no registry, no files of the machine and no way to start a
// program, so the system-information tool is never found and the launcher says it is
// unavailable.
#include "about/platform.h"

namespace about {

namespace {

class WebPlatform final : public Platform {
  public:
    long openKey(std::uint32_t, std::string_view, std::uint32_t, KeyHandle&) override {
        return kStatusNotFound;
    }
    QueryResult queryValue(KeyHandle, std::string_view,
                           std::span<std::byte, kValueBufferSize>) override {
        return {kStatusInvalidHandle, 0, 0};
    }
    void closeKey(KeyHandle) override {}
    bool fileExists(std::string_view) override { return false; }
    bool launch(std::string_view) override { return false; }
};

}  // namespace

Platform& machinePlatform() {
    static WebPlatform platform;
    return platform;
}

}  // namespace about
