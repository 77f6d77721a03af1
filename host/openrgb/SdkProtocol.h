#pragma once
// The OpenRGB SDK protocol as a client needs it: packet framing, the device description a
// server sends for one controller, and the payloads that set a mode and the LED colors.
// Parsing trusts nothing: every count and length is checked against what is left before
// anything is kept, so a malformed reply is an error, never a large allocation.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orgb {

// The highest protocol version whose device layout we read (OpenRGB 1.0's release
// candidates). Servers answer in min(ours, theirs), so newer ones are spoken to at this
// version: protocol 6 adds acknowledgements and device IDs that only a client asking for 6 gets.
inline constexpr uint32_t kClientProtocolVersion = 5;
inline constexpr size_t kHeaderSize = 16;
// Far above any real device description (a 152-LED keyboard is about 4 KiB); a header
// declaring more is treated as a malformed peer.
inline constexpr uint32_t kMaxPayload = 4u << 20;

enum PacketId : uint32_t {
    kRequestControllerCount = 0,
    kRequestControllerData = 1,
    kRequestProtocolVersion = 40,
    kSetClientName = 50,
    kDeviceListUpdated = 100,
    kUpdateLeds = 1050,
    kUpdateMode = 1101,
};

inline constexpr int32_t kDeviceTypeKeyboard = 5;
inline constexpr uint32_t kModeFlagPerLedColor = 1u << 5;
// The board writes every change to its flash: never a mode to stream frames into.
inline constexpr uint32_t kModeFlagAutomaticSave = 1u << 9;

struct Header {
    uint32_t device = 0;
    uint32_t id = 0;
    uint32_t size = 0;
};

// Nullopt unless the 16 bytes start with "ORGB" and declare at most kMaxPayload bytes.
std::optional<Header> parseHeader(std::span<const uint8_t, kHeaderSize> bytes);
std::vector<uint8_t> packet(uint32_t device, uint32_t id, std::span<const uint8_t> payload = {});

struct Mode {
    std::string name;
    uint32_t flags = 0;
    // The mode's bytes from its name through its colors, as UPDATEMODE carries them.
    std::vector<uint8_t> description;
};

struct Zone {
    std::string name;
    int32_t type = 0;
    uint32_t ledCount = 0;
};

struct Device {
    int32_t type = 0;
    std::string name;
    std::string vendor;
    std::string description;
    std::string serial;
    std::string location;
    int32_t activeMode = 0;
    std::vector<Mode> modes;
    std::vector<Zone> zones;
    std::vector<std::string> leds;
    std::vector<uint32_t> colors; // one per LED, 0x00BBGGRR

    // The mode frames are streamed into: "Direct" by name, else the first mode with per-LED
    // colors that does not write the flash; -1 none.
    int directMode() const;
    // The first per-LED mode that writes the flash at every change; -1 none.
    int savingMode() const;
    // What tells one board from another when it comes back at another index.
    std::string identity() const { return name + '\n' + location + '\n' + serial; }
};

// Parses a controller-data reply laid out for protocol `version` (0–5). Nullopt, with the
// reason in `error`, for anything truncated, oversized or inconsistent.
std::optional<Device> parseDevice(std::span<const uint8_t> payload, uint32_t version,
                                  std::string* error = nullptr);

// UPDATEMODE payload selecting `mode` of `device` with the mode's own settings.
std::vector<uint8_t> updateModePayload(const Device& device, int mode);
// UPDATELEDS payload setting every LED, in LED order.
std::vector<uint8_t> updateLedsPayload(std::span<const uint32_t> colors);

inline uint32_t rgb(int red, int green, int blue) {
    return static_cast<uint32_t>(red & 0xFF) | static_cast<uint32_t>(green & 0xFF) << 8 |
           static_cast<uint32_t>(blue & 0xFF) << 16;
}

} // namespace orgb
