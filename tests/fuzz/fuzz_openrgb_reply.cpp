// A server's reply, as the OpenRGB client reads it: a packet header, then a device
// description in the layout of the protocol version chosen by the first byte.
#include "SdkProtocol.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < orgb::kHeaderSize + 1) return 0;
    const auto header =
        orgb::parseHeader(std::span<const uint8_t, orgb::kHeaderSize>(data + 1, orgb::kHeaderSize));
    if (header && header->size > orgb::kMaxPayload) std::abort();
    const uint32_t version = data[0] % (orgb::kClientProtocolVersion + 1);
    std::string error;
    const auto device = orgb::parseDevice(
        std::span(data + 1 + orgb::kHeaderSize, size - 1 - orgb::kHeaderSize), version, &error);
    if (device) {
        // What the client does with a parsed device must hold for every accepted one.
        if (device->colors.size() != device->leds.size()) std::abort();
        const int direct = device->directMode();
        if (direct >= 0) (void)orgb::updateModePayload(*device, direct);
        (void)orgb::updateLedsPayload(device->colors);
    } else if (error.empty()) {
        std::abort();
    }
    return 0;
}
