#include "KeyboardRender.h"

#include "CanvasLayout.h"
#include "KeyGrid.h"
#include "KeyList.h"
#include "LegendFont.h"
#include "Utf8.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace hostsim {

namespace {

constexpr int kMargin = 8; // points around the drawing
constexpr uint8_t kBoard[] = {24, 24, 28};
constexpr uint8_t kEdge[] = {70, 70, 76};
constexpr uint8_t kUnlit[] = {44, 44, 48};

struct Extent {
    int width = 0, height = 0; // points, margins included
};

Extent drawingExtent() {
    Extent e;
    for (const et::KeyRect& r : et::canvasKeyRects()) {
        e.width = std::max(e.width, r.x + r.width);
        e.height = std::max(e.height, r.y + r.height);
    }
    e.width += 2 * kMargin;
    e.height += 2 * kMargin;
    return e;
}

// The drawing's origin is at the bottom left; the picture's rows run top down.
struct PixelRect {
    int x, y, w, h;
};

PixelRect toPixels(const et::KeyRect& r, const Extent& e, int scale) {
    return {(r.x + kMargin) * scale, (e.height - kMargin - r.y - r.height) * scale, r.width * scale,
            r.height * scale};
}

uint8_t toByte(int commandUnits) {
    // The application sends percentages; other clients may send up to 255, shown as full.
    return static_cast<uint8_t>(std::clamp(commandUnits, 0, 100) * 255 / 100);
}

// The key's legend as the color programmer prints it, in the top-left corner as on a
// keycap and above the key's middle, which shows its color undisturbed. Black on light
// colors, white on dark ones; left out on a key too small for it at this scale.
void drawLegend(Image& image, const PixelRect& key, int32_t keyId, int scale,
                const uint8_t fill[3]) {
    const auto text = corvjson::decodeUtf8(et::keyLegend(keyId));
    if (!text || text->empty()) return;
    const int dot = std::max(1, scale / 2);
    const int left = 2 * scale, top = scale + 1;
    const int width = static_cast<int>(text->size()) * kGlyphAdvance * dot - dot;
    if (width > key.w - 2 * left || top + kGlyphHeight * dot > key.h / 2) return;
    const bool light = fill[0] * 299 + fill[1] * 587 + fill[2] * 114 > 128 * 1000;
    const uint8_t ink = light ? 0 : 255;
    int x = key.x + left;
    for (wchar_t c : *text) {
        if (const auto rows = glyph(static_cast<char32_t>(c))) {
            for (int row = 0; row < kGlyphHeight; ++row)
                for (int col = 0; col < kGlyphWidth; ++col)
                    if ((*rows)[row] & (0x10 >> col))
                        image.fill(x + col * dot, key.y + top + row * dot, dot, dot, ink, ink, ink);
        }
        x += kGlyphAdvance * dot;
    }
}

} // namespace

void Image::fill(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(width, x + w), y1 = std::min(height, y + h);
    for (int row = y0; row < y1; ++row) {
        uint8_t* p = &rgb[3 * (static_cast<size_t>(row) * width + x0)];
        for (int col = x0; col < x1; ++col, p += 3) {
            p[0] = r;
            p[1] = g;
            p[2] = b;
        }
    }
}

Image renderKeyboard(const KeyboardState& state, int scale) {
    scale = std::clamp(scale, 1, 8);
    const Extent extent = drawingExtent();
    Image image;
    image.width = extent.width * scale;
    image.height = extent.height * scale;
    image.rgb.assign(static_cast<size_t>(image.width) * image.height * 3, 0);
    image.fill(0, 0, image.width, image.height, kBoard[0], kBoard[1], kBoard[2]);

    for (const et::KeyRect& r : et::canvasKeyRects()) {
        const int32_t keyName = et::keyNameForId(r.id);
        const auto cell = et::keyCellOffset(keyName);
        const auto color = state.keyColor(keyName, cell ? *cell : -1);
        const PixelRect p = toPixels(r, extent, scale);
        image.fill(p.x, p.y, p.w, p.h, kEdge[0], kEdge[1], kEdge[2]);
        const int inset = std::max(1, scale);
        const uint8_t fill[3] = {color ? toByte(color->red) : kUnlit[0],
                                 color ? toByte(color->green) : kUnlit[1],
                                 color ? toByte(color->blue) : kUnlit[2]};
        image.fill(p.x + inset, p.y + inset, p.w - 2 * inset, p.h - 2 * inset, fill[0], fill[1],
                   fill[2]);
        drawLegend(image, p, r.id, scale, fill);
    }
    return image;
}

Point keyCenter(int32_t key, int scale) {
    scale = std::clamp(scale, 1, 8);
    const Extent extent = drawingExtent();
    for (const et::KeyRect& r : et::canvasKeyRects()) {
        if (et::keyNameForId(r.id) != key) continue;
        const PixelRect p = toPixels(r, extent, scale);
        return {p.x + p.w / 2, p.y + p.h / 2};
    }
    return {};
}

bool writePng(const Image& image, const std::string& path, std::string* error) {
    const auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (image.width <= 0 || image.height <= 0) return fail("empty picture");
    // A new file renamed over the old one: nobody reads half a picture, and a failed write
    // leaves the old one as it was.
    struct Temporary {
        std::string name;
        bool kept = false;
        ~Temporary() {
            if (!kept) ::unlink(name.c_str());
        }
    } temporary{path + ".XXXXXX"};
    const int fd = ::mkstemp(temporary.name.data());
    if (fd < 0) {
        temporary.kept = true; // nothing was created
        return fail("cannot write " + path);
    }
    ::fchmod(fd, 0644);
    std::unique_ptr<FILE, int (*)(FILE*)> file(::fdopen(fd, "wb"), &std::fclose);
    if (!file) {
        ::close(fd);
        return fail("cannot write " + path);
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return fail("out of memory");
    }
    // libpng reports its errors by jumping back here; nothing with a destructor lives
    // between this point and the calls that may jump.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return fail("cannot encode " + path);
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = 0; row < image.height; ++row)
        png_write_row(png, image.pixel(0, row));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0 || ::fsync(fd) != 0 || std::fclose(file.release()) != 0)
        return fail("cannot write " + path);
    if (::rename(temporary.name.c_str(), path.c_str()) != 0) return fail("cannot write " + path);
    temporary.kept = true;
    return true;
}

} // namespace hostsim
