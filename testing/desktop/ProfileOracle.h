#pragma once
// What the keyboard should receive for a profile, computed by the application's own
// profile library from the same settings the application was given. The end-to-end tests
// compare the host's messages with it, so they check that the running program sends the
// right profile at the right moment, not how a profile is composed.
#include "HostRecord.h"
#include "SettingsFile.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace et::e2e {

// One key message as the host receives it.
struct KeyColor {
    int32_t key = 0;
    int32_t r = 0, g = 0, b = 0;
    bool operator==(const KeyColor&) const = default;
};

// A whole profile: the bitmap, then the eleven keys without a bitmap cell.
struct ProfileFrame {
    std::vector<uint8_t> bitmap;
    std::vector<KeyColor> keys;
};

class ProfileOracle {
  public:
    explicit ProfileOracle(const SettingsFile& settings);
    ~ProfileOracle();

    // After start-up profile 1 is the working one.
    // The frame of `profile`'s bitmap as loaded at start, with the working profile's keys.
    ProfileFrame shown(int profile);
    // The frame after making `profile` the working one (a profile switch).
    ProfileFrame selected(int profile);
    // The working profile's color of a key, in percent.
    KeyColor keyColor(int32_t keyId) const;
    KeyColor cooldownColor(int32_t keyName) const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// The first complete profile frame in `records` from `from` on: a bitmap followed by the
// eleven extra keys; empty when there is none. `end` receives the index after it.
std::optional<ProfileFrame> findProfileFrame(const std::vector<HostRecord>& records, size_t from,
                                             size_t* end = nullptr);

} // namespace et::e2e
