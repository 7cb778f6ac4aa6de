// A registry, file system and launcher in memory, prepared byte by byte, that records what the
// launcher asked of it.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "about/platform.h"

namespace about_test {

struct StoredValue {
    std::uint32_t type = about::kTypeText;
    std::vector<unsigned char> bytes;
    long status = about::kStatusOk;  // what a query answers besides the data
};

inline StoredValue text(std::string_view s, bool withNul = true) {
    StoredValue v;
    v.bytes.assign(s.begin(), s.end());
    if (withNul) v.bytes.push_back(0);
    return v;
}

struct StoredKey {
    long openStatus = about::kStatusOk;
    std::map<std::string, StoredValue> values;
};

class FakePlatform : public about::Platform {
  public:
    std::map<std::pair<std::uint32_t, std::string>, StoredKey> keys;
    std::set<std::string> files;
    bool launchSucceeds = true;
    std::function<void()> onLaunch;  // runs first at every launch: may throw

    std::vector<std::string> opened, launched, existenceTests;
    std::vector<std::uint32_t> accessAsked;
    std::vector<about::KeyHandle> closed;
    std::set<about::KeyHandle> open;

    StoredValue& value(std::string_view key, std::string_view name, StoredValue v) {
        auto& slot = keys[{about::kLocalMachine, std::string(key)}].values[std::string(name)];
        slot = std::move(v);
        return slot;
    }

    long openKey(std::uint32_t root, std::string_view path, std::uint32_t access,
                 about::KeyHandle& key) override {
        opened.emplace_back(path);
        accessAsked.push_back(access);
        const auto k = keys.find({root, std::string(path)});
        if (k == keys.end()) return about::kStatusNotFound;
        if (k->second.openStatus != about::kStatusOk) return k->second.openStatus;
        key = nextHandle_++;
        handles_[key] = &k->second;
        open.insert(key);
        return about::kStatusOk;
    }

    about::QueryResult queryValue(about::KeyHandle key, std::string_view name,
                                  std::span<std::byte, about::kValueBufferSize> buffer) override {
        const auto h = handles_.find(key);
        if (h == handles_.end() || !open.count(key)) return {about::kStatusInvalidHandle, 0, 0};
        // The launcher hands over a buffer of zero bytes.
        if (std::any_of(buffer.begin(), buffer.end(),
                        [](std::byte b) { return b != std::byte{0}; }))
            return {about::kStatusInvalidParameter, 0, 0};
        const auto v = h->second->values.find(std::string(name));
        if (v == h->second->values.end()) return {about::kStatusNotFound, 0, 0};
        const StoredValue& stored = v->second;
        const auto size = static_cast<std::uint32_t>(stored.bytes.size());
        if (stored.status != about::kStatusOk) return {stored.status, stored.type, 0};
        if (stored.bytes.size() > buffer.size()) {
            // What a buffer holds after a value did not fit is not to be relied on.
            std::memset(buffer.data(), 'x', buffer.size());
            return {about::kStatusMoreData, stored.type, size};
        }
        if (!stored.bytes.empty())
            std::memcpy(buffer.data(), stored.bytes.data(), stored.bytes.size());
        return {about::kStatusOk, stored.type, size};
    }

    void closeKey(about::KeyHandle key) override {
        closed.push_back(key);
        open.erase(key);
    }

    bool fileExists(std::string_view path) override {
        existenceTests.emplace_back(path);
        return files.count(std::string(path)) > 0;
    }

    bool launch(std::string_view path) override {
        if (onLaunch) onLaunch();
        launched.emplace_back(path);
        return launchSucceeds;
    }

  private:
    about::KeyHandle nextHandle_ = 100;
    std::map<about::KeyHandle, StoredKey*> handles_;
};

}  // namespace about_test
