#include "SdkProtocol.h"

#include <cstring>

namespace orgb {

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Reads little-endian fields from a reply, failing (and staying failed) at the first
// field that does not fit in what is left.
class Reader {
  public:
    explicit Reader(std::span<const uint8_t> data) : data_(data) {}

    bool ok() const { return ok_; }
    size_t offset() const { return at_; }
    const std::string& error() const { return error_; }

    void fail(std::string why) {
        if (ok_) error_ = std::move(why) + " at byte " + std::to_string(at_);
        ok_ = false;
    }
    bool need(size_t n, const char* what) {
        if (ok_ && data_.size() - at_ < n) fail(std::string("truncated ") + what);
        return ok_;
    }
    uint32_t u32(const char* what) {
        if (!need(4, what)) return 0;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(data_[at_ + i]) << (8 * i);
        at_ += 4;
        return v;
    }
    int32_t i32(const char* what) { return static_cast<int32_t>(u32(what)); }
    uint16_t u16(const char* what) {
        if (!need(2, what)) return 0;
        const uint16_t v = static_cast<uint16_t>(data_[at_] | data_[at_ + 1] << 8);
        at_ += 2;
        return v;
    }
    void skip(size_t n, const char* what) {
        if (need(n, what)) at_ += n;
    }
    // A length-prefixed string; the length counts the terminating NUL, which may be absent.
    std::string string(const char* what) {
        const uint16_t n = u16(what);
        if (!need(n, what)) return {};
        const char* p = reinterpret_cast<const char*>(data_.data() + at_);
        at_ += n;
        return std::string(p, strnlen(p, n));
    }
    std::span<const uint8_t> bytes(size_t from, size_t to) const {
        return data_.subspan(from, to - from);
    }

  private:
    std::span<const uint8_t> data_;
    size_t at_ = 0;
    bool ok_ = true;
    std::string error_;
};

Mode readMode(Reader& r, uint32_t version) {
    Mode m;
    const size_t start = r.offset();
    m.name = r.string("mode name");
    r.i32("mode value");
    m.flags = r.u32("mode flags");
    r.skip(8, "mode speeds");
    if (version >= 3) r.skip(8, "mode brightness range");
    r.skip(12, "mode colors and speed");
    if (version >= 3) r.skip(4, "mode brightness");
    r.skip(8, "mode direction and color mode");
    const uint16_t colors = r.u16("mode color count");
    r.skip(size_t{colors} * 4, "mode colors");
    if (r.ok()) {
        const auto raw = r.bytes(start, r.offset());
        m.description.assign(raw.begin(), raw.end());
    }
    return m;
}

Zone readZone(Reader& r, uint32_t version) {
    Zone z;
    z.name = r.string("zone name");
    z.type = r.i32("zone type");
    r.skip(8, "zone LED range");
    z.ledCount = r.u32("zone LED count");
    const uint16_t matrixBytes = r.u16("zone matrix size");
    if (matrixBytes > 0) {
        const size_t start = r.offset();
        const uint64_t height = r.u32("matrix height");
        const uint64_t width = r.u32("matrix width");
        if (r.ok() && 8 + height * width * 4 != matrixBytes) r.fail("matrix size mismatch");
        r.skip(matrixBytes - (r.offset() - start), "zone matrix");
    }
    if (version >= 4) {
        const uint16_t segments = r.u16("segment count");
        for (uint16_t s = 0; s < segments && r.ok(); ++s) {
            r.string("segment name");
            r.skip(12, "segment");
        }
    }
    if (version >= 5) r.u32("zone flags");
    return z;
}

} // namespace

std::optional<Header> parseHeader(std::span<const uint8_t, kHeaderSize> bytes) {
    if (std::memcmp(bytes.data(), "ORGB", 4) != 0) return std::nullopt;
    Reader r(bytes.subspan(4));
    Header h;
    h.device = r.u32("device");
    h.id = r.u32("id");
    h.size = r.u32("size");
    if (h.size > kMaxPayload) return std::nullopt;
    return h;
}

