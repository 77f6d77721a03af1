// Pictures of the virtual keyboard: each key in the color the host shows with its legend,
// PNG files that read back to the same pixels, and clear failures.
#include "CanvasLayout.h"
#include "KeyList.h"
#include "KeyboardRender.h"
#include "LegendFont.h"
#include "Utf8.h"
#include "WireFormat.h"

#include <CorvaneLED.h>
#include <png.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace {

hostsim::Message message(uint32_t command, std::initializer_list<int32_t> fields) {
    hostsim::Message m;
    m.command = command;
    m.bytes.assign(corvwire::messageLength(command), 0);
    corvwire::putU32(m.bytes.data(), static_cast<uint32_t>(m.bytes.size()));
    corvwire::putU32(m.bytes.data() + 4, command);
    size_t at = 8;
    for (int32_t f : fields) {
        corvwire::putI32(m.bytes.data() + at, f);
        at += 4;
    }
    return m;
}

struct Rgb8 {
    int r, g, b;
    bool operator==(const Rgb8&) const = default;
};

Rgb8 at(const hostsim::Image& image, int32_t key, int scale) {
    const auto p = hostsim::keyCenter(key, scale);
    EXPECT_GE(p.x, 0) << "no key " << key;
    if (p.x < 0) return {-1, -1, -1};
    const uint8_t* px = image.pixel(p.x, p.y);
    return {px[0], px[1], px[2]};
}

// Whole keyboard blue, then a bitmap with Esc red and every other cell left as it came
// (zero, i.e. black), then P1 and the crest logo lit key by key.
hostsim::KeyboardState litKeyboard() {
    hostsim::KeyboardState state;
    state.apply(message(corvwire::kSetLighting, {0, 0, 100}));
    auto bitmap = message(corvwire::kSetLightingWithBitmap, {});
    bitmap.bytes[8 + 0] = 0; // Esc: row 0, column 0; blue, green, red, alpha
    bitmap.bytes[8 + 1] = 0;
    bitmap.bytes[8 + 2] = 255;
    bitmap.bytes[8 + 3] = 255;
    state.apply(bitmap);
    state.apply(message(corvwire::kSetKeyByKeyName, {CLK_P1, 0, 100, 0}));
    state.apply(message(corvwire::kSetKeyByKeyName, {CLK_CrestLogo, 50, 50, 50}));
    return state;
}

TEST(KeyboardRender, EachKeyShowsTheColorTheHostKeeps) {
    const auto state = litKeyboard();
    for (int scale : {1, 2, 3}) {
        SCOPED_TRACE(scale);
        const auto image = hostsim::renderKeyboard(state, scale);
        ASSERT_GT(image.width, 700 * scale);
        ASSERT_EQ(image.rgb.size(), static_cast<size_t>(image.width) * image.height * 3);
        EXPECT_EQ(at(image, CLK_Escape, scale), (Rgb8{255, 0, 0}));
        EXPECT_EQ(at(image, CLK_A, scale), (Rgb8{0, 0, 0})); // its bitmap cell is black
        EXPECT_EQ(at(image, CLK_P1, scale), (Rgb8{0, 255, 0}));
        EXPECT_EQ(at(image, CLK_CrestLogo, scale), (Rgb8{127, 127, 127}));
        // P2 has no cell and no color of its own: it keeps the whole-keyboard blue.
        EXPECT_EQ(at(image, CLK_P2, scale), (Rgb8{0, 0, 255}));
    }
    // Keys the drawing does not have have no position.
    EXPECT_EQ(hostsim::keyCenter(0x7777).x, -1);
}

TEST(KeyboardRender, UnlitKeysDifferFromBlackOnesAndColorsAreBounded) {
    hostsim::KeyboardState state;
    const auto dark = hostsim::renderKeyboard(state);
    const Rgb8 unlit = at(dark, CLK_Escape, 2);
    EXPECT_NE(unlit, (Rgb8{0, 0, 0}));
    // Another client may send 0–255; the picture shows anything above 100 % as full.
    state.apply(message(corvwire::kSetKeyByKeyName, {CLK_Escape, 255, -3, 100}));
    EXPECT_EQ(at(hostsim::renderKeyboard(state), CLK_Escape, 2), (Rgb8{255, 0, 255}));
}

TEST(KeyboardRender, PngReadsBackToTheSamePixelsAndFailuresSayWhy) {
    const auto image = hostsim::renderKeyboard(litKeyboard(), 1);
    const auto path = std::filesystem::temp_directory_path() / "et-render-test.png";
    std::string error;
    ASSERT_TRUE(hostsim::writePng(image, path.string(), &error)) << error;

    png_image read{};
    read.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&read, path.c_str()));
    read.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(read));
    ASSERT_TRUE(png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr));
    EXPECT_EQ(static_cast<int>(read.width), image.width);
    EXPECT_EQ(static_cast<int>(read.height), image.height);
    EXPECT_EQ(pixels, image.rgb);
    std::filesystem::remove(path);

    EXPECT_FALSE(hostsim::writePng(image, "/nonexistent-folder/x.png", &error));
    EXPECT_NE(error.find("/nonexistent-folder/x.png"), std::string::npos);
    EXPECT_FALSE(hostsim::writePng(hostsim::Image{}, path.string(), &error));
    EXPECT_FALSE(std::filesystem::exists(path));
}

// Every key of the picture carries its legend in ink that stands out from the key, whether
// the key is lit light or dark, and the font can write every legend.
TEST(KeyboardRender, EveryKeyCarriesItsLegendInInkThatStandsOut) {
    for (const auto& [level, ink] : {std::pair{100, 0}, std::pair{5, 255}}) {
        hostsim::KeyboardState state;
        state.apply(message(corvwire::kSetLighting, {level, level, level}));
        const auto image = hostsim::renderKeyboard(state, 2);
        for (const et::KeyRect& key : et::canvasKeyRects()) {
            const int32_t keyName = et::keyNameForId(key.id);
            SCOPED_TRACE(et::keyLegend(key.id));
            // The key's inside, found from its middle outwards by its fill color.
            const auto mid = hostsim::keyCenter(keyName, 2);
            ASSERT_GE(mid.x, 0);
            const Rgb8 fill = at(image, keyName, 2);
            auto same = [&](int x, int y) {
                const uint8_t* px = image.pixel(x, y);
                return Rgb8{px[0], px[1], px[2]} == fill;
            };
            int left = mid.x, top = mid.y;
            while (same(left - 1, mid.y))
                --left;
            while (same(left, top - 1))
                --top;
            int inked = 0;
            for (int y = top; y < mid.y; ++y)
                for (int x = left; x < mid.x; ++x)
                    inked += image.pixel(x, y)[0] == ink && image.pixel(x, y)[1] == ink;
            EXPECT_GT(inked, 3);
        }
    }
    for (const et::KeyRect& key : et::canvasKeyRects())
        for (wchar_t c : corvjson::decodeUtf8(et::keyLegend(key.id)).value_or(L"?"))
            EXPECT_TRUE(hostsim::glyph(static_cast<char32_t>(c))) << et::keyLegend(key.id);
}

} // namespace
