#pragma once
// Pictures of the virtual keyboard: every key of the application's keyboard drawing in the
// color the host would show now, for PNG files and the live window. Key positions come from
// the application's own key tables, so a picture shows exactly the keys it can light.
#include "KeyboardState.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hostsim {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // 3 bytes a pixel, rows top to bottom

    void fill(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b);
    const uint8_t* pixel(int x, int y) const {
        return &rgb[3 * (static_cast<size_t>(y) * width + x)];
    }
};

// `scale` pixels per point of the keyboard drawing.
Image renderKeyboard(const KeyboardState& state, int scale = 2);

// The pixel position of a key's middle in a picture of `scale`; {-1, -1} for a key the
// drawing does not have. `key` is a KeyName as the host receives it.
struct Point {
    int x = -1, y = -1;
};
Point keyCenter(int32_t key, int scale = 2);

// Writes `image` as an 8-bit RGB PNG; false, with the reason in `error`, when it cannot.
bool writePng(const Image& image, const std::string& path, std::string* error = nullptr);

} // namespace hostsim
