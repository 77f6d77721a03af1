#include "ProfileFile.h"

#include "CanvasLayout.h"
#include "KeyList.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace et {

namespace {

constexpr float kFloatMax = std::numeric_limits<float>::max();

// Doubles outside float's range have no float to become; hold them to its ends.
float narrow(double v) {
    if (!std::isfinite(v)) return 0.0f;
    if (v > kFloatMax) return kFloatMax;
    if (v < -kFloatMax) return -kFloatMax;
    return static_cast<float>(v);
}

float plainNumber(std::string_view text) {
    double v = 0.0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return 0.0f;
    return narrow(v);
}

class ValueWriter {
  public:
    void appendValue(float v) { values.push_back(v); }
    void appendValue(double v) { values.push_back(narrow(v)); }
    std::vector<float> values;
};

// Reads values in file order. Past the end the last value repeats, as a reader that
// bounced off the end would see it; the import then rejects the file.
class ValueReader {
  public:
    explicit ValueReader(std::span<const float> values) : values_(values) {}

    float next() {
        ++position_;
        if (position_ >= values_.size()) {
            --position_;
            pastEnd = true;
        }
        return values_[position_];
    }

    // Above `limit` gives the limit, below 0 gives 0; NaN passes for the caller to judge.
    float readValue(float limit) {
        const float v = next();
        if (v > limit) return limit;
        if (v < 0.0f) return 0.0f;
        return v;
    }

    bool pastEnd = false;

  private:
    std::span<const float> values_;
    size_t position_ = static_cast<size_t>(-1);
};

struct ParsedProfiles {
    float blinkTime = 0.0f;
    std::array<bool, kProfileCount> cooldowns{};
    std::array<ColorSet, kProfileCount> colors{};
    std::array<KeyMap, kProfileCount> keyMaps{};
};

bool parse(ValueReader& in, ParsedProfiles& out) {
    if (in.readValue(kFloatMax) != kProfileFileMarker) return false;
    in.readValue(kFloatMax); // build number of the writer
    in.readValue(kFloatMax); // format value
    out.blinkTime = in.readValue(5.0f);
    if (std::isnan(out.blinkTime)) return false;
    for (int n = 0; n < kProfileCount; ++n) {
        const float v = in.readValue(1.0f);
        if (v != 1.0f && v != 0.0f) return false;
        out.cooldowns[n] = v == 1.0f;
    }
    if (in.readValue(kFloatMax) != kProfileFileMarker) return false;
    for (int n = 0; n < kProfileCount; ++n) {
        for (int index = 0; index < kColorCount; ++index) {
            const float r = in.readValue(1.0f);
            const float g = in.readValue(1.0f);
            const float b = in.readValue(1.0f);
            if (std::isnan(r) || std::isnan(g) || std::isnan(b)) return false;
            out.colors[n][index] = {r, g, b, 1.0};
        }
    }
    if (in.readValue(kFloatMax) != kProfileFileMarker) return false;
    for (int n = 0; n < kProfileCount; ++n) {
        KeyMap map(kKeyIdLimit, 0);
        for (int32_t id : canvasKeyIds()) {
            const float v = in.next();
            const float clamped = std::isnan(v) ? 12.0f : v > 12.0f ? 12.0f : v < 0.0f ? 0.0f : v;
            map[id] = static_cast<int>(clamped);
        }
        out.keyMaps[n] = std::move(map);
    }
    if (in.readValue(kFloatMax) != kProfileFileMarker) return false;
    // A file that ran out early has had its missing values made up; none of them is data.
    return !in.pastEnd;
}

} // namespace

std::vector<float> exportProfileValues(const ProfileStore& store, std::string_view buildVersion) {
    ValueWriter out;
    out.values.reserve(kProfileFileValues);
    out.appendValue(kProfileFileMarker);
    out.appendValue(plainNumber(buildVersion));
    out.appendValue(1.0f);
    out.appendValue(store.defaults().getDouble(std::string(kBlinkTimeKey)).value_or(0.0));
    for (int n = 1; n <= kProfileCount; ++n)
        out.appendValue(store.loadCooldownFlag(n) ? 1.0f : 0.0f);
    out.appendValue(kProfileFileMarker);

    ColorSet set = defaultColorSet();
    for (int n = 1; n <= kProfileCount; ++n) {
        store.loadProfileColors(set, n);
        for (const Color& c : set) {
            out.appendValue(c.red);
            out.appendValue(c.green);
            out.appendValue(c.blue);
        }
    }
    out.appendValue(kProfileFileMarker);

    KeyMap map(kKeyIdLimit, 0);
    for (int n = 1; n <= kProfileCount; ++n) {
        store.loadKeyToColorMap(map, n);
        for (int32_t id : canvasKeyIds())
            out.appendValue(static_cast<float>(map[id]));
    }
    out.appendValue(kProfileFileMarker);
    return std::move(out.values);
}

std::vector<unsigned char> encodeProfileValues(std::span<const float> values) {
    std::vector<unsigned char> bytes;
    bytes.reserve(values.size() * 4);
    for (float v : values) {
        uint32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<unsigned char>(bits >> shift));
    }
    return bytes;
}

std::vector<float> decodeProfileValues(std::span<const unsigned char> bytes) {
    std::vector<float> values(bytes.size() / 4);
    for (size_t i = 0; i < values.size(); ++i) {
        uint32_t bits = 0;
        for (int k = 3; k >= 0; --k)
            bits = (bits << 8) | bytes[i * 4 + k];
        std::memcpy(&values[i], &bits, sizeof bits);
    }
    return values;
}

ProfileImport importProfileFile(std::span<const unsigned char> bytes, ProfileStore& store) {
    ProfileImport result;
    const std::vector<float> values = decodeProfileValues(bytes);
    if (values.empty()) return result;
    ValueReader in(values);
    ParsedProfiles parsed;
    const bool valid = parse(in, parsed);
    result.readPastEnd = in.pastEnd;
    if (!valid) return result;

    Defaults& defaults = store.defaults();
    defaults.setDouble(std::string(kBlinkTimeKey), parsed.blinkTime);
    for (int n = 1; n <= kProfileCount; ++n)
        store.saveCooldownFlag(n, parsed.cooldowns[n - 1]);
    for (int n = 1; n <= kProfileCount; ++n)
        store.saveProfileColors(parsed.colors[n - 1], n);
    for (int n = 1; n <= kProfileCount; ++n)
        store.saveKeyToColorMap(parsed.keyMaps[n - 1], n);
    defaults.sync();
    result.status = kProfileFileDone;
    return result;
}

std::string exportStatusLine(int status) {
    switch (status) {
    case kProfileFileDone:
        return "Color profiles exported.";
    case kProfileFileInvalid:
        return "Error: Profile data size exceeds buffer. Contact " + std::string(kSupportAddress) +
               " for an update.";
    case kProfileFileNoAccess:
        return "Unable to access your Documents folder.";
    case kProfileFileCancelled:
        return "Export cancelled.";
    default:
        return "Error: Could not save the file.";
    }
}

std::string importStatusLine(int status) {
    switch (status) {
    case kProfileFileDone:
        return "Color profiles imported.";
    case kProfileFileInvalid:
        return "Error: File does not contain valid Color Presets for this version of Ember Talon.";
    case kProfileFileNoAccess:
        return "Error: Unable to access that file or folder.";
    default:
        return "Import cancelled.";
    }
}

} // namespace et
