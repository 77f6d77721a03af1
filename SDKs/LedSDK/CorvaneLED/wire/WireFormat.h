#pragma once
// The host protocol: every message is a run of 32-bit little-endian fields, opening with
// the total length and the command identifier. Messages are fixed-size per command.
#include <cstddef>
#include <cstdint>

namespace corvwire {

enum Command : uint32_t {
    kInit = 0x801,
    kSetLighting = 0x802,
    kSetTargetDevice = 0x803,
    kSaveCurrentLighting = 0x804,
    kRestoreLighting = 0x805,
    kSetKeyByScanCode = 0x806,
    kSetKeyByHidCode = 0x807,
    kSetKeyByQuartzCode = 0x808,
    kSetKeyByKeyName = 0x809,
    kSetLightingWithBitmap = 0x810,
    kSaveSingleKeyLighting = 0x811,
    kRestoreSingleKeyLighting = 0x812,
    kExcludeKeysFromBitmap = 0x813,
};

constexpr size_t kHeaderSize = 8;
constexpr size_t kInitReserved = 1024;
constexpr size_t kBitmapSize = 504;
constexpr size_t kExcludeSlots = 504;
constexpr size_t kExcludeMaxCount = 126;
constexpr size_t kMinMessage = 8;
constexpr size_t kMaxMessage = 4096;

// Total length of each command's message; 0 for an identifier the protocol does not use.
constexpr size_t messageLength(uint32_t command) {
    switch (command) {
    case kInit: return kHeaderSize + kInitReserved;
    case kSetLighting: return 20;
    case kSetTargetDevice: return 12;
    case kSaveCurrentLighting:
    case kRestoreLighting: return 8;
    case kSetKeyByScanCode:
    case kSetKeyByHidCode:
    case kSetKeyByQuartzCode:
    case kSetKeyByKeyName: return 24;
    case kSetLightingWithBitmap: return kHeaderSize + kBitmapSize;
    case kSaveSingleKeyLighting:
    case kRestoreSingleKeyLighting: return 12;
    case kExcludeKeysFromBitmap: return kHeaderSize + kExcludeSlots * 4 + 4;
    default: return 0;
    }
}

// Explicit byte order, so the bytes are the same on any host.
inline void putU32(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}
inline void putI32(unsigned char* p, int32_t v) { putU32(p, static_cast<uint32_t>(v)); }
inline uint32_t getU32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline int32_t getI32(const unsigned char* p) { return static_cast<int32_t>(getU32(p)); }

inline void putHeader(unsigned char* p, uint32_t command) {
    putU32(p, static_cast<uint32_t>(messageLength(command)));
    putU32(p + 4, command);
}

} // namespace corvwire
