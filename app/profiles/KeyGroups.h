#pragma once
// Fixed key sets of the lighting director: horizontal band positions for the sweeping
// animations, the combat pulse keys, and the keys of the dead and shadow effects.
// All values are KeyNames (what goes to the keyboard), not key identifiers.
#include <array>
#include <cstdint>
#include <span>

namespace et {

// Horizontal positions run from 0 to kBandRange; the animations cut that range into bands.
inline constexpr int kBandRange = 725;

struct KeyBandPosition {
    int32_t keyName;
    int position;
};

// The 104 grid keys with their horizontal position (the left edge of their drawing), in the
// drawing's order.
std::span<const KeyBandPosition> keyBandPositions();

// The 18 keys of the combat pulse, in the order they are started and stopped.
std::span<const int32_t> combatKeys();

// The dead effect: 15 keys pulsing bright, 12 pulsing dim.
std::span<const int32_t> deadBrightKeys();
std::span<const int32_t> deadDimKeys();

// The shadow effect's six rows of keys: the bitmap's rows, function row first.
const std::array<std::span<const int32_t>, 6>& shadowRows();

} // namespace et