std::vector<uint8_t> packet(uint32_t device, uint32_t id, std::span<const uint8_t> payload) {
    std::vector<uint8_t> out{'O', 'R', 'G', 'B'};
    out.reserve(kHeaderSize + payload.size());
    putU32(out, device);
    putU32(out, id);
    putU32(out, static_cast<uint32_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

int Device::directMode() const {
    for (size_t i = 0; i < modes.size(); ++i)
        if (modes[i].name == "Direct") return static_cast<int>(i);
    for (size_t i = 0; i < modes.size(); ++i)
        if ((modes[i].flags & (kModeFlagPerLedColor | kModeFlagAutomaticSave)) ==
            kModeFlagPerLedColor)
            return static_cast<int>(i);
    return -1;
}

int Device::savingMode() const {
    for (size_t i = 0; i < modes.size(); ++i)
        if ((modes[i].flags & kModeFlagPerLedColor) && (modes[i].flags & kModeFlagAutomaticSave))
            return static_cast<int>(i);
    return -1;
}

std::optional<Device> parseDevice(std::span<const uint8_t> payload, uint32_t version,
                                  std::string* error) {
    Reader r(payload);
    Device d;
    const uint32_t declared = r.u32("size");
    if (r.ok() && declared != payload.size())
        r.fail("declared size " + std::to_string(declared) + " of a " +
               std::to_string(payload.size()) + "-byte reply");
    d.type = r.i32("type");
    d.name = r.string("name");
    if (version >= 1) d.vendor = r.string("vendor");
    d.description = r.string("description");
    r.string("version");
    d.serial = r.string("serial");
    d.location = r.string("location");
    const uint16_t modes = r.u16("mode count");
    d.activeMode = r.i32("active mode");
    for (uint16_t i = 0; i < modes && r.ok(); ++i)
        d.modes.push_back(readMode(r, version));
    const uint16_t zones = r.u16("zone count");
    for (uint16_t i = 0; i < zones && r.ok(); ++i)
        d.zones.push_back(readZone(r, version));
    const uint16_t leds = r.u16("LED count");
    // Each LED takes at least six bytes: checked before the list is sized.
    if (r.need(size_t{leds} * 6, "LED list")) d.leds.reserve(leds);
    for (uint16_t i = 0; i < leds && r.ok(); ++i) {
        d.leds.push_back(r.string("LED name"));
        r.u32("LED value");
    }
    const uint16_t colors = r.u16("color count");
    if (r.ok() && colors != leds) r.fail("color count differs from LED count");
    if (r.need(size_t{colors} * 4, "colors")) d.colors.reserve(colors);
    for (uint16_t i = 0; i < colors && r.ok(); ++i)
        d.colors.push_back(r.u32("color"));
    if (version >= 5) {
        // Alternate LED names (regional legends); the primary names are what keys match.
        const uint16_t alternates = r.u16("alternate name count");
        for (uint16_t i = 0; i < alternates && r.ok(); ++i)
            r.string("alternate LED name");
        r.u32("controller flags");
    }
    if (r.ok() && r.offset() != payload.size()) r.fail("bytes after the description");
    if (r.ok() && d.modes.size() > 0 &&
        (d.activeMode < 0 || static_cast<size_t>(d.activeMode) >= d.modes.size()))
        r.fail("active mode out of range");
    if (!r.ok()) {
        if (error) *error = r.error();
        return std::nullopt;
    }
    return d;
}

std::vector<uint8_t> updateModePayload(const Device& device, int mode) {
    const auto& description = device.modes.at(static_cast<size_t>(mode)).description;
    std::vector<uint8_t> out;
    putU32(out, static_cast<uint32_t>(8 + description.size()));
    putU32(out, static_cast<uint32_t>(mode));
    out.insert(out.end(), description.begin(), description.end());
    return out;
}

std::vector<uint8_t> updateLedsPayload(std::span<const uint32_t> colors) {
    std::vector<uint8_t> out;
    out.reserve(6 + 4 * colors.size());
    putU32(out, static_cast<uint32_t>(6 + 4 * colors.size()));
    out.push_back(static_cast<uint8_t>(colors.size()));
    out.push_back(static_cast<uint8_t>(colors.size() >> 8));
    for (uint32_t c : colors)
        putU32(out, c);
    return out;
}

} // namespace orgb
